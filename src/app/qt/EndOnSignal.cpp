#include "app/qt/EndOnSignal.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "platform/Termination.h"

namespace kestrel {

void EndOnTerminationSignal(QWidget& mainWindow, int mainLoopLevel) {
  int fd = TerminationFd();
  if (fd < 0) return;
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &mainWindow);
  auto* closer = new QTimer(&mainWindow);
  closer->setInterval(20);
  QObject::connect(notifier, &QSocketNotifier::activated, &mainWindow, [notifier, closer] {
    notifier->setEnabled(false);
    closer->start();
  });
  QPointer<QWidget> window(&mainWindow);
  QObject::connect(closer, &QTimer::timeout, &mainWindow, [window, closer, mainLoopLevel] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      // A question is closed as by Escape: its default answer.
      modal->close();
      return;
    }
    if (QThread::currentThread()->loopLevel() > mainLoopLevel) return;
    closer->stop();
    if (window) window->close();
  });
}

}  // namespace kestrel
