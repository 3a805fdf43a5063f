// The desktop program: loads the bitmap header template that lies beside
// the executable, shows the main window, and opens the container named on
// the command line, if any.
#include <QApplication>
#include <QCommandLineParser>
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

  QCommandLineParser parser;
  parser.setApplicationDescription("Views and edits the slots of a .pt texture container.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument("container", "The .pt file to open.", "[CONTAINER.pt]");
  if (!parser.parse(QApplication::arguments()) || parser.positionalArguments().size() > 1) {
    const QString why = parser.errorText().isEmpty() ? "too many arguments" : parser.errorText();
    std::fprintf(stderr, "%s\n%s", qPrintable(why), qPrintable(parser.helpText()));
    return 2;
  }
  if (parser.isSet("help")) parser.showHelp(0);
  if (parser.isSet("version")) parser.showVersion();

  varnholt::QtUserPrompt prompt;
  varnholt::QtFileDialog cd;
  const QString folder = QApplication::applicationDirPath();
  const auto header = varnholt::loadProgramHeader(folder, prompt);
  if (!header) return 1;

  varnholt::Form1 window(cd, prompt, folder, *header);
  cd.setOwner(&window);
  prompt.setOwner(&window);
  window.show();
  if (const QStringList files = parser.positionalArguments(); !files.isEmpty()) {
    cd.setFileName(files.front());
    window.openFile(files.front());
  }
  return QApplication::exec();
}
