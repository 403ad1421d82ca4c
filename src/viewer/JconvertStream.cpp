#include "viewer/JconvertStream.h"
#include "viewer/TransferAlphabets.h"

#include <stdexcept>

namespace kestrel {
namespace {

using Byte = unsigned char;
constexpr Byte kEsc = 0x1B;

// The end of the longest prefix after which every conversion and the guess
// start a fresh unit: behind a line break, space or tab that no escape
// sequence can reach (an ESC two bytes before may take it in). `before` is
// the byte in front of s (0 for none). 0 for no such place.
std::size_t SafeCut(std::string_view s, char before = 0) {
  for (std::size_t p = s.size(); p > 0; --p) {
    char b = s[p - 1];
    char twoBack = p >= 2 ? s[p - 2] : before;
    if ((b == '\n' || b == '\r' || b == ' ' || b == '\t') && twoBack != kEsc) return p;
  }
  return 0;
}

// The bytes every conversion copies unchanged from its initial state.
inline bool IsPlain(Byte c) { return c >= 0x08 && c < 0x80 && c != kEsc; }

using transfer::kBase64Alphabet;
using transfer::kBinHexAlphabet;
using transfer::kBase64Values;
using transfer::kBinHexValues;

}  // namespace

// --- guess ---------------------------------------------------------------

void JcodeGuesser::Feed(std::string_view block) {
  // The binary pre-scan looks at the first STRICT_CHECK_LEN bytes; a byte
  // there counts once another follows it.
  const std::size_t window = static_cast<std::size_t>(STRICT_CHECK_LEN);
  for (std::size_t i = 0; seen_ + i < window && i < block.size() && binaryAt_ == std::size_t(-1); ++i) {
    Byte c = static_cast<Byte>(block[i]);
    if (c < 0x08 || c == 0xFF) binaryAt_ = seen_ + i;
  }
  seen_ += block.size();
  if (result_ != CODE_ASCII && result_ != CODE_EUC_OR_SJIS) return;  // the scan is over
  held_.append(block);
  std::size_t cut = SafeCut(held_);
  if (cut == 0) return;
  result_ = ScanCode(std::string_view(held_).substr(0, cut), result_);
  held_.erase(0, cut);
  if (result_ != CODE_ASCII && result_ != CODE_EUC_OR_SJIS) held_.clear();
}

bool JcodeGuesser::Decided() const {
  if (binaryAt_ != std::size_t(-1) && seen_ > binaryAt_ + 1) return true;
  return seen_ > static_cast<std::size_t>(STRICT_CHECK_LEN) && result_ != CODE_ASCII &&
         result_ != CODE_EUC_OR_SJIS;
}

JCode JcodeGuesser::Finish() {
  if (binaryAt_ != std::size_t(-1) && seen_ > binaryAt_ + 1) return CODE_BINARY;
  if (result_ == CODE_ASCII || result_ == CODE_EUC_OR_SJIS) result_ = ScanCode(held_, result_);
  held_.clear();
  return result_;
}

// --- conversion ----------------------------------------------------------

JcodeConverter::JcodeConverter(int source, int target)
    : source_(source),
      target_(target),
      identity_(source < CODE_JIS_NEW || source == target || source == CODE_EUC_OR_SJIS) {
  if (!identity_) {
    // Pairs the whole-text function leaves alone stay alone here too.
    const bool fromJis = source == CODE_JIS_NEW || source == CODE_JIS_OLD;
    identity_ = !((target == CODE_JIS_NEW && (source == CODE_EUC || source == CODE_SJIS)) ||
                  (target == CODE_EUC && (fromJis || source == CODE_SJIS)) ||
                  (target == CODE_SJIS && (fromJis || source == CODE_EUC)));
  }
}

void JcodeConverter::Convert(std::string_view piece, std::string& out) {
  if (target_ == CODE_JIS_NEW) {
    // Every piece ends behind a byte below 0x80, where two-byte mode is off.
    out += source_ == CODE_EUC ? euc2jis83(piece) : sjis2jis83(piece);
  } else if (target_ == CODE_EUC) {
    out += source_ == CODE_SJIS ? sjis2euc(piece) : JisToEuc(piece, kanji_);
  } else {
    out += source_ == CODE_EUC ? euc2sjis(piece) : JisToSjis(piece, kanji_);
  }
}

void JcodeConverter::Feed(std::string_view block, std::string& out) {
  if (identity_) {
    out.append(block);
    return;
  }
  std::size_t cut = SafeCut(block, held_.empty() ? 0 : held_.back());
  if (cut == 0) {
    held_.append(block);
    return;
  }
  if (held_.empty()) {
    Convert(block.substr(0, cut), out);
  } else {
    held_.append(block.substr(0, cut));
    Convert(held_, out);
  }
  held_.assign(block.substr(cut));
}

void JcodeConverter::Finish(std::string& out) {
  if (!held_.empty()) Convert(held_, out);
  held_.clear();
}

AutoJcodeConverter::AutoJcodeConverter(int target, std::size_t memoryLimit)
    : target_(target), memoryLimit_(memoryLimit) {}

AutoJcodeConverter::~AutoJcodeConverter() {
  if (spill_) std::fclose(spill_);
}

void AutoJcodeConverter::Hold(std::string_view bytes) {
  if (!spill_ && held_.size() + bytes.size() <= memoryLimit_) {
    held_.append(bytes);
    return;
  }
  if (!spill_) {
    spill_ = std::tmpfile();
    if (!spill_) throw std::runtime_error("cannot make a temporary file for the undecided text");
    if (std::fwrite(held_.data(), 1, held_.size(), spill_) != held_.size()) {
      throw std::runtime_error("cannot write the temporary file for the undecided text");
    }
    held_.clear();
    held_.shrink_to_fit();
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), spill_) != bytes.size()) {
    throw std::runtime_error("cannot write the temporary file for the undecided text");
  }
}

