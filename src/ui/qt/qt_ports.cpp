#include "ui/qt/qt_ports.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>

#include "ui/qt/control_widgets.h"

namespace tapisto {

namespace {

int DevicePixels(int logical, const QScreen& screen) {
  return static_cast<int>(std::lround(static_cast<double>(logical) * screen.devicePixelRatio()));
}

class QtTimer final : public Timer {
 public:
  QtTimer(Dialogs& dialogs, std::function<void()> tick) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout,
                     [&dialogs, tick = std::move(tick)] { RunGuarded(dialogs, tick); });
  }
  void Start(std::uint32_t intervalMs) override {
    timer_.start(static_cast<int>(std::min<std::uint32_t>(intervalMs, INT_MAX)));
  }
  void Stop() override { timer_.stop(); }

 private:
  QTimer timer_;
};

}  // namespace

std::unique_ptr<Timer> QtTimers::CreateTimer(std::function<void()> tick) {
  return std::make_unique<QtTimer>(dialogs_, std::move(tick));
}

int QtScreen::Width() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? DevicePixels(screen->geometry().width(), *screen) : 0;
}

int QtScreen::Height() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? DevicePixels(screen->geometry().height(), *screen) : 0;
}

std::uint32_t QtClock::TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  return static_cast<std::uint32_t>(ms);
}

void QtMessagePump::ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtMessagePump::WaitForMessages(std::uint32_t timeoutMs) {
  if (timeoutMs == 0) return;
  // The timer is the event that ends the wait when nothing else arrives first.
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  timer.start(static_cast<int>(std::min<std::uint32_t>(timeoutMs, INT_MAX)));
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace tapisto
