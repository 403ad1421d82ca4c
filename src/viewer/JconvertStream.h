// The code conversion in blocks: each class takes a text block by block and
// gives, all told, exactly what the whole-text function of Jconvert.h gives
// for the whole text, holding back only what the next block may change (a
// split double-byte character, an escape sequence, a CR before an LF, the
// bytes since the last line break or space). Memory stays that small
// whatever the size of the text.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "viewer/Jconvert.h"

namespace kestrel {

// InCodeCheck over blocks; keeps its state, not the text.
class JcodeGuesser {
 public:
  void Feed(std::string_view block);
  // True once more bytes cannot change the answer.
  bool Decided() const;
  // The answer for everything fed (call once, after the last block).
  JCode Finish();

 private:
  std::string held_;  // since the last place a unit surely ends
  JCode result_ = CODE_ASCII;
  std::size_t seen_ = 0;
  std::size_t binaryAt_ = static_cast<std::size_t>(-1);  // first binary byte of the pre-scan
};

// StrictConvertJCode over blocks. Output is appended to `out`.
class JcodeConverter {
 public:
  JcodeConverter(int source, int target);
  void Feed(std::string_view block, std::string& out);
  void Finish(std::string& out);

 private:
  void Convert(std::string_view piece, std::string& out);

  int source_, target_;
  bool identity_;
  bool kanji_ = false;  // two-byte mode of a JIS source
  std::string held_;
};

// ConvertJCode over blocks: the guess is made on the way; until it is
// decided the text is held (beyond a megabyte in a temporary file), except
// a leading stretch that every conversion leaves alone.
class AutoJcodeConverter {
 public:
  explicit AutoJcodeConverter(int target, std::size_t memoryLimit = 1 << 20);
  ~AutoJcodeConverter();
  AutoJcodeConverter(const AutoJcodeConverter&) = delete;
  AutoJcodeConverter& operator=(const AutoJcodeConverter&) = delete;

  // Throws std::runtime_error when the temporary file fails.
  void Feed(std::string_view block, std::string& out);
  void Finish(std::string& out);
  // The code the text was taken to be (after Finish, or once decided).
  int Source() const { return source_; }
  // Called with the output whenever it holds 64 KiB or more while the held
  // text is let go, so that a long undecided text need not be in memory at
  // once; the callee writes and empties it.
  void SetDrain(std::function<void(std::string&)> drain) { drain_ = std::move(drain); }

 private:
  void Hold(std::string_view bytes);
  void Release(std::string& out);

  int target_;
  std::size_t memoryLimit_;
  JcodeGuesser guesser_;
  std::unique_ptr<JcodeConverter> converter_;
  int source_ = -1;
  bool holding_ = false;
  std::string held_;
  std::FILE* spill_ = nullptr;
  std::function<void(std::string&)> drain_;
};

// ConvertReturnCode over blocks.
class LineEndConverter {
 public:
  explicit LineEndConverter(int target) : target_(target) {}
  void Feed(std::string_view block, std::string& out);
  void Finish(std::string& out);

 private:
  int target_;
  int source_ = -1;  // not seen yet
  bool cr_ = false;  // a CR held back
};

// EncodeBase64R (or EncodeBase64 with breakLines false), EncodeUU and
// EncodeBinHex over blocks.
class Base64Encoder {
 public:
  Base64Encoder(std::string lineBreak, bool breakLines)
      : lineBreak_(std::move(lineBreak)), breakLines_(breakLines) {}
  void Feed(std::string_view block, std::string& out);
  void Finish(std::string& out);

 private:
  std::string lineBreak_;
  bool breakLines_;
  std::string held_;
};

class UUEncoder {
 public:
  explicit UUEncoder(std::string lineBreak) : lineBreak_(std::move(lineBreak)) {}
  void Feed(std::string_view block, std::string& out);
  void Finish(std::string& out);

 private:
  std::string lineBreak_;
  std::string held_;
};

class BinHexEncoder {
 public:
  explicit BinHexEncoder(std::string lineBreak) : lineBreak_(std::move(lineBreak)) {}
  void Feed(std::string_view block, std::string& out);
  void Finish(std::string& out);

 private:
  void Put(char c, std::string& out);
  std::string lineBreak_;
  std::string held_;
  std::size_t column_ = 0;
  bool started_ = false;
};

// DecodeBase64, DecodeUU and DecodeBinHex over blocks.
class Base64Decoder {
 public:
  void Feed(std::string_view block, std::string& out);
  void Finish(std::string&) {}

 private:
  unsigned acc_ = 0;
  int bits_ = 0;
  int inGroup_ = 0;
};

class UUDecoder {
 public:
  void Feed(std::string_view block, std::string& out);
  void Finish(std::string& out);

 private:
  std::string held_;  // the line begun
};

class BinHexDecoder {
 public:
  void Feed(std::string_view block, std::string& out);
  void Finish(std::string&) {}

 private:
  unsigned acc_ = 0;
  int bits_ = 0;
  bool first_ = true;
  bool stopped_ = false;
};

}  // namespace kestrel
