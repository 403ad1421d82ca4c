#include "shell/qt/InterfaceFont.h"

#include <QApplication>
#include <QFontDatabase>

#include <fontconfig/fontconfig.h>

#include <system_error>

#include "platform/HelperThread.h"

namespace kestrel {

QStringList JapaneseInterfaceFamilies() {
  return {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
          QStringLiteral("IPAPGothic"),       QStringLiteral("IPAexGothic"),
          QStringLiteral("VL PGothic"),       QStringLiteral("TakaoPGothic")};
}

QFont WithPreferredFamilies(const QFont& base, const QStringList& preferred) {
  QFont font = base;
  for (const QString& family : preferred) {
    // One family only: a list would make Qt look up the fallbacks of every
    // font at once instead of when a glyph is missing.
    if (QFontDatabase::hasFamily(family)) {
      font.setFamilies({family});
      break;
    }
  }
  return font;
}

void UseJapaneseInterfaceFont(QApplication& app) {
  // Every caption is Japanese: drawn in a Japanese face, its kanji take
  // their Japanese forms, and the text needs one font instead of a Latin
  // one plus a search of every installed font for the missing glyphs.
  app.setFont(WithPreferredFamilies(QApplication::font(), JapaneseInterfaceFamilies()));
}

FontConfigurationReader::FontConfigurationReader() {
  try {
    // Made current for the whole program; the later questions find it read.
    thread_ = StartBeside([this] {
      FcInit();
      std::lock_guard lock(mutex_);
      done_ = true;
      read_.notify_all();
    });
  } catch (const std::system_error&) {
    // No thread: the first font question reads it as before.
    done_ = true;
  }
}

FontConfigurationReader::~FontConfigurationReader() {
  if (thread_.joinable()) thread_.join();
}

void FontConfigurationReader::Wait() {
  std::unique_lock lock(mutex_);
  read_.wait(lock, [this] { return done_; });
}

}  // namespace kestrel
