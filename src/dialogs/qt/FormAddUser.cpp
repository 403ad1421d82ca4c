#include "dialogs/qt/FormAddUser.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/Translate.h"
#include "dialogs/qt/DialogHooks.h"

namespace kestrel {

TFormAddUser::TFormAddUser(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
  Build();
}

TFormAddUser::TFormAddUser(const UserInfo& user, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      logic_(user) {
  Build();
}

void TFormAddUser::Build() {
  setWindowTitle(QT_TRANSLATE_NOOP("Kestrel", "ユーザ情報"));
  setModal(true);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "ユーザ名 :"), this), 0, 0);
  userName_ = new QLineEdit(QString::fromStdString(logic_.userName), this);
  userName_->setObjectName("EdUserName");
  userName_->setEnabled(!logic_.changeMode());
  grid->addWidget(userName_, 0, 1, 1, 2);
  grid->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "バックアップフォルダ :"), this), 1, 0);
  backPath_ = new QLineEdit(QString::fromStdString(logic_.backPath), this);
  backPath_->setObjectName("EdBackPath");
  backPath_->setMinimumWidth(280);
  grid->addWidget(backPath_, 1, 1);
  browse_ = new QPushButton("...", this);
  browse_->setObjectName("BitBtn1");
  browse_->setAutoDefault(false);
  connect(browse_, &QPushButton::clicked, this, &TFormAddUser::BitBtn1Click);
  grid->addWidget(browse_, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  ok_ = new QPushButton(QT_TRANSLATE_NOOP("Kestrel", "OK(&O)"), this);
  ok_->setObjectName("BtnOK");
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &TFormAddUser::BtnOKClick);
  auto* cancel = new QPushButton(QT_TRANSLATE_NOOP("Kestrel", "キャンセル"), this);
  cancel->setObjectName("BtnCancel");
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 2, 0, 1, 3);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormAddUser::BitBtn1Click() {
  if (auto folder = ChooseDialogFolder(backPath_->text().toStdString(), QT_TRANSLATE_NOOP("Kestrel", "バックアップフォルダを指定してください"))) {
    logic_.FolderChosen(*folder);
    backPath_->setText(QString::fromStdString(logic_.backPath));
  }
}

void TFormAddUser::BtnOKClick() {
  logic_.userName = userName_->text().toStdString();
  logic_.backPath = backPath_->text().toStdString();
  bool ok = logic_.Ok();
  backPath_->setText(QString::fromStdString(logic_.backPath));
  if (ok) accept();
}

}  // namespace kestrel
