// A bus window served by the Qt event loop: waiting messages are handed to
// a handler as soon as the loop runs, and a request to come to the front
// raises the given widget.
#pragma once

#include <functional>
#include <memory>

#include "platform/Desktop.h"

class QSocketNotifier;
class QWidget;

namespace kestrel {

class QtBusWindow {
 public:
  using Handler = std::function<void(const BusMessage&)>;

  // Registers a window on the bus. `widget` (may be null) is raised and
  // activated on kWmActivate; every message, that one included, also goes
  // to the handler.
  QtBusWindow(const std::string& className, const std::string& title, QWidget* widget,
              Handler handler);
  ~QtBusWindow();
  QtBusWindow(const QtBusWindow&) = delete;
  QtBusWindow& operator=(const QtBusWindow&) = delete;

  BusWindow& window() { return *window_; }

  // Takes the window off the bus and hands every message that still waits
  // to the handler, so that none is lost when the window goes.
  void withdrawAndDrain();

 private:
  void drain();

  std::unique_ptr<BusWindow> window_;
  QWidget* widget_;
  Handler handler_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kestrel
