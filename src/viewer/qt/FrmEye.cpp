#include "viewer/qt/FrmEye.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Links.h"
#include "common/MessageBoxes.h"
#include "common/Translate.h"
#include "common/qt/QtTranslate.h"

namespace kestrel {
namespace {

PaneCharset ToPane(GlanceCharset c) {
  return c == GlanceCharset::ShiftJis ? PaneCharset::ShiftJis : PaneCharset::Ansi;
}

}  // namespace

TfrmEye::TfrmEye(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Glancer"));
  Editor1 = new TextPane(this);
  Editor1->setRules(GlanceHighlightRules());
  Editor1->installEventFilter(this);
  Editor1->onClicked = [this] { Editor1Click(); };

  PnlFind = new QWidget(this);
  auto* bar = new QHBoxLayout(PnlFind);
  bar->setContentsMargins(4, 2, 4, 2);
  bar->addWidget(new QLabel(Ui(QT_TRANSLATE_NOOP("Kestrel", "検索 (正規表現):")), PnlFind));
  EdFind = new QLineEdit(PnlFind);
  EdFind->installEventFilter(this);
  bar->addWidget(EdFind, 1);
  auto* next = new QPushButton(Ui(QT_TRANSLATE_NOOP("Kestrel", "次を検索 (F3)")), PnlFind);
  next->setAutoDefault(false);
  bar->addWidget(next);
  LblFind = new QLabel(PnlFind);
  bar->addWidget(LblFind);
  connect(next, &QPushButton::clicked, this, [this] { FindNext(); });
  connect(EdFind, &QLineEdit::returnPressed, this, [this] { FindNext(); });
  PnlFind->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Editor1, 1);
  layout->addWidget(PnlFind);
  resize(688, 453);
}

void TfrmEye::setRequest(const GlanceRequest& request) {
  request_ = request;
  const Rect& p = request.place;
  if (p.width > 0 && p.height > 0) {
    move(p.left, p.top);
    resize(p.width, p.height);
  }
}

// Left, top, width and height of the whole window, frame included, as the
// main window's rectangle is given.
Rect TfrmEye::place() const {
  QRect frame = frameGeometry();
  return {frame.left(), frame.top(), frame.width(), frame.height()};
}

void TfrmEye::applyFont(const GlanceFont& font) {
  font_ = font;
  Editor1->setPaneFont(font.name, PointsToPixels(font.size), ToPane(font.charset));
}

void TfrmEye::FormShow() {
  applyFont(request_.fonts.japanese());
  std::string error;
  auto content = LoadGlanceContent(request_.path, request_.htmlConv, Editor1->fittingWrapWidth(), &error);
  if (!content) {
    setWindowTitle(QString::fromStdString(GlanceCaption(request_.path, "")));
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "ファイルを読めません\n%s\n%s"), request_.path.c_str(), error.c_str());
    return;
  }
  setWindowTitle(QString::fromStdString(GlanceCaption(request_.path, content->suffix)));
  Editor1->setText(content->text);
  Editor1->setCaret(0, 0);
}

void TfrmEye::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // The frame is known once shown: the whole window takes the place given.
  const Rect& p = request_.place;
  QSize extra = frameGeometry().size() - size();
  if (p.width > 0 && p.height > 0 && (extra.width() > 0 || extra.height() > 0)) {
    resize(std::max(1, p.width - extra.width()), std::max(1, p.height - extra.height()));
  }
  if (layout()) layout()->activate();
  FormShow();
  Editor1->setFocus();
}

void TfrmEye::SwitchFont() { applyFont(request_.fonts.after(font_)); }

void TfrmEye::ShowFind() {
  PnlFind->show();
  EdFind->setFocus();
  EdFind->selectAll();
}

void TfrmEye::FindNext() {
  if (EdFind->text().isEmpty()) {
    ShowFind();
    return;
  }
  QRegularExpression pattern(EdFind->text());
  if (!pattern.isValid()) {
    PnlFind->show();
    LblFind->setText(Ui(QT_TRANSLATE_NOOP("Kestrel", "正規表現が正しくありません: ")) + pattern.errorString());
    return;
  }
  switch (Editor1->findNext(pattern)) {
    case TextPane::FindResult::Found: LblFind->clear(); break;
    case TextPane::FindResult::FoundFromTop: LblFind->setText(Ui(QT_TRANSLATE_NOOP("Kestrel", "先頭から検索しました"))); break;
    case TextPane::FindResult::NotFound: LblFind->setText(Ui(QT_TRANSLATE_NOOP("Kestrel", "見つかりません"))); break;
  }
}

void TfrmEye::Editor1Click() {
  std::string address = AddressToOpen(Editor1->tokenAtCaret());
  if (!address.empty()) OpenLink(address);
}

bool TfrmEye::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (watched == EdFind) {
    if (key->key() == Qt::Key_Escape) {
      PnlFind->hide();
      Editor1->setFocus();
      return true;
    }
    if (key->key() == Qt::Key_F3) {
      FindNext();
      return true;
    }
    return false;
  }
  if (watched == Editor1) {
    Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_Escape) {
      reject();
      return true;
    }
    if (key->key() == Qt::Key_C && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
      SwitchFont();
      return true;
    }
    if (key->key() == Qt::Key_F && mods == Qt::ControlModifier) {
      ShowFind();
      return true;
    }
    if (key->key() == Qt::Key_F3) {
      FindNext();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmEye::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F && event->modifiers() == Qt::ControlModifier) {
    ShowFind();
    return;
  }
  if (event->key() == Qt::Key_F3) {
    FindNext();
    return;
  }
  QDialog::keyPressEvent(event);  // Esc closes
}

Rect ShowGlanceWindow(const GlanceRequest& request, QWidget* parent) {
  TfrmEye eye(parent);
  eye.setRequest(request);
  eye.exec();
  return eye.place();
}

}  // namespace kestrel
