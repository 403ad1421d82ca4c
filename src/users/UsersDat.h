// Users.dat, the Palm Desktop's directory of HotSync users: the lookup of a
// user by name, and the file layout this system writes (kestrel-tool, the
// stand-ins).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Answers of the lookup.
constexpr int kLookupFound = 0;
constexpr int kLookupNotOpened = 1;   // the file could not be opened
constexpr int kLookupEmpty = 2;       // empty or unreadable
constexpr int kLookupNoShortName = 3; // the match has an empty or unusable short name
constexpr int kLookupNotFound = 9;

struct UsersDatMatch {
  int answer = kLookupNotFound;
  std::string shortName;  // Shift_JIS, as stored; "" unless found
  std::int32_t userId = 0;
};

// Whether a short name can be the name of a folder inside the Palm Desktop
// folder: not empty, not "." or "..", no separator ('/' or '\\'), no NUL or
// other control byte. `sjis`: the name is Shift_JIS, whose trail bytes may
// equal a backslash without being one; else UTF-8.
bool IsUsableShortName(std::string_view name, bool sjis);

// Finds a user name (Shift_JIS) in the file's bytes. The file's layout is
// not assumed: a name is any run of its bytes preceded by a length byte
// equal to its length, followed by the short name's length byte and the
// short name; the four bytes before the length byte are the user ID
// (little-endian, signed). The first such run wins, so "Taro Yamada" does
// not match inside "Taro Yamada2" (its length byte differs). A match whose
// user ID would lie before the file's start or whose short name runs past
// its end is no match. A short name that IsUsableShortName refuses answers
// kLookupNoShortName, as an empty one does.
UsersDatMatch FindUserInUsersDat(std::string_view bytes, std::string_view nameSjis);

// One user of a Users.dat written by this system; names in Shift_JIS.
struct UsersDatRecord {
  std::int32_t userId = 0;
  std::string name;
  std::string shortName;
};

// The layout written here (integers little-endian):
//   header   4 bytes  "UDAT"
//            2 bytes  layout version, 1
//            2 bytes  number of records N
//   N records back to back, each:
//            4 bytes  user ID, signed
//            1 byte   L, length of the user name in bytes (1-255)
//            L bytes  user name, Shift_JIS, no terminator
//            1 byte   n, length of the short name in bytes (1-12)
//            n bytes  short name (the user's folder), no terminator
//            2 bytes  filler 00 00, closing the record
// The fields from the user ID to the short name follow each other without
// gaps, so the lookup above finds every record.
constexpr std::size_t kMaxShortName = 12;

// Parses a file of that layout; nullopt with a reason for anything else.
std::optional<std::vector<UsersDatRecord>> ParseUsersDat(std::string_view bytes,
                                                        std::string* error);
// The records of a file of that layout, also when bytes it does not explain
// follow them; nullopt with a reason otherwise.
std::optional<std::vector<UsersDatRecord>> ReadUsersDatRecords(std::string_view bytes,
                                                              std::string* error);
// The bytes of a file holding these records; nullopt with a reason when a
// record does not fit the layout.
std::optional<std::string> FormatUsersDat(const std::vector<UsersDatRecord>& records,
                                          std::string* error);

// A file of that layout with one record more, behind the last one; every
// other byte stays as it was, also bytes after the records that this
// layout does not explain. nullopt with a reason for a file of another
// layout, or one whose records do not read.
std::optional<std::string> AddUsersDatRecord(std::string_view bytes, const UsersDatRecord& record,
                                             std::string* error);

// A short name for a new user, made from the user name (Shift_JIS): the
// characters a folder name may hold on Linux and Windows alike (no control
// bytes, separators, spaces, :*?"<>| or dots at either end; a double-byte
// character whole or not at all), at most 12 bytes, and different, ignoring
// ASCII case, from each of `taken` (Shift_JIS too): "Taro2", "Taro3", ...
// when it is not. A name Windows keeps for a device (CON, LPT1.x) gets a
// "_" in front; a name with nothing usable gives "User", "User2", ...
std::string MakeShortName(std::string_view nameSjis, const std::vector<std::string>& taken);

}  // namespace kestrel
