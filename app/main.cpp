// The desktop program: loads the bitmap header template that lies beside
// the executable, shows the main window, and opens the container named on
// the command line, if any.
#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "ui/form1.h"
#include "ui/qt_file_dialog.h"
#include "ui/qt_user_prompt.h"
#include "ui/startup.h"

int main(int argc, char** argv) {
  // A file size limit then makes a write fail instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);

  QApplication app(argc, argv);
  QApplication::setApplicationName("Varnholt");
  QApplication::setApplicationVersion(VARNHOLT_VERSION);

  const QStringList args = QApplication::arguments();
  if (args.size() > 2) {
    std::fprintf(stderr, "usage: %s [CONTAINER.pt]\n", qPrintable(args.front()));
    return 2;
  }

  varnholt::QtUserPrompt prompt;
  varnholt::QtFileDialog cd;
  const QString folder = QApplication::applicationDirPath();
  const auto header = varnholt::loadProgramHeader(folder, prompt);
  if (!header) return 1;

  varnholt::Form1 window(cd, prompt, folder, *header);
  cd.setOwner(&window);
  prompt.setOwner(&window);
  window.show();
  if (args.size() == 2) {
    cd.setFileName(args[1]);
    window.openFile(args[1]);
  }
  // For the start-up benchmark: end as soon as the first window is up.
  if (qEnvironmentVariableIsSet("VARNHOLT_EXIT_AFTER_SHOW"))
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
  return QApplication::exec();
}
