// The main window offscreen over an AppFixture home: the application
// object, no serial ports unless a test names them, the window itself
// (made by the test, so it can wire what it needs first) and a way to reach
// a tree node by its captions.
#pragma once

#include <QApplication>
#include <QString>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "shell/qt/FormKestrel.h"
#include "support/AppFixture.h"
#include "support/OffscreenApp.h"

namespace kestrel::test {

class FormFixture : public AppFixture {
 protected:
  FormFixture() {
    OffscreenApp();
    setenv("KESTREL_COM_PORTS", "", 1);
  }
  ~FormFixture() override { form.reset(); }

  // Makes the window, lets `wire` plug subsystems into it (WireSubsystems:
  // all of the program's), builds it and waits until it is shown.
  template <class Wire>
  void OpenWired(Wire wire, const std::vector<std::string>& files = {}) {
    form = std::make_unique<TFormKestrel>();
    wire(*form);
    form->FormCreate(files, true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  // The node reached through these captions from the top; null when a
  // caption is not there.
  QTreeWidgetItem* TreeItem(const std::vector<QString>& path) {
    QTreeWidget* tree = form->TViewUsers();
    QTreeWidgetItem* item = nullptr;
    for (const QString& caption : path) {
      QTreeWidgetItem* found = nullptr;
      int n = item ? item->childCount() : tree->topLevelItemCount();
      for (int i = 0; i < n && !found; ++i) {
        QTreeWidgetItem* c = item ? item->child(i) : tree->topLevelItem(i);
        if (c->text(0) == caption) found = c;
      }
      if (!found) return nullptr;
      item = found;
    }
    return item;
  }
  // Selects that node; fails the test when it is not there.
  void Select(const std::vector<QString>& path) {
    QTreeWidgetItem* item = TreeItem(path);
    ASSERT_NE(item, nullptr) << path.back().toStdString();
    form->TViewUsers()->setCurrentItem(item);
  }

  std::unique_ptr<TFormKestrel> form;
};

}  // namespace kestrel::test
