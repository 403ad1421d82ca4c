// The dialogs as real Qt dialogs, each placed over the main window and kept
// inside the work area.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "common/Dialogs.h"

namespace kestrel {

class QtDialogs : public Dialogs {
 public:
  // The setup window lives with the other dialogs' windows, which register
  // it here; without one the setup counts as cancelled.
  using FirstStartWindow =
      std::function<std::optional<FirstStartAnswer>(const FirstStartRequest&, QWidget* owner)>;
  static void SetFirstStartWindow(FirstStartWindow window);

  // `owner` is the main window; without one the active window owns them.
  explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }

  std::vector<std::string> openFiles(const FileOpenRequest& request) override;
  std::optional<std::string> chooseFolder(const FolderRequest& request) override;
  std::optional<std::string> askText(const TextRequest& request) override;
  std::optional<FontSpec> chooseFont(const FontRequest& request) override;
  std::optional<FirstStartAnswer> firstStart(const FirstStartRequest& request) override;

 private:
  QWidget* owner() const;
  QPointer<QWidget> owner_;
};

}  // namespace kestrel
