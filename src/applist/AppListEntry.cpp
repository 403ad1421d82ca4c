#include "applist/AppListEntry.h"

#include <climits>

#include "applist/CommaText.h"
#include "platform/Codepage.h"

namespace kestrel {
namespace {

// A decimal number with an optional sign, the whole text; nullopt for
// anything else or a number that an int does not hold.
std::optional<long long> Number(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) return std::nullopt;
  }
  return negative ? -value : value;
}

}  // namespace

AppListEntry::AppListEntry(std::string_view line) : fields_(SplitCommaText(line)) {}

const std::string& AppListEntry::field(int index) const {
  static const std::string none;
  return has(index) ? fields_[static_cast<std::size_t>(index)] : none;
}

std::string AppListEntry::MyAppListLine(const std::string& file, const std::string& type,
                                        const std::string& note, const std::string& link) {
  return QuoteCommaField(file) + "," + QuoteCommaField(type) + "," + QuoteCommaField(note) +
         "," + QuoteCommaField(link);
}

std::string UpperSjis(std::string_view sjis) {
  std::string out(sjis);
  char* p = out.data();
  const std::size_t n = out.size();
  for (std::size_t i = 0; i < n; ++i) {
    auto c = static_cast<unsigned char>(p[i]);
    if (c < 0x80) {
      if (static_cast<unsigned>(c - 'a') < 26u) p[i] = static_cast<char>(c - 'a' + 'A');
    } else if (IsLeadByte(c)) {
      ++i;  // its trail byte may look like a small letter
    }
  }
  return out;
}

std::optional<int> DateNumber(std::string_view text) {
  std::string spaced(text);
  for (char& c : spaced) {
    if (c == '/') c = ' ';
  }
  std::vector<std::string> parts = SplitCommaText(spaced);
  if (parts.size() < 3) return std::nullopt;
  auto y = Number(parts[0]), m = Number(parts[1]), d = Number(parts[2]);
  if (!y || !m || !d) return std::nullopt;
  long long n = *y * 10000 + *m * 100 + *d;
  if (n > INT_MAX || n < INT_MIN) return std::nullopt;
  return static_cast<int>(n);
}

}  // namespace kestrel
