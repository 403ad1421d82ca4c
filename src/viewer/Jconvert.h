// Japanese code conversion: guesses whether bytes are JIS (ISO-2022-JP),
// EUC-JP or Shift_JIS and converts between them; converts line ends;
// Base64, uuencode and BinHex 4.0 bodies; mail header words
// "=?ISO-2022-JP?B?...?=".
//
// Every operation takes bytes, returns new bytes and never fails. Bytes that
// do not fit the expected encoding are carried through or give bytes of no
// meaning; nothing is read past the end of the input. Where a two-byte unit
// is broken (a lead byte last, or followed by a byte that cannot be its
// partner, such as a line break) the lone byte is copied unchanged and the
// byte after it is handled on its own, so line breaks and the characters
// behind a broken one survive.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Encoding codes: results of InCodeCheck, arguments of the conversions.
enum JCode : int {
  CODE_ASCII = 0,        // no byte that marks an encoding
  CODE_BINARY = 1,       // a byte below 0x08, or 0xFF
  CODE_JIS_NEW = 2,      // JIS, ESC $ B seen
  CODE_JIS_OLD = 3,      // JIS, ESC $ @ seen
  CODE_EUC = 4,          // EUC-JP
  CODE_SJIS = 5,         // Shift_JIS
  CODE_EUC_OR_SJIS = 6,  // fits both, not decided
};

// Line-end codes: results of ReturnCodeCheck.
enum LineEnd : int {
  LINE_END_NONE = 0,
  LINE_END_CRLF = 1,
  LINE_END_CR = 2,
  LINE_END_LF = 3,
};

// Leading bytes that InCodeCheck scans for binary data before anything else.
inline constexpr int STRICT_CHECK_LEN = 512;

// The name of a code ("CODE_SJIS"); "CODE_UNKNOWN" for anything else.
const char* JCodeName(int code);

// Guesses the encoding. The scan stops at the first decisive byte; the last
// byte is never taken as the first byte of a unit.
JCode InCodeCheck(std::string_view s);

// The main scan of InCodeCheck (no binary pre-scan) from a result reached
// so far; lets a text be guessed piece by piece (see JconvertStream.h).
JCode ScanCode(std::string_view s, JCode result);

// One JIS X 0208 code (two 7-bit bytes) to its Shift_JIS pair and back, by
// the standard arithmetic, without a range check.
std::string ToSjis(unsigned char j1, unsigned char j2);
std::string ToJis(unsigned char s1, unsigned char s2);

// JIS to EUC-JP / Shift_JIS. Escapes ESC $ x turn two-byte mode on, ESC ( x
// off; escape sequences are dropped.
std::string jis2euc(std::string_view s);
std::string jis2sjis(std::string_view s);
// The same from two-byte mode on or off, which is left as the text leaves it.
std::string JisToEuc(std::string_view s, bool& kanji);
std::string JisToSjis(std::string_view s, bool& kanji);

// EUC-JP to JIS / Shift_JIS. JIS output enters two-byte mode with ESC $ B and
// leaves it with ESC ( J before any byte below 0x80; it is not left at the
// end of the input. Half-width katakana become full-width in JIS (a voiced
// or semi-voiced mark behind it is merged). A JIS X 0212 character (0x8F and
// two bytes) has no form in the targets and becomes the geta mark 〓.
std::string euc2jis83(std::string_view s);
std::string euc2sjis(std::string_view s);

// Shift_JIS to JIS / EUC-JP, like the above.
std::string sjis2jis83(std::string_view s);
std::string sjis2euc(std::string_view s);

// Converts to target (CODE_JIS_NEW, CODE_EUC or CODE_SJIS) from the code
// InCodeCheck finds. ASCII, binary and undecided text comes back unchanged.
std::string ConvertJCode(std::string_view s, int target);
// The same from a given source code.
std::string StrictConvertJCode(std::string_view s, int source, int target);

// The kind of the first line end: LF, CR LF, CR, or none.
LineEnd ReturnCodeCheck(std::string_view s);
// Replaces every line end of the kind found first by the target kind.
std::string ConvertReturnCode(std::string_view s, int target);
std::string StrictConvertReturnCode(std::string_view s, int source, int target);

// Base64 in one line.
std::string EncodeBase64(std::string_view s);
// Base64 with lineBreak after every 76 characters of whole groups; the padded
// last group is never followed by it.
std::string EncodeBase64R(std::string_view s, std::string_view lineBreak);
// uuencode body lines ("M" + 60 characters for 45 bytes), each followed by
// lineBreak, then a line holding only "`". No begin or end line.
std::string EncodeUU(std::string_view s, std::string_view lineBreak);
// BinHex 4.0 6-bit encoding between ":" and ":", lineBreak after every 64
// characters (the opening ":" counts). No run-length compression, header or
// checksum.
std::string EncodeBinHex(std::string_view s, std::string_view lineBreak);

// Base64: characters outside the alphabet (line breaks, spaces) are skipped;
// "=" ends its group.
std::string DecodeBase64(std::string_view s);
// uuencode body lines; begin and end lines are not recognised.
std::string DecodeUU(std::string_view s);
// Skips the first character (the opening ":"); line breaks are skipped;
// stops at the first other character outside the alphabet (such as the
// closing ":"), keeping the bytes completed so far.
std::string DecodeBinHex(std::string_view s);

// Shift_JIS header text: each run of double-byte characters becomes one
// "=?ISO-2022-JP?B?...?=" word; single bytes are copied.
std::string CreateHeaderString(std::string_view s);
// Decodes every "=?ISO-2022-JP?B?...?=" word (prefix case-insensitive) to its
// JIS bytes followed by ESC ( J. A word without "?=" loses only its prefix.
std::string DecodeHeaderString(std::string_view s);

}  // namespace kestrel
