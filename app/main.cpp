// The desktop program: loads the bitmap header template that lies beside
// the executable, shows the main window, and opens the container named on
// the command line, if any.
#include <QApplication>
#include <QCommandLineParser>
#include <csignal>
#include <cstdio>
#include <string_view>

#include "ui/form1.h"
#include "ui/preview_file.h"
#include "ui/qt_file_dialog.h"
#include "ui/qt_user_prompt.h"
#include "ui/startup.h"

namespace {

// Whether an argument asks only for text (--help, --version), which needs
// no window system: those are answered before QApplication, which cannot
// start without a display.
bool asksForTextOnly(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "-h" || arg == "--help" || arg == "-v" || arg == "--version") return true;
  }
  return false;
}

// Parses the running application's arguments into `parser`. Prints the help
// or the version and ends the program when asked to; returns 2 after a usage
// error and -1 when the program goes on.
int parseArguments(QCommandLineParser& parser) {
  parser.setApplicationDescription("Views and edits the slots of a .pt texture container.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument("container", "The .pt file to open.", "[CONTAINER.pt]");
  if (!parser.parse(QCoreApplication::arguments()) || parser.positionalArguments().size() > 1) {
    const QString why = parser.errorText().isEmpty() ? "too many arguments" : parser.errorText();
    std::fprintf(stderr, "%s\n%s", qPrintable(why), qPrintable(parser.helpText()));
    return 2;
  }
  if (parser.isSet("help")) parser.showHelp(0);
  // With the window system's options, which only QApplication knows.
  if (parser.isSet("help-all")) parser.process(QCoreApplication::arguments());
  if (parser.isSet("version")) parser.showVersion();
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  // A file size limit then makes a write fail instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  QCoreApplication::setApplicationName("Varnholt");
  QCoreApplication::setApplicationVersion(VARNHOLT_VERSION);

  if (asksForTextOnly(argc, argv)) {
    QCoreApplication textOnly(argc, argv);
    QCommandLineParser parser;
    if (const int status = parseArguments(parser); status >= 0) return status;
  }

  QApplication app(argc, argv);
  QCommandLineParser parser;
  if (const int status = parseArguments(parser); status >= 0) return status;

  varnholt::QtUserPrompt prompt;
  varnholt::QtFileDialog cd;
  const QString folder = QApplication::applicationDirPath();
  const auto header = varnholt::loadProgramHeader(folder, prompt);
  if (!header) return 1;

  varnholt::Form1 window(cd, prompt, varnholt::previewFolder(folder), *header);
  cd.setOwner(&window);
  prompt.setOwner(&window);
  window.show();
  if (const QStringList files = parser.positionalArguments(); !files.isEmpty()) {
    cd.setFileName(files.front());
    window.openFile(files.front());
  }
  return QApplication::exec();
}
