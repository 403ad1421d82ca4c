#include "dialogs/qt/AboutBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "common/Links.h"
#include "common/Translate.h"
#include "dialogs/About.h"
#include "platform/VersionInfo.h"

namespace kestrel {
namespace {

// A label showing an address; a click asks the shell to open its text.
QLabel* LinkLabel(QWidget* parent, const char* name, const char* address) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(QString::fromUtf8(address)));
  label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  label->setCursor(Qt::PointingHandCursor);
  QObject::connect(label, &QLabel::linkActivated, label,
                   [](const QString& link) { OpenLink(link.toStdString()); });
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(QT_TRANSLATE_NOOP("Kestrel", "バージョン情報"));
  setModal(true);
  auto* grid = new QGridLayout(this);
  auto* icon = new QLabel(this);
  QIcon appIcon = QApplication::windowIcon();
  if (appIcon.isNull()) appIcon = style()->standardIcon(QStyle::SP_MessageBoxInformation);
  icon->setPixmap(appIcon.pixmap(48, 48));
  grid->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  auto* product = new QLabel(kProductName, this);
  product->setObjectName("ProductName");
  QFont big = product->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  product->setFont(big);
  grid->addWidget(product, 0, 1);
  auto* rights = new QLabel(kRightsNotice, this);
  rights->setObjectName("Copyright");
  grid->addWidget(rights, 1, 1);
  version_ = new QLabel(QString::fromStdString(VersionLabel(ProgramFileVersion())), this);
  version_->setObjectName("Version");
  grid->addWidget(version_, 2, 1);
  web_ = LinkLabel(this, "LblWEB", kMakerWeb);
  grid->addWidget(web_, 3, 1);
  mail_ = LinkLabel(this, "LblMail", kMakerMail);
  grid->addWidget(mail_, 4, 1);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("OKButton");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(ok, 5, 0, 1, 2, Qt::AlignHCenter);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kestrel