// The held text through the converter, now that the source is known.
void AutoJcodeConverter::Release(std::string& out) {
  converter_ = std::make_unique<JcodeConverter>(source_, target_);
  if (spill_) {
    std::rewind(spill_);
    std::string block(1 << 16, '\0');
    std::size_t got;
    while ((got = std::fread(block.data(), 1, block.size(), spill_)) > 0) {
      converter_->Feed(std::string_view(block.data(), got), out);
      if (drain_ && out.size() >= block.size()) drain_(out);
    }
    if (std::ferror(spill_)) throw std::runtime_error("cannot read the temporary file back");
    std::fclose(spill_);
    spill_ = nullptr;
  } else {
    converter_->Feed(held_, out);
  }
  held_.clear();
  holding_ = false;
}

void AutoJcodeConverter::Feed(std::string_view block, std::string& out) {
  if (converter_) {
    converter_->Feed(block, out);
    return;
  }
  guesser_.Feed(block);
  if (!holding_) {
    // A leading stretch that every conversion copies goes out at once.
    std::size_t plain = 0;
    while (plain < block.size() && IsPlain(static_cast<Byte>(block[plain]))) ++plain;
    out.append(block.substr(0, plain));
    block.remove_prefix(plain);
    holding_ = !block.empty();
  }
  if (!block.empty()) Hold(block);
  if (guesser_.Decided()) {
    source_ = guesser_.Finish();
    Release(out);
  }
}

void AutoJcodeConverter::Finish(std::string& out) {
  if (!converter_) {
    source_ = guesser_.Finish();
    Release(out);
  }
  converter_->Finish(out);
}

// --- line ends -----------------------------------------------------------

void LineEndConverter::Feed(std::string_view block, std::string& out) {
  if (block.empty()) return;
  if (source_ < 0) {
    if (cr_) {
      // The first line end was a CR at the end of the last block.
      source_ = block[0] == '\n' ? LINE_END_CRLF : LINE_END_CR;
    } else {
      std::size_t at = block.find_first_of("\r\n");
      if (at == std::string_view::npos) {
        out.append(block);  // no line end yet: nothing to change
        return;
      }
      if (block[at] == '\n') {
        source_ = LINE_END_LF;
      } else if (at + 1 < block.size()) {
        source_ = block[at + 1] == '\n' ? LINE_END_CRLF : LINE_END_CR;
      } else {
        out.append(block.substr(0, at));
        cr_ = true;
        return;
      }
    }
  }
  if (source_ != LINE_END_CRLF) {
    // A one-byte line end needs nothing from the next block.
    std::string piece;
    if (cr_) piece = "\r";
    cr_ = false;
    piece.append(block);
    out += StrictConvertReturnCode(piece, source_, target_);
    return;
  }
  std::string piece = cr_ ? "\r" : "";
  piece.append(block);
  cr_ = piece.back() == '\r';
  if (cr_) piece.pop_back();
  out += StrictConvertReturnCode(piece, source_, target_);
}

void LineEndConverter::Finish(std::string& out) {
  if (cr_) {
    // A text whose only line end is a CR at the very end.
    out += StrictConvertReturnCode("\r", source_ < 0 ? LINE_END_CR : source_, target_);
  }
  cr_ = false;
}

// --- transfer encodings --------------------------------------------------

