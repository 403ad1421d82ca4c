#include "applist/qt/TFormAppListEdit.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>
#include <QValidator>
#include <QVBoxLayout>

#include "common/MessageTable.h"
#include "common/Translate.h"
#include "common/qt/QtPrompter.h"
#include "platform/Codepage.h"

namespace kestrel {
namespace {

constexpr const char* kCaption = QT_TRANSLATE_NOOP("Kestrel", "プロパティ");
constexpr const char* kFilePage = QT_TRANSLATE_NOOP("Kestrel", "ファイル");
constexpr const char* kAppListPage = "AppList";
constexpr const char* kTitleNotice = QT_TRANSLATE_NOOP("Kestrel", "タイトルの変更は危険なので自己責任でお願いします");
constexpr const char* kAppListNotice = QT_TRANSLATE_NOOP("Kestrel", "AppListの編集を行います");

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// The database name holds 30 Shift_JIS bytes at most.
class SjisLengthValidator : public QValidator {
 public:
  SjisLengthValidator(int maxBytes, QObject* parent) : QValidator(parent), max_(maxBytes) {}
  State validate(QString& input, int&) const override {
    return Utf8ToCp932(S(input)).size() <= static_cast<std::size_t>(max_) ? Acceptable : Invalid;
  }
  void fixup(QString& input) const override { input = Q(CutToSjisBytes(S(input), max_)); }

 private:
  int max_;
};

QLineEdit* Edit(const char* name, bool readOnly, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setReadOnly(readOnly);
  return e;
}

}  // namespace

TFormAppListEdit::TFormAppListEdit(AppListEditor& editor, QWidget* parent)
    : QDialog(parent), editor_(editor) {
  setWindowTitle(kCaption);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setObjectName("FormAppListEdit");

  pages_ = new QTabWidget(this);
  auto* filePage = new QWidget;
  filePage->setObjectName("TabSheet1");
  auto* fileForm = new QFormLayout(filePage);
  EdFileName = Edit("EdFileName", false, filePage);
  EdFileSize = Edit("EdFileSize", true, filePage);
  EdFileDate = Edit("EdFileDate", true, filePage);
  EdTitle = Edit("EdTitle", true, filePage);
  EdTitle->setValidator(new SjisLengthValidator(kTitleMaxBytes, EdTitle));
  BtnChangeTitle = new QPushButton(QT_TRANSLATE_NOOP("Kestrel", "変更"), filePage);
  BtnChangeTitle->setObjectName("BtnChangeTitle");
  auto* titleRow = new QHBoxLayout;
  titleRow->addWidget(EdTitle);
  titleRow->addWidget(BtnChangeTitle);
  fileForm->addRow(MessageText(572), EdFileName);
  fileForm->addRow(QT_TRANSLATE_NOOP("Kestrel", "サイズ"), EdFileSize);
  fileForm->addRow(MessageText(579), EdFileDate);
  fileForm->addRow(QT_TRANSLATE_NOOP("Kestrel", "タイトル"), titleRow);
  auto* titleNotice = new QLabel(kTitleNotice, filePage);
  titleNotice->setObjectName("LblTitleNotice");
  fileForm->addRow(titleNotice);

  auto* appListPage = new QWidget;
  appListPage->setObjectName("TabSheet2");
  auto* appListForm = new QFormLayout(appListPage);
  auto* appListNotice = new QLabel(kAppListNotice, appListPage);
  appListNotice->setObjectName("LblAppListNotice");
  appListForm->addRow(appListNotice);
  EdFile = Edit("EdFile", false, appListPage);
  EdType = Edit("EdType", false, appListPage);
  EdNote = Edit("EdNote", false, appListPage);
  EdLink = Edit("EdLink", false, appListPage);
  EdCat = Edit("EdCat", true, appListPage);
  EdDate = Edit("EdDate", true, appListPage);
  appListForm->addRow(MessageText(572), EdFile);
  appListForm->addRow(MessageText(573), EdType);
  appListForm->addRow(MessageText(571), EdNote);
  appListForm->addRow(MessageText(574), EdLink);
  appListForm->addRow(MessageText(575), EdCat);
  appListForm->addRow(MessageText(579), EdDate);

  pages_->addTab(filePage, kFilePage);
  pages_->addTab(appListPage, kAppListPage);

  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("OKButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QT_TRANSLATE_NOOP("Kestrel", "キャンセル"), this);
  cancel->setObjectName("CancelButton");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addLayout(buttons);
  resize(420, 320);

  connect(BtnChangeTitle, &QPushButton::clicked, this, [this] { BtnChangeTitleClick(); });
  connect(ok, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  FormShow();
}

void TFormAppListEdit::FormShow() {
  if (editor_.mode() == AppListEditor::Mode::File) {
    EdFileName->setText(Q(editor_.fileName));
    EdFileSize->setText(Q(editor_.sizeText()));
    EdFileDate->setText(Q(editor_.dateText()));
    EdTitle->setText(Q(editor_.title));
    pages_->setCurrentIndex(0);
  } else {
    pages_->setTabVisible(0, false);
    pages_->setCurrentIndex(1);
  }
  EdFile->setText(Q(editor_.file));
  EdType->setText(Q(editor_.type));
  EdNote->setText(Q(editor_.note));
  EdLink->setText(Q(editor_.link));
  EdCat->setText(Q(editor_.category));
  EdDate->setText(Q(editor_.date));
}

void TFormAppListEdit::BtnChangeTitleClick() {
  if (!editor_.ChangeTitle()) return;
  EdTitle->setReadOnly(false);
  QPalette p = EdTitle->palette();
  p.setColor(QPalette::Text, QColor(255, 0, 0));
  EdTitle->setPalette(p);
  EdTitle->setFocus();
}

void TFormAppListEdit::OKButtonClick() {
  if (editor_.mode() == AppListEditor::Mode::File) {
    editor_.fileName = S(EdFileName->text());
    editor_.title = S(EdTitle->text());
  }
  editor_.file = S(EdFile->text());
  editor_.type = S(EdType->text());
  editor_.note = S(EdNote->text());
  editor_.link = S(EdLink->text());
  outcome_ = editor_.Ok();
  accept();
}

std::optional<AppListEditor::Result> RunAppListEditor(AppListEditor& editor, QWidget* owner) {
  TFormAppListEdit form(editor, owner);
  PlaceDialogOver(&form, owner);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.outcome();
}

}  // namespace kestrel
