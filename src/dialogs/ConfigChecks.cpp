#include "dialogs/ConfigChecks.h"

#include "common/MessageBoxes.h"
#include "common/Translate.h"
#include "platform/Codepage.h"

namespace kestrel {
namespace {

std::size_t Bytes(const std::string& utf8) { return Utf8ToCp932(utf8).size(); }

std::optional<std::string> SizeCheck(const char* format, const std::string& han, const std::string& zen) {
  std::size_t h = Bytes(han), z = Bytes(zen);
  if (h == z) return std::nullopt;
  return FormatText(Tr(format), Tr(z < h ? QT_TRANSLATE_NOOP("Kestrel", "全角") : QT_TRANSLATE_NOOP("Kestrel", "半角")));
}

}  // namespace

std::optional<std::string> CheckUserDefinedSets(const std::string& han1, const std::string& zen1,
                                                const std::string& han2, const std::string& zen2) {
  if (auto e = SizeCheck(QT_TRANSLATE_NOOP("Kestrel", "ユーザ定義文字１のサイズが合いません。\n%sのほうが短いようです。"), han1, zen1)) return e;
  if (auto e = SizeCheck(QT_TRANSLATE_NOOP("Kestrel", "ユーザ定義文字２のサイズが合いません。\n%sのほうが短いようです。"), han2, zen2)) return e;
  if (Bytes(han1) % 2 != 0 || Bytes(zen1) % 2 != 0) return std::string(Tr(QT_TRANSLATE_NOOP("Kestrel", "ユーザ定義文字１が不正です。")));
  if (Bytes(han2) % 2 != 0 || Bytes(zen2) % 2 != 0) return std::string(Tr(QT_TRANSLATE_NOOP("Kestrel", "ユーザ定義文字２が不正です。")));
  return std::nullopt;
}

}  // namespace kestrel