void Base64Encoder::Feed(std::string_view block, std::string& out) {
  // Whole lines of 57 bytes (or whole groups of 3 without line breaks).
  const std::size_t unit = breakLines_ ? 57 : 3;
  held_.append(block);
  std::size_t whole = held_.size() / unit * unit;
  if (whole == 0) return;
  std::string_view done(held_.data(), whole);
  out += breakLines_ ? EncodeBase64R(done, lineBreak_) : EncodeBase64(done);
  held_.erase(0, whole);
}

void Base64Encoder::Finish(std::string& out) {
  out += breakLines_ ? EncodeBase64R(held_, lineBreak_) : EncodeBase64(held_);
  held_.clear();
}

void UUEncoder::Feed(std::string_view block, std::string& out) {
  held_.append(block);
  std::size_t whole = held_.size() / 45 * 45;
  if (whole == 0) return;
  std::string lines = EncodeUU(std::string_view(held_.data(), whole), lineBreak_);
  lines.resize(lines.size() - 1 - lineBreak_.size());  // the closing "`" line comes at the end
  out += lines;
  held_.erase(0, whole);
}

void UUEncoder::Finish(std::string& out) {
  out += EncodeUU(held_, lineBreak_);
  held_.clear();
}

void BinHexEncoder::Put(char c, std::string& out) {
  if (column_ == 64) {
    out += lineBreak_;
    column_ = 0;
  }
  out += c;
  ++column_;
}

void BinHexEncoder::Feed(std::string_view block, std::string& out) {
  if (!started_) {
    Put(':', out);
    started_ = true;
  }
  held_.append(block);
  std::size_t whole = held_.size() / 3 * 3;
  for (std::size_t i = 0; i < whole; i += 3) {
    Byte a = static_cast<Byte>(held_[i]), b = static_cast<Byte>(held_[i + 1]),
         c = static_cast<Byte>(held_[i + 2]);
    Put(kBinHexAlphabet[a >> 2], out);
    Put(kBinHexAlphabet[((a & 0x03) << 4) | (b >> 4)], out);
    Put(kBinHexAlphabet[((b & 0x0F) << 2) | (c >> 6)], out);
    Put(kBinHexAlphabet[c & 0x3F], out);
  }
  held_.erase(0, whole);
}

void BinHexEncoder::Finish(std::string& out) {
  Feed({}, out);
  if (!held_.empty()) {
    Byte a = static_cast<Byte>(held_[0]);
    Byte b = held_.size() > 1 ? static_cast<Byte>(held_[1]) : 0;
    Put(kBinHexAlphabet[a >> 2], out);
    Put(kBinHexAlphabet[((a & 0x03) << 4) | (b >> 4)], out);
    if (held_.size() > 1) Put(kBinHexAlphabet[(b & 0x0F) << 2], out);
  }
  Put(':', out);
  held_.clear();
}

void Base64Decoder::Feed(std::string_view block, std::string& out) {
  for (char ch : block) {
    if (ch == '=') {
      acc_ = 0;
      bits_ = 0;
      inGroup_ = 0;
      continue;
    }
    int v = kBase64Values.value[static_cast<Byte>(ch)];
    if (v < 0) continue;
    acc_ = ((acc_ << 6) | static_cast<unsigned>(v)) & 0xFFF;
    bits_ += 6;
    if (bits_ >= 8) {
      bits_ -= 8;
      out += static_cast<char>((acc_ >> bits_) & 0xFF);
    }
    if (++inGroup_ == 4) {
      inGroup_ = 0;
      bits_ = 0;
    }
  }
}

void UUDecoder::Feed(std::string_view block, std::string& out) {
  // Lines are decoded one by one; the one begun waits for its end.
  held_.append(block);
  std::size_t end = held_.find_last_of("\r\n");
  if (end == std::string::npos) return;
  out += DecodeUU(std::string_view(held_).substr(0, end + 1));
  held_.erase(0, end + 1);
}

void UUDecoder::Finish(std::string& out) {
  out += DecodeUU(held_);
  held_.clear();
}

void BinHexDecoder::Feed(std::string_view block, std::string& out) {
  for (char c : block) {
    if (stopped_) return;
    if (first_) {
      first_ = false;  // the opening ":"
      continue;
    }
    if (c == '\r' || c == '\n') continue;
    int v = kBinHexValues.value[static_cast<Byte>(c)];
    if (v < 0) {
      stopped_ = true;
      return;
    }
    acc_ = ((acc_ << 6) | static_cast<unsigned>(v)) & 0xFFF;
    bits_ += 6;
    if (bits_ >= 8) {
      bits_ -= 8;
      out += static_cast<char>((acc_ >> bits_) & 0xFF);
    }
  }
}

}  // namespace kestrel
