// The user dialog's window ("ユーザ情報") over AddUser.
#pragma once

#include <QDialog>

#include "dialogs/AddUser.h"

class QLineEdit;
class QPushButton;

namespace kestrel {

class TFormAddUser : public QDialog {
 public:
  // Add mode.
  explicit TFormAddUser(QWidget* parent = nullptr);
  // Change mode for a registered user: the name shown but not editable.
  explicit TFormAddUser(const UserInfo& user, QWidget* parent = nullptr);

  AddUser& logic() { return logic_; }
  QLineEdit* EdUserName() const { return userName_; }
  QLineEdit* EdBackPath() const { return backPath_; }
  QPushButton* BtnOK() const { return ok_; }
  QPushButton* BitBtn1() const { return browse_; }

 private:
  void Build();
  void BtnOKClick();
  void BitBtn1Click();

  AddUser logic_;
  QLineEdit* userName_ = nullptr;
  QLineEdit* backPath_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* browse_ = nullptr;
};

}  // namespace kestrel
