// The start-up baseline: a Qt Widgets program that shows one empty window
// and quits after its first paint, as the measured start-up of the real
// window does.
#include <QApplication>
#include <QWidget>

#include "bench/first_paint.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Empty window"));
  window.resize(640, 480);
  QuitAfterFirstPaint quit(&window);
  window.show();
  return QApplication::exec();
}
