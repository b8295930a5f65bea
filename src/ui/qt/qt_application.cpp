#include "ui/qt/qt_application.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWidget>

#include "ui/form1.h"
#include "ui/qt/qt_text.h"

namespace tapisto {

QtApplication::QtApplication(QApplication& app) : app_(app) {
  app_.installEventFilter(this);
}

QtApplication::~QtApplication() {
  app_.removeEventFilter(this);
}

void QtApplication::SetTitle(const std::string& title) {
  title_ = title;
  QCoreApplication::setApplicationName(ToQString(title));
}

void QtApplication::Terminate() {
  QCoreApplication::exit(0);
}

bool QtApplication::eventFilter(QObject* watched, QEvent* event) {
  // Qt delivers an event to a window's QWindow and then to its widgets; only the widgets count,
  // as only a window's client area has messages of its own. An ignored press travels up to the
  // parents and passes here again, which sets the same flag again.
  if (!watched->isWidgetType()) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<const QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton && hook_) {
        hook_(event->type() == QEvent::MouseButtonPress ? QueuedMessage::LeftButtonDown
                                                        : QueuedMessage::LeftButtonUp);
      }
      return false;
    }
    case QEvent::ToolTip: {
      auto* widget = static_cast<QWidget*>(watched);
      if (hintHidePause_ <= 0 || widget->toolTip().isEmpty()) return false;
      const auto* help = static_cast<const QHelpEvent*>(event);
      QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), hintHidePause_);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tapisto
