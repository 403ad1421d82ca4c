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
    {400, "ユーザ \"%s\"を削除してよろしいですか？"},
    {401, "%d個のファイルを削除してよろしいですか？"},
    {402, "'%s' を削除してよろしいですか？"},
    {403, "フォルダ内ののすべてのファイルを削除してよろしいですか？\n\n  %s"},
    {404, "%d 個のファイルをバックアップしました。"},
    {405, "このアイテムのプロパティはありません。"},
    {406, "%s は読み取り専用です。\n本当に削除しますか？"},
    {407, "%sは既に存在します。\n上書きしますか？"},
    {408, "コピー先フォルダが存在しません。作成しますか？\n\n  %s"},
    {452, "'%s' は削除できません。"},
    {454, "変換用テンポラリファイルが作成できないため、変換できません"},
    {455, "リンクの実行ができません"},
    {457, "ファイルがコピーできません\n  %s\n  %s"},
    {458, "フォルダが作成できません\n\n  %s"},
    {459, "カレントのユーザ名が不明です。"},
    {460, "%s が見つかりません。"},
    {461, "%s のバージョンを確認してください。"},
    {550, "インストール"},
    {553, "AppList"},
    {554, "My AppList"},
    {556, "､｡、。，．?!)}｣？！’”）〕］｝〉》」』】-.,"},
    {557, "※・◎●■({｢‘“（〔［｛〈《「『【"},
    {558, "__temp__"},
    {559, "新しいフォルダ"},
    {560, "インストール予約"},
    {561, "インストール解除"},
    {562, "バックアップ"},
    {565, ".bak"},
    {566, "AppLists"},
    {571, "説明"},
    {572, "ファイル名"},
    {573, "タイプ"},
    {574, "リンク"},
    {575, "カテゴリ"},
    {579, "更新日付"},
    {581, "__temp__\\unpack"},
};

constexpr bool SortedById() {
  for (std::size_t i = 1; i < std::size(kMessages); ++i) {
    if (kMessages[i - 1].id >= kMessages[i].id) return false;
  }
  return true;
}
static_assert(SortedById(), "the lookup needs the table sorted by id");

}  // namespace

const char* MessageText(int id) {
  auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), id,
                             [](const Entry& e, int key) { return e.id < key; });
  if (it == std::end(kMessages) || it->id != id) return "";
  return it->text;
}

}  // namespace kestrel
