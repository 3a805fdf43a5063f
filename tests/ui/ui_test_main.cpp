// Runs the window tests with a real QApplication, offscreen unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

static QtMessageHandler previousHandler = nullptr;

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The offscreen platform warns about a feature it lacks on every window shown.
  previousHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.contains("does not support propagateSizeHints") && previousHandler) previousHandler(type, context, message);
  });
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Varnholt");
  QApplication::setQuitOnLastWindowClosed(false);  // the tests close windows themselves
  // The window's settings go to a scratch folder, never the user's.
  const QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  return RUN_ALL_TESTS();
}
