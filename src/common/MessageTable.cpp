#include "common/MessageTable.h"

#include "common/Translate.h"

#include <algorithm>
#include <iterator>

namespace kestrel {
namespace {

struct Entry {
  int id;
  const char* text;
  // False for what is no interface text: the line-break characters, the
  // program's own file and folder names and the AppList nodes, which stay
  // as they are in every language.
  bool shown;
};

// Keep sorted by id.
constexpr Entry kMessages[] = {
    {400, QT_TRANSLATE_NOOP("Kestrel", "ユーザ \"%s\"を削除してよろしいですか？"), true},
    {401, QT_TRANSLATE_NOOP("Kestrel", "%d個のファイルを削除してよろしいですか？"), true},
    {402, QT_TRANSLATE_NOOP("Kestrel", "'%s' を削除してよろしいですか？"), true},
    {403, QT_TRANSLATE_NOOP("Kestrel", "フォルダ内ののすべてのファイルを削除してよろしいですか？\n\n  %s"), true},
    {404, QT_TRANSLATE_NOOP("Kestrel", "%d 個のファイルをバックアップしました。"), true},
    {405, QT_TRANSLATE_NOOP("Kestrel", "このアイテムのプロパティはありません。"), true},
    {406, QT_TRANSLATE_NOOP("Kestrel", "%s は読み取り専用です。\n本当に削除しますか？"), true},
    {407, QT_TRANSLATE_NOOP("Kestrel", "%sは既に存在します。\n上書きしますか？"), true},
    {408, QT_TRANSLATE_NOOP("Kestrel", "コピー先フォルダが存在しません。作成しますか？\n\n  %s"), true},
    {452, QT_TRANSLATE_NOOP("Kestrel", "'%s' は削除できません。"), true},
    {454, QT_TRANSLATE_NOOP("Kestrel", "変換用テンポラリファイルが作成できないため、変換できません"), true},
    {455, QT_TRANSLATE_NOOP("Kestrel", "リンクの実行ができません"), true},
    {457, QT_TRANSLATE_NOOP("Kestrel", "ファイルがコピーできません\n  %s\n  %s"), true},
    {458, QT_TRANSLATE_NOOP("Kestrel", "フォルダが作成できません\n\n  %s"), true},
    {459, QT_TRANSLATE_NOOP("Kestrel", "カレントのユーザ名が不明です。"), true},
    {460, QT_TRANSLATE_NOOP("Kestrel", "%s が見つかりません。"), true},
    {461, QT_TRANSLATE_NOOP("Kestrel", "%s のバージョンを確認してください。"), true},
    {550, QT_TRANSLATE_NOOP("Kestrel", "インストール"), true},
    {553, "AppList", false},
    {554, "My AppList", false},
    {556, "､｡、。，．?!)}｣？！’”）〕］｝〉》」』】-.,", false},
    {557, "※・◎●■({｢‘“（〔［｛〈《「『【", false},
    {558, "__temp__", false},
    {559, QT_TRANSLATE_NOOP("Kestrel", "新しいフォルダ"), true},
    {560, QT_TRANSLATE_NOOP("Kestrel", "インストール予約"), true},
    {561, QT_TRANSLATE_NOOP("Kestrel", "インストール解除"), true},
    {562, QT_TRANSLATE_NOOP("Kestrel", "バックアップ"), true},
    {565, ".bak", false},
    {566, "AppLists", false},
    {571, QT_TRANSLATE_NOOP("Kestrel", "説明"), true},
    {572, QT_TRANSLATE_NOOP("Kestrel", "ファイル名"), true},
    {573, QT_TRANSLATE_NOOP("Kestrel", "タイプ"), true},
    {574, QT_TRANSLATE_NOOP("Kestrel", "リンク"), true},
    {575, QT_TRANSLATE_NOOP("Kestrel", "カテゴリ"), true},
    {579, QT_TRANSLATE_NOOP("Kestrel", "更新日付"), true},
    {581, "__temp__\\unpack", false},
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
  return it->shown ? Tr(it->text) : it->text;
}

}  // namespace kestrel
