// The measured start-up: what the program's main does (header template,
// the real main window, the container named on the command line), ending
// after the window's first paint.
#include <QApplication>

#include "bench/first_paint.h"
#include "ui/form1.h"
#include "ui/qt_file_dialog.h"
#include "ui/qt_user_prompt.h"
#include "ui/startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  varnholt::QtUserPrompt prompt;
  varnholt::QtFileDialog cd;
  const QString folder = QApplication::applicationDirPath();
  const auto header = varnholt::loadProgramHeader(folder, prompt);
  if (!header) return 1;
  varnholt::Form1 window(cd, prompt, folder, *header);
  QuitAfterFirstPaint quit(&window);
  window.show();
  if (argc > 1) window.openFile(QString::fromLocal8Bit(argv[1]));
  return QApplication::exec();
}
