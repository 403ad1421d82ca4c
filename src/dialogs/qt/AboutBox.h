// The About box ("バージョン情報"): product, rights, version, and our home
// page and mail address as labels that open when clicked.
#pragma once

#include <QDialog>

class QLabel;

namespace kestrel {

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QLabel* Version() const { return version_; }
  QLabel* LblWEB() const { return web_; }
  QLabel* LblMail() const { return mail_; }
  // Its one button is OK and cancel at once: closing always answers OK.
  void reject() override { accept(); }

 private:
  QLabel* version_ = nullptr;
  QLabel* web_ = nullptr;
  QLabel* mail_ = nullptr;
};

}  // namespace kestrel
