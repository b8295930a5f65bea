#include "ui/qt/once_drawn.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWindow>
#include <utility>

namespace tapisto {

namespace {

// Runs its work once the window it watches has been exposed the first time, then goes.
class OnceExposed final : public QObject {
 public:
  OnceExposed(QWindow* window, std::function<void()> work)
      : QObject(window), work_(std::move(work)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose) {
      watched->removeEventFilter(this);
      // Queued: Qt paints an exposed window and hands it to the display server while it
      // handles this event; the work follows once that is done.
      QTimer::singleShot(0, this, [this] {
        work_();
        deleteLater();
      });
    }
    return false;
  }

 private:
  std::function<void()> work_;
};

}  // namespace

void RunOnceDrawn(QWidget& window, std::function<void()> work) {
  QWindow* const shown = window.isVisible() ? window.windowHandle() : nullptr;
  if (shown == nullptr) {
    work();
    return;
  }
  shown->installEventFilter(new OnceExposed(shown, std::move(work)));
}

}  // namespace tapisto
