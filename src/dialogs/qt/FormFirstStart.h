// The first start's setup window ("Palm Desktopのセットアップ"): the Palm
// data folder, the HotSync program and port it will use, and whether
// handhelds on the network may sync. The work is SetUpPalmDesktopSide's;
// this window only asks.
#pragma once

#include <QDialog>
#include <optional>

#include "common/Dialogs.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kestrel {

class TFormFirstStart : public QDialog {
 public:
  explicit TFormFirstStart(const FirstStartRequest& offer, QWidget* parent = nullptr);

  // What was chosen (meaningful once accepted).
  FirstStartAnswer answer() const;

  QLineEdit* EdPalmPath() const { return palmPath_; }
  QCheckBox* ChkBNetHotSync() const { return network_; }
  QPushButton* BtnOK() const { return ok_; }

  // Shows the window placed over `owner`; nullopt when cancelled. What the
  // program's dialogs show for the first start.
  static std::optional<FirstStartAnswer> Ask(const FirstStartRequest& offer, QWidget* owner);

 private:
  void BitBtn1Click();

  QLineEdit* palmPath_ = nullptr;
  QCheckBox* network_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace kestrel
