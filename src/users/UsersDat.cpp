#include "users/UsersDat.h"

#include <algorithm>
#include <cstring>

#include "platform/Codepage.h"

namespace kestrel {
namespace {

constexpr char kSignature[4] = {'U', 'D', 'A', 'T'};
constexpr std::uint16_t kVersion = 1;

std::uint8_t Byte(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]);
}

std::uint32_t Le32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(Byte(bytes, at)) |
         static_cast<std::uint32_t>(Byte(bytes, at + 1)) << 8 |
         static_cast<std::uint32_t>(Byte(bytes, at + 2)) << 16 |
         static_cast<std::uint32_t>(Byte(bytes, at + 3)) << 24;
}

std::uint16_t Le16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(Byte(bytes, at) | Byte(bytes, at + 1) << 8);
}

void PutLe(std::string& out, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

bool IsUsableShortName(std::string_view name, bool sjis) {
  if (name.empty() || name == "." || name == "..") return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    auto c = static_cast<unsigned char>(name[i]);
    if (sjis && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < name.size()) {
      ++i;  // a double-byte character: its trail byte is no separator
      continue;
    }
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
  }
  return true;
}

UsersDatMatch FindUserInUsersDat(std::string_view bytes, std::string_view nameSjis) {
  UsersDatMatch result;
  if (bytes.empty()) {
    result.answer = kLookupEmpty;
    return result;
  }
  const std::size_t size = bytes.size();
  const std::size_t length = nameSjis.size();
  // An empty name or one longer than a length byte can say is in no record.
  if (length == 0 || length > 255 || length >= size) return result;
  // i is the name's position; its length byte is at i - 1 and the user ID
  // at i - 5 ... i - 2, so the first candidate is i = 5.
  for (std::size_t i = 5; i < size - length; ++i) {
    if (Byte(bytes, i - 1) != length || bytes.compare(i, length, nameSjis) != 0) continue;
    std::size_t n = Byte(bytes, i + length);
    std::size_t start = i + length + 1;
    if (start + n > size) return result;  // a short name past the end: not a record
    // A name that leads out of the Palm Desktop folder counts as none.
    if (!IsUsableShortName(bytes.substr(start, n), true)) {
      result.answer = kLookupNoShortName;
      return result;
    }
    result.answer = kLookupFound;
    result.shortName = std::string(bytes.substr(start, n));
    result.userId = static_cast<std::int32_t>(Le32(bytes, i - 5));
    return result;
  }
  return result;
}

namespace {

// The records a header counts, and where the last one ends; false with a
// reason when the file is of another layout or a record does not read.
bool ReadRecords(std::string_view bytes, std::vector<UsersDatRecord>& records, std::size_t& at,
                 std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 4) != 0) {
    return fail("not a user directory of the expected layout (no UDAT header)");
  }
  if (Le16(bytes, 4) != kVersion) {
    return fail("unknown layout version " + std::to_string(Le16(bytes, 4)));
  }
  std::size_t count = Le16(bytes, 6);
  at = 8;
  for (std::size_t r = 0; r < count; ++r) {
    std::string where = "record " + std::to_string(r + 1) + ": ";
    if (at + 5 > bytes.size()) return fail(where + "cut short");
    UsersDatRecord rec;
    rec.userId = static_cast<std::int32_t>(Le32(bytes, at));
    std::size_t length = Byte(bytes, at + 4);
    at += 5;
    if (length == 0) return fail(where + "empty user name");
    if (at + length + 1 > bytes.size()) return fail(where + "cut short");
    rec.name = std::string(bytes.substr(at, length));
    at += length;
    std::size_t n = Byte(bytes, at);
    at += 1;
    if (n == 0 || n > kMaxShortName) return fail(where + "short name length " + std::to_string(n));
    if (at + n + 2 > bytes.size()) return fail(where + "cut short");
    rec.shortName = std::string(bytes.substr(at, n));
    at += n;
    if (bytes[at] != 0 || bytes[at + 1] != 0) return fail(where + "no record end");
    at += 2;
    records.push_back(std::move(rec));
  }
  return true;
}

// One record in the layout; false with a reason when it does not fit.
bool PutRecord(std::string& out, const UsersDatRecord& rec, std::string* error) {
  if (rec.name.empty() || rec.name.size() > 255) {
    if (error) *error = "a user name takes 1 to 255 bytes";
    return false;
  }
  if (rec.shortName.empty() || rec.shortName.size() > kMaxShortName) {
    if (error) *error = "a short name takes 1 to 12 bytes";
    return false;
  }
  PutLe(out, static_cast<std::uint32_t>(rec.userId), 4);
  out += static_cast<char>(rec.name.size());
  out += rec.name;
  out += static_cast<char>(rec.shortName.size());
  out += rec.shortName;
  out += std::string(2, '\0');
  return true;
}

}  // namespace

