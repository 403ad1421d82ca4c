// One AppList line read as its fields, and the few texts every reader of
// the lines shares: upper-casing for the look-up and the sort, and the date
// number of the update check. Fields are Shift_JIS bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Field positions of an entry.
enum AppListField : int {
  kFieldFileName = 0,  // the key
  kFieldType = 1,
  kFieldNote = 2,      // the description
  kFieldLink = 3,
  kFieldCategory = 4,  // AppList only
  kFieldDate = 5,      // "2000/01/31"; AppList only
};
inline constexpr int kAppListFieldCount = 6;

class AppListEntry {
 public:
  AppListEntry() = default;
  explicit AppListEntry(std::string_view line);

  // Fields missing at the end of a line are absent; field() gives "" for them.
  int fieldCount() const { return static_cast<int>(fields_.size()); }
  bool has(int field) const { return field >= 0 && field < fieldCount(); }
  const std::string& field(int index) const;
  const std::vector<std::string>& fields() const { return fields_; }
  // A line without any field (an empty or blanked line).
  bool empty() const { return fields_.empty(); }

  // The line the editor writes into My AppList: file name, type,
  // description and link, each between double quotes.
  static std::string MyAppListLine(const std::string& file, const std::string& type,
                                   const std::string& note, const std::string& link);

 private:
  std::vector<std::string> fields_;
};

// Upper-casing as the lists compare: ASCII letters, a double-byte
// character's trail byte left alone.
std::string UpperSjis(std::string_view sjis);

// year × 10000 + month × 100 + day of a text "2000/01/31" (a time after the
// date is ignored); nullopt when the text does not start with three numbers.
std::optional<int> DateNumber(std::string_view text);

}  // namespace kestrel
