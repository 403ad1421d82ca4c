#include "applist/AppListCatalogue.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "applist/AppListFile.h"
#include "applist/CommaText.h"
#include "common/MessageBoxes.h"
#include "common/Translate.h"
#include "platform/Codepage.h"
#include "platform/Home.h"

namespace kestrel {
namespace {

constexpr const char* kCannotRead = QT_TRANSLATE_NOOP("Kestrel", "ファイルが読み込めません\n\n  %s");
constexpr const char* kCannotSave = QT_TRANSLATE_NOOP("Kestrel", "ファイルが保存できません\n\n  %s");
// Writing a list that could not be read would replace its entries with
// the few this run has.
constexpr const char* kNotSavedUnread = QT_TRANSLATE_NOOP("Kestrel", "ファイルが読み込めなかったため、保存しません\n\n  %s");

// A line without any field: empty, or blanks only.
bool NoFields(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
  });
}

// The order of UpperSjis(field) against an upper-cased key, without
// making the upper-cased text.
int CompareUpper(std::string_view field, std::string_view key) {
  std::size_t n = std::min(field.size(), key.size());
  bool trail = false;
  for (std::size_t i = 0; i < n; ++i) {
    auto c = static_cast<unsigned char>(field[i]);
    if (trail) {
      trail = false;
    } else if (IsLeadByte(c)) {
      trail = true;
    } else if (static_cast<unsigned>(c - 'a') < 26u) {
      c = static_cast<unsigned char>(c - 'a' + 'A');
    }
    auto k = static_cast<unsigned char>(key[i]);
    if (c != k) return c < k ? -1 : 1;
  }
  if (field.size() == key.size()) return 0;
  return field.size() < key.size() ? -1 : 1;
}

// Halving search over field 0, upper-cased. Lines without fields (entries
// deleted since the last save) do not take part: the lines around them are
// still in order.
int Search(const AppListCatalogue& catalogue, AppListId id, const std::string& key) {
  if (catalogue.count(id) == 0) return -1;
  int low = 0;
  int high = catalogue.count(id) - 1;
  std::string scratch;
  auto at = [&](int i) { return catalogue.LineView(id, i); };
  while (low < high) {
    int mid = low + (high - low) / 2;
    int probe = mid;
    while (probe <= high && NoFields(at(probe))) ++probe;
    if (probe > high) {
      high = mid;
      continue;
    }
    int c = CompareUpper(FirstCommaFieldView(at(probe), scratch), key);
    if (c == 0) return probe;
    if (c < 0) {
      low = probe + 1;
    } else {
      high = mid;
    }
  }
  if (low > high || NoFields(at(low))) return -1;
  return CompareUpper(FirstCommaFieldView(at(low), scratch), key) == 0 ? low : -1;
}

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// A file name as the lists hold it: ASCII is the same in both.
std::string SjisName(std::string_view utf8) {
  return IsAscii(utf8) ? std::string(utf8) : Utf8ToCp932(utf8);
}

// One text code: a double-byte character as lead × 256 + trail, a letter
// upper-cased.
unsigned NextCode(std::string_view s, std::size_t& i) {
  auto c = static_cast<unsigned char>(s[i++]);
  if (IsLeadByte(c) && i < s.size()) return c * 256u + static_cast<unsigned char>(s[i++]);
  return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

}  // namespace

namespace {

// The upper-cased bytes of a line, one by one, a trail byte left alone.
class UpperBytes {
 public:
  explicit UpperBytes(std::string_view s) : p_(s.data()), n_(s.size()) {}
  bool done() const { return i_ >= n_; }
  unsigned char next() {
    auto c = static_cast<unsigned char>(p_[i_++]);
    if (trail_) {
      trail_ = false;
      return c;
    }
    if (IsLeadByte(c)) {
      trail_ = true;
      return c;
    }
    return static_cast<unsigned>(c - 'a') < 26u ? static_cast<unsigned char>(c - 'a' + 'A') : c;
  }