std::optional<std::vector<UsersDatRecord>> ParseUsersDat(std::string_view bytes,
                                                        std::string* error) {
  std::vector<UsersDatRecord> records;
  std::size_t at = 0;
  if (!ReadRecords(bytes, records, at, error)) return std::nullopt;
  if (at != bytes.size()) {
    if (error) *error = "bytes after the last record";
    return std::nullopt;
  }
  return records;
}

std::optional<std::vector<UsersDatRecord>> ReadUsersDatRecords(std::string_view bytes,
                                                              std::string* error) {
  std::vector<UsersDatRecord> records;
  std::size_t at = 0;
  if (!ReadRecords(bytes, records, at, error)) return std::nullopt;
  return records;
}

std::optional<std::string> FormatUsersDat(const std::vector<UsersDatRecord>& records,
                                          std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<std::string> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (records.size() > 0xFFFF) return fail("too many users");
  std::string out(kSignature, 4);
  PutLe(out, kVersion, 2);
  PutLe(out, static_cast<std::uint32_t>(records.size()), 2);
  for (const UsersDatRecord& rec : records) {
    if (!PutRecord(out, rec, error)) return std::nullopt;
  }
  return out;
}

std::optional<std::string> AddUsersDatRecord(std::string_view bytes, const UsersDatRecord& record,
                                             std::string* error) {
  std::vector<UsersDatRecord> records;
  std::size_t end = 0;
  if (!ReadRecords(bytes, records, end, error)) return std::nullopt;
  if (records.size() >= 0xFFFF) {
    if (error) *error = "too many users";
    return std::nullopt;
  }
  std::string added;
  if (!PutRecord(added, record, error)) return std::nullopt;
  std::string out(bytes);
  out[6] = static_cast<char>((records.size() + 1) & 0xFF);
  out[7] = static_cast<char>((records.size() + 1) >> 8);
  out.insert(end, added);
  return out;
}

namespace {

// ASCII letters folded to lower case, double-byte characters kept whole
// (a trail byte may look like a letter).
std::string FoldCase(std::string_view sjis) {
  std::string out;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    char c = sjis[i];
    if (IsLeadByte(c) && i + 1 < sjis.size()) {
      out += c;
      out += sjis[++i];
    } else {
      out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  return out;
}

bool IsDeviceName(const std::string& folded) {
  std::string base = folded.substr(0, folded.find('.'));
  if (base == "con" || base == "prn" || base == "aux" || base == "nul") return true;
  return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) &&
         base[3] >= '1' && base[3] <= '9';
}

// The characters of the name a folder name may hold, each whole.
std::vector<std::string> UsableCharacters(std::string_view sjis) {
  std::vector<std::string> chars;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    auto c = static_cast<unsigned char>(sjis[i]);
    if (IsLeadByte(c)) {
      if (i + 1 < sjis.size() && IsTrailByte(static_cast<unsigned char>(sjis[i + 1]))) {
        std::string pair(sjis.substr(i, 2));
        ++i;
        // Only a character the code page has: the folder's name is its
        // UTF-8 form, which must come back to these bytes.
        if (Utf8ToCp932(Cp932ToUtf8(pair)) == pair) chars.push_back(pair);
      }
      continue;
    }
    bool halfKana = c >= 0xA1 && c <= 0xDF;
    bool plain = c > 0x20 && c < 0x7F && std::strchr("/\\:*?\"<>|", c) == nullptr;
    if (plain || halfKana) chars.push_back(std::string(1, static_cast<char>(c)));
  }
  // No dot first (hidden, "." and "..") or last (Windows drops it).
  while (!chars.empty() && chars.front() == ".") chars.erase(chars.begin());
  while (!chars.empty() && chars.back() == ".") chars.pop_back();
  return chars;
}

// As many whole characters as fit in `limit` bytes.
std::string Fit(const std::vector<std::string>& chars, std::size_t limit) {
  std::string out;
  for (const std::string& ch : chars) {
    if (out.size() + ch.size() > limit) break;
    out += ch;
  }
  // Cutting may leave a dot at the end.
  while (!out.empty() && out.back() == '.') out.pop_back();
  return out;
}

}  // namespace

std::string MakeShortName(std::string_view nameSjis, const std::vector<std::string>& taken) {
  std::vector<std::string> chars = UsableCharacters(nameSjis);
  if (Fit(chars, kMaxShortName).empty()) chars = {"U", "s", "e", "r"};
  // A device name stays one whatever follows its dot; one in front helps.
  if (IsDeviceName(FoldCase(Fit(chars, kMaxShortName)))) chars.insert(chars.begin(), "_");
  std::vector<std::string> folded;
  for (const std::string& t : taken) folded.push_back(FoldCase(t));
  auto free = [&](const std::string& candidate) {
    return std::find(folded.begin(), folded.end(), FoldCase(candidate)) == folded.end();
  };
  std::string name = Fit(chars, kMaxShortName);
  if (free(name)) return name;
  for (unsigned n = 2;; ++n) {
    std::string number = std::to_string(n);
    std::string candidate = Fit(chars, kMaxShortName - number.size()) + number;
    if (free(candidate)) return candidate;
  }
}

}  // namespace kestrel
