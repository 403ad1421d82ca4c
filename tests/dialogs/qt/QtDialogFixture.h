// The dialogs' windows offscreen: an application object, a shell that
// records what it is asked to open, and the outside dialogs answered.
#pragma once

#include <QApplication>
#include <QTest>

#include "DialogFixture.h"
#include "platform/Shell.h"
#include "support/OffscreenApp.h"
#include "support/RecordingShell.h"
#include "support/ScriptedDialogs.h"

namespace kestrel::test {

class QtDialogFixture : public DialogFixture {
 public:
  QtDialogFixture() {
    OffscreenApp();
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
