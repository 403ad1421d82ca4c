// The least a Qt 6 window program does: make the application, show a main
// window, and close it from the event loop's first turn. The start-up bench
// measures kestrel-plus against it.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.resize(645, 432);
  window.show();
  QTimer::singleShot(0, &window, &QMainWindow::close);
  return app.exec();
}
