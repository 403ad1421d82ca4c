// The text form of registry keys that regedit writes and reads
// ("Windows Registry Editor Version 5.00").
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>

#include "platform/Registry.h"

namespace kestrel {

// "HKCU\A\B" / "HKEY_CLASSES_ROOT\A" into hive and path; false if the hive
// name is not one of ours.
bool ParseKeyName(const std::string& text, Hive& hive, std::string& path);
std::string HiveName(Hive hive);

class RegTextError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The key and all its subkeys as regedit text (UTF-8, CR LF line ends).
std::string ExportKey(Registry& registry, Hive hive, const std::string& path);
// The same, written to `out` as it is read (a deep tree's text is large).
void ExportKey(Registry& registry, Hive hive, const std::string& path, std::ostream& out);

// Applies regedit text (UTF-8, or UTF-16LE with its byte-order mark). The
// whole text is checked before anything is written, so a bad file changes
// nothing; RegTextError names the line. The changes reach the store in one
// transaction: a store that refuses one of them (RegistryError) is left as
// it was.
void ImportText(Registry& registry, const std::string& bytes);

// Value data in the query listing: dword as 0x hex, binary as hex pairs.
std::string DataText(const RegValue& value);

}  // namespace kestrel
