// Path and text helpers that every part uses.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

// Appends the native separator unless the path is one byte or shorter or
// already ends in one.
std::string WithTrailingBackslash(const std::string& path);
// Removes one final native separator from a path longer than one byte.
std::string WithoutTrailingBackslash(const std::string& path);

// The same on Shift_JIS texts with '\' separators: a 0x5C that is the trail
// byte of a double-byte character (as in 表, 0x95 0x5C) is no separator.
bool EndsInRealBackslash(const std::string& sjis);
std::string WithTrailingBackslashSjis(const std::string& sjis);
std::string WithoutTrailingBackslashSjis(const std::string& sjis);

// Whether a link may be handed to the shell's "open": a web or mail
// address ("http:", "https:", "ftp:", "mailto:", in any case) without
// control characters. Anything else (a program, a document, another
// scheme) would be started by the shell.
bool IsWebOrMailAddress(const std::string& link);

// Inserts `separator` every `group` digits left of the first "." (or the end):
// GroupDigits("1234567", 3, ",") is "1,234,567".
std::string GroupDigits(const std::string& number, int group, const std::string& separator);

// The path without its extension (from the last "." of the file name)
// followed by `extension` (with its dot).
std::string ReplaceExtension(const std::string& path, const std::string& extension);

// The file name part of a path / the folder part with its trailing separator.
std::string FileNameOf(const std::string& path);
std::string FolderOf(const std::string& path);
// The extension from the last "." of the file name, dot included; "" if none.
std::string ExtensionOf(const std::string& path);
// ASCII upper-casing, as extensions are compared.
std::string UpperAscii(std::string text);

// The short (8.3) form of a path, component by component. A component that
// does not exist gives the empty text, so a missing file in an existing
// folder gives the folder's short form with a trailing separator.
std::string ShortPath(const std::string& path);

// The path made full against the current folder ("" stays ""), so that a
// program running in another folder finds the same file.
std::string AbsolutePath(const std::string& path);

// True for a regular file (through links); false for folders, FIFOs,
// devices and what does not exist. Only such a file can be copied without
// blocking on a reader or writer that never comes.
bool IsRegularFile(const std::string& path);

// The size of a file in bytes, 0 when it cannot be read.
std::uint64_t FileSizeOf(const std::string& path);

// The database name of a Palm file as hotsync::DatabaseTitle reads it from
// the file's first bytes; "" when it cannot be read. Shift_JIS.
std::string DatabaseNameOf(const std::string& path);

}  // namespace kestrel
