#include "dialogs/qt/FormFirstStart.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/Translate.h"
#include "common/qt/QtPrompter.h"
#include "dialogs/qt/DialogHooks.h"
#include "common/qt/QtTranslate.h"

namespace kestrel {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TFormFirstStart::TFormFirstStart(const FirstStartRequest& offer, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(kFirstStartCaption);
  setModal(true);
  auto* grid = new QGridLayout(this);
  auto* intro = new QLabel(
      Ui(QT_TRANSLATE_NOOP("Kestrel", "Palm Desktopが見つかりません。\n")) +
          Ui(QT_TRANSLATE_NOOP("Kestrel", "HotSyncのためのフォルダと設定を作成します。")),
      this);
  grid->addWidget(intro, 0, 0, 1, 3);
  grid->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "Palmデータのフォルダ :"), this), 1, 0);
  palmPath_ = new QLineEdit(Q(offer.palmFolder), this);
  palmPath_->setObjectName("EdPalmPath");
  palmPath_->setMinimumWidth(280);
  grid->addWidget(palmPath_, 1, 1);
  auto* browse = new QPushButton("...", this);
  browse->setObjectName("BitBtn1");
  browse->setAutoDefault(false);
  connect(browse, &QPushButton::clicked, this, &TFormFirstStart::BitBtn1Click);
  grid->addWidget(browse, 1, 2);
  grid->addWidget(new QLabel("HotSync :", this), 2, 0);
  auto* program = new QLabel(Q(offer.hotSyncProgram), this);
  program->setObjectName("LblHotSyncPath");
  grid->addWidget(program, 2, 1, 1, 2);
  grid->addWidget(new QLabel(QT_TRANSLATE_NOOP("Kestrel", "COMポート :"), this), 3, 0);
  auto* port = new QLabel(Q(offer.port), this);
  port->setObjectName("LblComPort");
  grid->addWidget(port, 3, 1, 1, 2);
  network_ = new QCheckBox(QT_TRANSLATE_NOOP("Kestrel", "ネットワークHotSyncを使う"), this);
  network_->setObjectName("ChkBNetHotSync");
  network_->setChecked(offer.networkHotSync);
  grid->addWidget(network_, 4, 0, 1, 3);
  auto* warning = new QLabel(QT_TRANSLATE_NOOP("Kestrel", "オンにすると、ネットワーク上のどの機器からでもHotSyncできます。"), this);
  warning->setObjectName("LblNetHotSync");
  grid->addWidget(warning, 5, 0, 1, 3);
  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(Ui(QT_TRANSLATE_NOOP("Kestrel", "OK(&O)")), QDialogButtonBox::AcceptRole);
  ok_->setObjectName("BtnOK");
  ok_->setDefault(true);
  buttons->addButton(QT_TRANSLATE_NOOP("Kestrel", "キャンセル"), QDialogButtonBox::RejectRole)->setObjectName("BtnCancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  grid->addWidget(buttons, 6, 0, 1, 3);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

FirstStartAnswer TFormFirstStart::answer() const {
  return {palmPath_->text().toStdString(), network_->isChecked()};
}

void TFormFirstStart::BitBtn1Click() {
  if (auto folder = ChooseDialogFolder(palmPath_->text().toStdString(), QT_TRANSLATE_NOOP("Kestrel", "Palmデータのフォルダを指定してください"))) {
    palmPath_->setText(Q(*folder));
  }
}

std::optional<FirstStartAnswer> TFormFirstStart::Ask(const FirstStartRequest& offer, QWidget* owner) {
  TFormFirstStart form(offer, owner);
  form.adjustSize();
  PlaceDialogOver(&form, owner);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.answer();
}

}  // namespace kestrel
