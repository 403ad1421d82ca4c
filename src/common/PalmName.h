// A Palm database name as the interface shows it. Palm Desktop writes the
// names in Shift_JIS, but a converter run on Linux writes the file name it
// was given, in UTF-8 (メモ.txt gives a name that Shift_JIS reads as
// "繝｡繝｢"). Each name is decided on its own.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Whether the bytes are a name written in UTF-8: valid UTF-8 with at least
// one character beyond ASCII, that is not also meaningful Shift_JIS. UTF-8
// of three or four bytes a character reads in Shift_JIS as rare kanji mixed
// with half-width punctuation (no Japanese text looks like that), so it
// counts as UTF-8; so does what is not valid Shift_JIS at all. A name whose
// UTF-8 has two-byte characters (accented Latin, Greek, Cyrillic) and is
// valid Shift_JIS too reads there as half-width katakana, which Palm names
// do use: it stays Shift_JIS.
bool IsUtf8PalmName(std::string_view raw);

// The name in UTF-8 for the interface, from either encoding.
std::string PalmNameToUtf8(std::string_view raw);

}  // namespace kestrel
