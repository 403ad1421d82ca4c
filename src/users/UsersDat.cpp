#include "users/UsersDat.h"

#include <cstring>

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

std::optional<std::vector<UsersDatRecord>> ParseUsersDat(std::string_view bytes,
                                                        std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<std::vector<UsersDatRecord>> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 4) != 0) {
    return fail("not a user directory of the expected layout (no UDAT header)");
  }
  if (Le16(bytes, 4) != kVersion) {
    return fail("unknown layout version " + std::to_string(Le16(bytes, 4)));
  }
  std::size_t count = Le16(bytes, 6);
  std::vector<UsersDatRecord> records;
  std::size_t at = 8;
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
  if (at != bytes.size()) return fail("bytes after the last record");
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
    if (rec.name.empty() || rec.name.size() > 255) {
      return fail("a user name takes 1 to 255 bytes");
    }
    if (rec.shortName.empty() || rec.shortName.size() > kMaxShortName) {
      return fail("a short name takes 1 to 12 bytes");
    }
    PutLe(out, static_cast<std::uint32_t>(rec.userId), 4);
    out += static_cast<char>(rec.name.size());
    out += rec.name;
    out += static_cast<char>(rec.shortName.size());
    out += rec.shortName;
    out += std::string(2, '\0');
  }
  return out;
}

}  // namespace kestrel
