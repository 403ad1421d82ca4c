// The dialogs' windows offscreen: an application object, a shell that
// records what it is asked to open, and the outside dialogs answered.
#pragma once

#include <QApplication>
#include <QTest>

#include "DialogFixture.h"
#include "support/ScriptedDialogs.h"
#include "platform/Shell.h"

namespace kestrel::test {

class RecordingShell : public Shell {
 public:
  explicit RecordingShell(std::vector<std::string>* opened) : opened_(opened) {}
  bool open(const std::string& target, const std::string&, const std::string&) override {
    opened_->push_back(target);
    return true;
  }

 private:
  std::vector<std::string>* opened_;
};

class QtDialogFixture : public DialogFixture {
 public:
  QtDialogFixture() {
    static int argc = 1;
    static char name[] = "dialogs_qt_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    SetShell(std::make_unique<RecordingShell>(&opened));
  }
  ~QtDialogFixture() {
    SetShell(nullptr);
  }

  template <class T>
  static T* Find(QWidget* in, const char* name) {
    T* w = in->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  std::vector<std::string> opened;
  ScriptedDialogs dialogs;
};

}  // namespace kestrel::test
