// Runs the window tests with a real QApplication, offscreen unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>

namespace {
QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns about a feature it lacks on every window shown.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains("does not support propagateSizeHints")) return;
  if (previousHandler) previousHandler(type, context, message);
}
}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  previousHandler = qInstallMessageHandler(quietHandler);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Varnholt");
  // The tests close windows themselves; a closed last window must not end anything.
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
