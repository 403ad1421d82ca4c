#include "app/qt/InterfaceFont.h"

#include <QApplication>

namespace kestrel {

QStringList JapaneseInterfaceFamilies() {
  return {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
          QStringLiteral("IPAPGothic"),       QStringLiteral("IPAexGothic"),
          QStringLiteral("VL PGothic"),       QStringLiteral("TakaoPGothic")};
}

QFont WithPreferredFamilies(const QFont& base, const QStringList& preferred) {
  QStringList families = preferred;
  for (const QString& family : base.families()) {
    if (!families.contains(family)) families << family;
  }
  QFont font = base;
  font.setFamilies(families);
  return font;
}

void UseJapaneseInterfaceFont(QApplication& app) {
  // Every caption is Japanese: drawn in a Japanese face, its kanji take
  // their Japanese forms, and the text needs one font instead of a Latin
  // one plus a search of every installed font for the missing glyphs.
  app.setFont(WithPreferredFamilies(QApplication::font(), JapaneseInterfaceFamilies()));
}

}  // namespace kestrel