 private:
  const char* p_;
  std::size_t n_;
  std::size_t i_ = 0;
  bool trail_ = false;
};

constexpr std::uint64_t kOneBytes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Eight ASCII bytes (none with the high bit) with their small letters
// made capitals.
std::uint64_t UpperAscii8(std::uint64_t w) {
  std::uint64_t atLeastA = (w + kOneBytes * (0x80 - 'a')) & kHighBits;
  std::uint64_t aboveZ = (w + kOneBytes * (0x80 - 'z' - 1)) & kHighBits;
  return w ^ ((atLeastA & ~aboveZ) >> 2);
}

// UpperSjis(a) against UpperSjis(b), without making either: negative,
// zero or positive.
int UpperCompare(std::string_view a, std::string_view b) {
  UpperBytes x(a), y(b);
  while (!x.done() && !y.done()) {
    unsigned char p = x.next(), q = y.next();
    if (p != q) return p < q ? -1 : 1;
  }
  if (x.done() == y.done()) return 0;
  return x.done() ? -1 : 1;
}

// A line's place in the sort: the first sixteen upper-cased bytes of its
// name as two numbers that order as those bytes do.
struct Key {
  std::uint64_t head[2];
  std::uint32_t line;
  std::uint32_t size;  // the name's
};

// Byte d of a key's head, counted from the lowest.
inline unsigned HeadByte(const Key& k, int d) { return (k.head[1 - d / 8] >> (d % 8 * 8)) & 0xFF; }

// Sorts the n keys at `keys` by their head bytes below `digits`, stably:
// eight bits a pass from the lowest, a pass left out where every key has
// the same bits there. `spare` has room for n keys.
void SortByLowBytes(Key* keys, Key* spare, std::size_t n, int digits) {
  if (n < 2) return;
  if (n < 64) {
    // Too few for the passes' counts to pay: the heads are compared.
    std::stable_sort(keys, keys + n, [](const Key& a, const Key& b) {
      return a.head[0] != b.head[0] ? a.head[0] < b.head[0] : a.head[1] < b.head[1];
    });
    return;
  }
  std::array<std::array<std::uint32_t, 256>, 16> counts{};
  for (std::size_t i = 0; i < n; ++i) {
    for (int d = 0; d < digits; ++d) ++counts[static_cast<std::size_t>(d)][HeadByte(keys[i], d)];
  }
  Key* from = keys;
  Key* to = spare;
  for (int d = 0; d < digits; ++d) {
    auto& count = counts[static_cast<std::size_t>(d)];
    if (count[HeadByte(from[0], d)] == n) continue;
    std::uint32_t sum = 0;
    for (auto& c : count) {
      std::uint32_t k = c;
      c = sum;
      sum += k;
    }
    for (std::size_t i = 0; i < n; ++i) to[count[HeadByte(from[i], d)]++] = from[i];
    std::swap(from, to);
  }
  if (from != keys) std::memcpy(keys, from, n * sizeof(Key));
}

// Sorts keys by their heads, stably: first into runs by their first two
// bytes, then each run by the rest, a run being small enough to stay in
// the cache through its passes (a pass over all keys would not).
void SortByHeads(std::vector<Key>& keys) {
  const std::size_t n = keys.size();
  if (n < 2) return;
  std::vector<Key> other(n);
  std::vector<std::uint32_t> count(1 << 16);
  auto top = [](const Key& k) { return static_cast<std::size_t>(k.head[0] >> 48); };
  for (const Key& k : keys) ++count[top(k)];
  std::uint32_t sum = 0;
  for (auto& c : count) {
    std::uint32_t k = c;
    c = sum;
    sum += k;
  }
  // count[b] now starts run b; after the scatter it ends it.
  for (const Key& k : keys) other[count[top(k)]++] = k;
  std::uint32_t begin = 0;
  for (std::uint32_t end : count) {
    if (end - begin > 1) SortByLowBytes(other.data() + begin, keys.data() + begin, end - begin, 14);
    begin = end;
  }
  keys.swap(other);
}

// The items in the order of the keys' lines.
template <class Item>
void Gather(std::vector<Item>& items, const std::vector<Key>& keys) {
  std::vector<Item> ordered;
  ordered.reserve(items.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (i + 16 < keys.size()) __builtin_prefetch(&items[keys[i + 16].line]);
    ordered.push_back(std::move(items[keys[i].line]));
  }
  items.swap(ordered);
}

// Sorts the lines, and their spans along with them when there are spans
// (whose field 0 is then the name).
template <class Line>
void SortLines(std::vector<Line>& lines, std::vector<CommaFieldSpans>* spans) {
  // A line's file name (field 0): from its spans, or found again (made in
  // `scratch` when it has doubled quotes).
  auto nameOf = [&](std::uint32_t i, std::string& scratch) -> std::string_view {
    if (spans && (*spans)[i].known()) {
      const CommaFieldSpans& s = (*spans)[i];
      return s.count ? std::string_view(lines[i].data() + s.at[0], s.size[0]) : std::string_view();
    }
    return FirstCommaFieldView(lines[i], scratch);
  };
  // The first sixteen upper-cased bytes of each name as two numbers that
  // order as those bytes do: nearly every comparison ends there.
  std::vector<Key> keys;
  keys.reserve(lines.size());
  std::string scratch;
  for (std::uint32_t i = 0; i < lines.size(); ++i) {
    std::string_view name = nameOf(i, scratch);
    Key k{{0, 0}, i, static_cast<std::uint32_t>(std::min<std::size_t>(name.size(), UINT32_MAX))};
    // A shorter name is padded with zeros, as the byte loop pads it.
    std::uint64_t w[2] = {0, 0};
    if (name.size() > 8 && name.size() < 16) {
      // The usual size: two fixed loads, the second shifted past the bytes
      // that the first has.
      std::uint64_t last;
      std::memcpy(&w[0], name.data(), 8);
      std::memcpy(&last, name.data() + name.size() - 8, 8);
      w[1] = last >> (8 * (16 - name.size()));
    } else if (!name.empty()) {
      std::memcpy(w, name.data(), std::min<std::size_t>(name.size(), 16));
    }
    if (((w[0] | w[1]) & kHighBits) == 0) {
      // Sixteen ASCII bytes (or a whole ASCII name), the usual start of a
      // name: upper-cased eight at a time.
      k.head[0] = __builtin_bswap64(UpperAscii8(w[0]));
      k.head[1] = __builtin_bswap64(UpperAscii8(w[1]));
    } else {
      UpperBytes u(name);
      for (int b = 0; b < 16; ++b) {
        unsigned char c = u.done() ? 0 : u.next();
        k.head[b / 8] = (k.head[b / 8] << 8) | c;
      }
    }
    keys.push_back(k);
  }
  // By name, as the look-up halves by it, whether it is quoted or not;
  // then by the whole line. Equal lines keep their order: the line number
  // decides between them, so the order is total and any sort gives the
  // stable one.
  std::string other;
  auto before = [&](const Key& a, const Key& b) {
    if (a.head[0] != b.head[0]) return a.head[0] < b.head[0];
    if (a.head[1] != b.head[1]) return a.head[1] < b.head[1];
    // Equal heads: a name within them is a beginning of the other, so the
    // shorter comes first, and names of one size are the same.
    if (std::min(a.size, b.size) <= 16) {
      if (a.size != b.size) return a.size < b.size;
    } else if (int c = UpperCompare(nameOf(a.line, scratch), nameOf(b.line, other))) {
      return c < 0;
    }
    if (int c = UpperCompare(lines[a.line], lines[b.line])) return c < 0;
    return a.line < b.line;
  };
  // By the heads first, a byte at a time from the last (a comparison sort
  // of random names mispredicts nearly every other branch), stably, so
  // the keys with one head stay in line order; then each run of equal
  // heads by the rest.
  SortByHeads(keys);
  for (std::size_t i = 0; i < keys.size();) {
    std::size_t j = i + 1;
    while (j < keys.size() && keys[j].head[0] == keys[i].head[0] && keys[j].head[1] == keys[i].head[1]) ++j;
    if (j - i > 1) std::sort(keys.begin() + static_cast<std::ptrdiff_t>(i), keys.begin() + static_cast<std::ptrdiff_t>(j), before);
    i = j;
  }
  // Gathered in that order into new lists: the reads are independent of
  // each other and overlap, where following the permutation's cycles in
  // place waits on every one.
  Gather(lines, keys);
  if (spans) Gather(*spans, keys);
}

}  // namespace

