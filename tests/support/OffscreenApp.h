// The one QApplication of a test process, made at its first use; ctest
// runs every test with the offscreen platform.
#pragma once

#include <QApplication>

namespace kestrel::test {

inline QApplication& OffscreenApp() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  static int argc = 1;
  static char name[] = "kestrel_tests";
  static char* argv[] = {name, nullptr};
  return *new QApplication(argc, argv);  // lives as long as the process
}

// A fixture's first member: the application is there before its widgets.
struct WithOffscreenApp {
  WithOffscreenApp() { OffscreenApp(); }
};

}  // namespace kestrel::test
