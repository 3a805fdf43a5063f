#pragma once
// Ends the application's event loop once a widget of `window` has painted,
// so that a start-up is measured up to the first picture on screen.
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

class QuitAfterFirstPaint final : public QObject {
 public:
  explicit QuitAfterFirstPaint(QWidget* window) : window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!done_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window_) {
      done_ = true;
      // Queued: the paint pass that is running completes first.
      QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                Qt::QueuedConnection);
    }
    return false;
  }

 private:
  QWidget* window_;
  bool done_ = false;
};
