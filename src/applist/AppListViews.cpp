#include "applist/AppListViews.h"

#include "applist/CommaText.h"
#include "platform/Codepage.h"

namespace kestrel {
namespace {

bool Ascii(const std::string& s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// A text that the joined conversion could merge with its neighbour: a line
// break inside, or a lead byte whose trail byte would be the separator.
bool JoinSafe(const std::string& s) {
  if (s.find_first_of("\r\n") != std::string::npos) return false;
  std::size_t i = 0;
  while (i < s.size()) {
    if (IsLeadByte(s[i])) {
      if (i + 1 >= s.size()) return false;
      i += 2;
    } else {
      ++i;
    }
  }
  return true;
}

}  // namespace

std::vector<std::string> SjisTextsToUtf8(const std::vector<std::string>& texts) {
  std::vector<std::string> out(texts.size());
  std::string joined;
  std::vector<std::size_t> joinedAt;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (Ascii(texts[i])) {
      out[i] = texts[i];  // the same bytes in both
    } else if (JoinSafe(texts[i])) {
      joined += texts[i];
      joined += '\n';
      joinedAt.push_back(i);
    } else {
      out[i] = Cp932ToUtf8(texts[i]);
    }
  }
  if (joinedAt.empty()) return out;
  std::string converted = Cp932ToUtf8(joined);
  std::size_t start = 0;
  std::vector<std::string> parts;
  parts.reserve(joinedAt.size());
  for (std::size_t i = 0; i < converted.size(); ++i) {
    if (converted[i] != '\n') continue;
    parts.push_back(converted.substr(start, i - start));
    start = i + 1;
  }
  if (parts.size() == joinedAt.size() && start == converted.size()) {
    for (std::size_t k = 0; k < parts.size(); ++k) out[joinedAt[k]] = std::move(parts[k]);
  } else {
    for (std::size_t i : joinedAt) out[i] = Cp932ToUtf8(texts[i]);  // cannot happen; be safe
  }
  return out;
}

void ForEachAppListRow(AppListCatalogue& catalogue, AppListId id,
                       const std::optional<std::string>& category, const AppListRowVisitor& visit) {
  catalogue.SortAppLists(true);
  std::string_view fields[kAppListFieldCount];
  std::string scratch;
  for (int i = 0, count = catalogue.count(id); i < count; ++i) {
    // Sorted, the lines are read in another order than they were stored
    // in: the bytes of those a few rows ahead are fetched meanwhile.
    if (i + 8 < count) {
      std::string_view ahead = catalogue.LineView(id, i + 8);
      __builtin_prefetch(ahead.data());
      __builtin_prefetch(ahead.data() + 64);
    }
    int n = catalogue.FieldViews(id, i, fields, scratch);
    if (n == 0) continue;
    if (category && (n < 5 || fields[kFieldCategory] != *category)) continue;
    visit(i, fields, n);
  }
}

std::vector<AppListRow> AppListRows(AppListCatalogue& catalogue, AppListId id,
                                    const std::optional<std::string>& category) {
  std::vector<int> picked;
  std::vector<std::string> texts;
  std::vector<std::size_t> sizes;
  ForEachAppListRow(catalogue, id, category, [&](int line, const std::string_view* fields, int n) {
    picked.push_back(line);
    sizes.push_back(static_cast<std::size_t>(n));
    for (int f = 0; f < n; ++f) texts.emplace_back(fields[f]);
  });
  std::vector<std::string> utf8 = SjisTextsToUtf8(texts);
  std::vector<AppListRow> rows;
  rows.reserve(picked.size());
  std::size_t at = 0;
  for (std::size_t r = 0; r < picked.size(); ++r) {
    AppListRow row;
    row.line = picked[r];
    row.caption = std::move(utf8[at]);
    for (std::size_t f = 1; f < sizes[r]; ++f) row.subItems.push_back(std::move(utf8[at + f]));
    at += sizes[r];
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace kestrel
