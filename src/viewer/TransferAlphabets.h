// The Base64 and BinHex alphabets and their decode tables, shared by the
// whole-text conversions and the streaming ones so both read the same
// characters.
#pragma once

namespace kestrel::transfer {

inline constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
inline constexpr char kBinHexAlphabet[] =
    "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

// value[c]: the 6-bit value of character c, -1 for a character outside.
struct DecodeTable {
  signed char value[256];
  constexpr explicit DecodeTable(const char* alphabet) : value() {
    for (int i = 0; i < 256; ++i) value[i] = -1;
    for (int i = 0; i < 64; ++i) {
      value[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
    }
  }
};
inline constexpr DecodeTable kBase64Values(kBase64Alphabet);
inline constexpr DecodeTable kBinHexValues(kBinHexAlphabet);

}  // namespace kestrel::transfer
