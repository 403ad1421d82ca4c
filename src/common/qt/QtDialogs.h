// The dialogs as real Qt dialogs, each placed over the main window and kept
// inside the work area.
#pragma once

#include <QPointer>
#include <QWidget>

#include "common/Dialogs.h"

namespace kestrel {

class QtDialogs : public Dialogs {
 public:
  // `owner` is the main window; without one the active window owns them.
  explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }

  std::vector<std::string> openFiles(const FileOpenRequest& request) override;
  std::optional<std::string> chooseFolder(const FolderRequest& request) override;
  std::optional<std::string> askText(const TextRequest& request) override;
  std::optional<FontSpec> chooseFont(const FontRequest& request) override;

 private:
  QWidget* owner() const;
  QPointer<QWidget> owner_;
};

}  // namespace kestrel
