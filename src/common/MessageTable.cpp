#include "common/MessageTable.h"

#include <algorithm>
#include <iterator>

namespace kestrel {
namespace {

struct Entry {
  int id;
  const char* text;
};

// Keep sorted by id.
constexpr Entry kMessages[] = {
    {406, "%s は読み取り専用です。\n本当に削除しますか？"},
    {407, "%sは既に存在します。\n上書きしますか？"},
    {408, "コピー先フォルダが存在しません。作成しますか？\n\n  %s"},
    {454, "変換用テンポラリファイルが作成できないため、変換できません"},
    {457, "ファイルがコピーできません\n  %s\n  %s"},
    {458, "フォルダが作成できません\n\n  %s"},
    {460, "%s が見つかりません。"},
    {461, "%s のバージョンを確認してください。"},
    {556, "､｡、。，．?!)}｣？！’”）〕］｝〉》」』】-.,"},
    {557, "※・◎●■({｢‘“（〔［｛〈《「『【"},
    {558, "__temp__"},
    {565, ".bak"},
    {581, "__temp__\\unpack"},
};

}  // namespace

const char* MessageText(int id) {
  auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), id,
                             [](const Entry& e, int key) { return e.id < key; });
  if (it == std::end(kMessages) || it->id != id) return "";
  return it->text;
}

}  // namespace kestrel