void SortLinesUpper(std::vector<std::string>& lines) { SortLines(lines, nullptr); }

int CompareSjisNoCase(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    unsigned x = NextCode(a, i), y = NextCode(b, j);
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

AppListCatalogue::AppListCatalogue() : AppListCatalogue(ProgramFolder()) {}

AppListCatalogue::AppListCatalogue(std::string folder) : folder_(std::move(folder)) {
  if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

std::string AppListCatalogue::PathOf(AppListId id) const {
  return folder_ + (id == AppListId::AppList ? kAppListFileName : kMyAppListFileName);
}

const std::vector<std::string>& AppListCatalogue::lines(AppListId id) const {
  if (id == AppListId::AppList && appListAsViews_) MakeAppListLines();
  return id == AppListId::AppList ? appList_ : myAppList_;
}

std::vector<std::string>& AppListCatalogue::mutableLines(AppListId id) {
  if (id == AppListId::AppList && appListAsViews_) MakeAppListLines();
  return id == AppListId::AppList ? appList_ : myAppList_;
}

void AppListCatalogue::MakeAppListLines() const {
  // The spans are offsets within each line, so they hold for the strings.
  appList_.assign(appListViews_.begin(), appListViews_.end());
  DropAppListBytes();
}

void AppListCatalogue::DropAppListBytes() const {
  appListAsViews_ = false;
  std::vector<std::string_view>().swap(appListViews_);
  appListText_ = FileBytes();
}

int AppListCatalogue::SplitFieldViews(AppListId id, int index, std::string_view* fields, std::string& scratch) const {
  return CommaFieldViews(LineView(id, index), fields, kAppListFieldCount, scratch);
}

AppListEntry AppListCatalogue::EntryAt(AppListId id, int index) const {
  if (index < 0 || index >= count(id)) return AppListEntry();
  return AppListEntry(LineView(id, index));
}

void AppListCatalogue::LoadAppLists() {
  if (loaded_) return;
  loaded_ = true;
  spansValid_ = false;
  switch (ReadTextFile(PathOf(AppListId::AppList), appListText_)) {
    case ReadResult::Read:
      appListViews_ = SplitLineViews(appListText_.view());
      appListAsViews_ = true;
      appList_.clear();
      break;
    case ReadResult::Missing:
      break;
    case ReadResult::Unreadable:
      appListUnread_ = true;
      ErrorBox(kCannotRead, PathOf(AppListId::AppList).c_str());
      break;
  }
  appListInOrder_ = false;
  BuildCategories();
  if (ReadLinesFile(PathOf(AppListId::MyAppList), myAppList_) == ReadResult::Unreadable) {
    myAppListUnread_ = true;
    ErrorBox(kCannotRead, PathOf(AppListId::MyAppList).c_str());
  }
}

void AppListCatalogue::SortAppLists(bool sortAppList) {
  if (listsSorted_ && (appListInOrder_ || !sortAppList)) return;
  if (!loaded_) LoadAppLists();
  if (sortAppList) {
    std::vector<CommaFieldSpans>* spans = spansValid_ ? &appListSpans_ : nullptr;
    if (appListAsViews_) {
      SortLines(appListViews_, spans);
    } else {
      SortLines(appList_, spans);
    }
    appListInOrder_ = true;
  }
  SortLinesUpper(myAppList_);
  listsSorted_ = true;
}

void AppListCatalogue::BuildCategories() {
  categories_.clear();
  // The lines are split here once for every later reader of their fields.
  const int lineCount = count(AppListId::AppList);
  appListSpans_.resize(static_cast<std::size_t>(lineCount));
  std::unordered_set<std::string_view> spellings;  // as written: most lines repeat one
  std::unordered_set<std::string> seen;            // upper-cased
  std::vector<std::unique_ptr<std::string>> made;  // spellings that needed unquoting
  // The spellings met last, by a cheap hash of their size and ends: a few
  // categories fill the lines, and most lines find theirs here without a
  // look-up in the set.
  std::string_view recent[64];
  std::string_view fields[kAppListFieldCount];
  std::string scratch;
  for (std::size_t i = 0; i < static_cast<std::size_t>(lineCount); ++i) {
    int n = 0;
    appListSpans_[i] = FindCommaFieldSpans(LineView(AppListId::AppList, static_cast<int>(i)), fields, n, scratch);
    if (n <= kFieldCategory || fields[kFieldCategory].empty()) continue;
    std::string_view category = fields[kFieldCategory];
    std::string_view& last = recent[(category.size() * 7 + static_cast<unsigned char>(category.front()) * 3 +
                                     static_cast<unsigned char>(category.back())) % 64];
    if (last == category) continue;
    if (auto known = spellings.find(category); known != spellings.end()) {
      last = *known;
      continue;
    }
    if (!appListSpans_[i].known()) {
      made.push_back(std::make_unique<std::string>(category));
      category = *made.back();
    }
    spellings.insert(category);
    last = category;
    if (seen.insert(UpperSjis(category)).second) categories_.emplace_back(category);
  }
  spansValid_ = true;
  std::stable_sort(categories_.begin(), categories_.end(), [](const std::string& a, const std::string& b) {
    return CompareSjisNoCase(a, b) < 0;
  });
}

int AppListCatalogue::FindAppListEntry(AppListId id, std::string_view fileName) {
  return FindAppListEntrySjis(id, SjisName(fileName));
}

int AppListCatalogue::FindAppListEntrySjis(AppListId id, std::string_view fileName) {
  SortAppLists(true);
  return Search(*this, id, UpperSjis(fileName));
}

std::string AppListCatalogue::DescriptionFor(std::string_view fileName) {
  std::string note = DescriptionForSjis(SjisName(fileName));
  return IsAscii(note) ? note : Cp932ToUtf8(note);
}

std::string AppListCatalogue::DescriptionForSjis(std::string_view fileName) {
  SortAppLists(true);
  std::string key = UpperSjis(fileName);
  for (AppListId id : {AppListId::MyAppList, AppListId::AppList}) {
    int index = Search(*this, id, key);
    if (index < 0) continue;
    std::string note = EntryAt(id, index).field(kFieldNote);
    if (!note.empty()) return note;
  }
  return "";
}

bool AppListCatalogue::Save(AppListId id) {
  auto& l = mutableLines(id);
  std::size_t before = l.size();
  std::erase_if(l, [](const std::string& line) { return line.empty(); });
  if (id == AppListId::AppList && l.size() != before) spansValid_ = false;
  std::string path = PathOf(id);
  if (unread(id)) {
    ErrorBox(kNotSavedUnread, path.c_str());
    return false;
  }
  if (!WriteLinesFile(path, l)) {
    ErrorBox(kCannotSave, path.c_str());
    return false;
  }
  (id == AppListId::AppList ? appListModified : myAppListModified) = false;
  return true;
}

bool AppListCatalogue::SaveAppList() {
  // An AppList never read would be written empty over its file.
  if (count(AppListId::AppList) == 0) SortAppLists(true);
  return Save(AppListId::AppList);
}

bool AppListCatalogue::SaveMyAppList() { return Save(AppListId::MyAppList); }

void AppListCatalogue::SaveModified() {
  if (appListModified) SaveAppList();
  if (myAppListModified) SaveMyAppList();
}

void AppListCatalogue::BlankLines(AppListId id, const std::vector<int>& indices) {
  auto& l = mutableLines(id);
  bool changed = false;
  for (int i : indices) {
    if (i < 0 || i >= static_cast<int>(l.size())) continue;
    l[static_cast<std::size_t>(i)].clear();
    if (id == AppListId::AppList && spansValid_) appListSpans_[static_cast<std::size_t>(i)].count = 0;
    changed = true;
  }
  if (!changed) return;
  (id == AppListId::AppList ? appListModified : myAppListModified) = true;
}

void AppListCatalogue::ReplaceMyAppListLine(int index, std::string line) {
  if (index < 0 || index >= static_cast<int>(myAppList_.size())) return;
  myAppList_[static_cast<std::size_t>(index)] = std::move(line);
}

void AppListCatalogue::AddMyAppListLine(std::string line) { myAppList_.push_back(std::move(line)); }

bool AppListCatalogue::SortMyAppListAgain() {
  std::vector<std::string> before = myAppList_;
  listsSorted_ = false;
  SortAppLists(false);
  return before != myAppList_;
}

void AppListCatalogue::ReplaceAppList(std::string_view document) {
  if (!loaded_) LoadAppLists();
  appList_ = SplitLines(document);
  DropAppListBytes();
  spansValid_ = false;
  listsSorted_ = false;
  appListInOrder_ = false;
  SortAppLists(true);
  BuildCategories();
  appListModified = true;
  if (categoriesChanged_) categoriesChanged_();
}

}  // namespace kestrel
