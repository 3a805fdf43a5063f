// The start-up baseline: a Qt Widgets program that shows one empty window.
// With VARNHOLT_EXIT_AFTER_SHOW set it quits as soon as the window has been
// shown, the same way the real program does, so that the two start-ups can be
// compared.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Empty window"));
  window.resize(640, 480);
  window.show();
  if (qEnvironmentVariableIsSet("VARNHOLT_EXIT_AFTER_SHOW"))
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
  return QApplication::exec();
}
