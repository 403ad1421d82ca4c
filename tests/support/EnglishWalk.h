// What a window shows, walked for the English interface: every visible
// text of its widgets, actions and menus, and the ones wider than their room.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QStringList>
#include <QTextDocumentFragment>
#include <QWidget>
#include <algorithm>
#include <string>

namespace kestrel::test {

inline bool HasJapanese(const QString& text) {
  for (QChar c : text) {
    ushort u = c.unicode();
    if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF)) {
      return true;
    }
  }
  return false;
}

// "where: text" for each text of `root` and its children that holds a
// Japanese character.
inline QStringList JapaneseTexts(QWidget* root) {
  QStringList out;
  auto check = [&out](const QObject* o, const QString& text) {
    if (HasJapanese(text)) out << o->objectName() + ": " + text;
  };
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    check(w, w->windowTitle());
    check(w, w->toolTip());
    if (auto* l = qobject_cast<QLabel*>(w)) check(l, l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) check(b, b->text());
    if (auto* m = qobject_cast<QMenu*>(w)) check(m, m->title());
    if (auto* c = qobject_cast<QComboBox*>(w)) {
      for (int i = 0; i < c->count(); ++i) check(c, c->itemText(i));
    }
  }
  for (QAction* a : root->findChildren<QAction*>()) {
    check(a, a->text());
    check(a, a->toolTip());
  }
  return out;
}

// The visible labels and buttons whose text needs more room than they have.
inline QStringList CutTexts(QWidget* root) {
  QStringList out;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap() && !l->text().isEmpty()) {
      QString shown = Qt::mightBeRichText(l->text()) ? QTextDocumentFragment::fromHtml(l->text()).toPlainText()
                                                     : l->text();
      int need = 0;
      for (const QString& line : shown.split('\n')) need = std::max(need, l->fontMetrics().horizontalAdvance(line));
      if (need > l->contentsRect().width()) out << l->objectName() + ": " + l->text();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty()) {
      if (b->sizeHint().width() > b->width()) {
        out << b->objectName() + ": " + b->text() + QString(" (%1 > %2)").arg(b->sizeHint().width()).arg(b->width());
      }
    }
  }
  return out;
}

// The findings one a line, for a failure message that can be read.
inline std::string Lines(const QStringList& found) { return found.join('\n').toStdString(); }

}  // namespace kestrel::test
