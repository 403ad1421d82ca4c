#include "platform/qt/QtBusWindow.h"

#include <QSocketNotifier>
#include <QWidget>

namespace kestrel {

QtBusWindow::QtBusWindow(const std::string& className, const std::string& title,
                         QWidget* widget, Handler handler)
    : window_(TheDesktop().createWindow(className, title)),
      widget_(widget),
      handler_(std::move(handler)),
      notifier_(std::make_unique<QSocketNotifier>(window_->fd(), QSocketNotifier::Read)) {
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(); });
}

QtBusWindow::~QtBusWindow() = default;

void QtBusWindow::withdrawAndDrain() {
  window_->withdraw();
  drain();
}

void QtBusWindow::drain() {
  while (auto message = window_->take()) {
    if (message->msg == kWmActivate && widget_) {
      widget_->raise();
      widget_->activateWindow();
    }
    if (handler_) handler_(*message);
  }
}

}  // namespace kestrel
