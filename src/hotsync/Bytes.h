// Big-endian bytes: a writer that appends and a reader that checks every
// length against what is left before it reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel::hotsync {

class ByteWriter {
 public:
  ByteWriter& u8(std::uint32_t v) { out_.push_back(static_cast<char>(v & 0xFF)); return *this; }
  ByteWriter& u16(std::uint32_t v) { return u8(v >> 8).u8(v); }
  ByteWriter& u32(std::uint32_t v) { return u16(v >> 16).u16(v); }
  ByteWriter& bytes(std::string_view b) { out_.append(b); return *this; }
  // Exactly n bytes: `b` cut or filled up with zero bytes.
  ByteWriter& fixed(std::string_view b, std::size_t n) {
    out_.append(b.substr(0, n));
    if (b.size() < n) out_.append(n - b.size(), '\0');
    return *this;
  }
  // The text and its terminating zero byte.
  ByteWriter& cstring(std::string_view b) { return bytes(b).u8(0); }
  void reserve(std::size_t n) { out_.reserve(n); }
  std::string& str() { return out_; }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

// Every read past the end fails and sets failed(); the values read then are 0.
class ByteReader {
 public:
  explicit ByteReader(std::string_view in) : in_(in) {}
  std::uint8_t u8() { return static_cast<std::uint8_t>(take(1, 0)); }
  std::uint16_t u16() { return static_cast<std::uint16_t>(take(2, 0)); }
  std::uint32_t u32() { return take(4, 0); }
  std::string_view bytes(std::size_t n) {
    if (n > left()) { failed_ = true; pos_ = in_.size(); return {}; }
    std::string_view b = in_.substr(pos_, n);
    pos_ += n;
    return b;
  }
  // A zero-terminated text (without its zero); fails when no zero comes.
  std::string_view cstring() {
    std::size_t end = in_.find('\0', pos_);
    if (end == std::string_view::npos) { failed_ = true; pos_ = in_.size(); return {}; }
    std::string_view b = in_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return b;
  }
  std::string_view rest() { return bytes(left()); }
  std::size_t left() const { return in_.size() - pos_; }
  std::size_t pos() const { return pos_; }
  bool failed() const { return failed_; }

 private:
  std::uint32_t take(std::size_t n, std::uint32_t v) {
    if (n > left()) { failed_ = true; pos_ = in_.size(); return 0; }
    for (std::size_t i = 0; i < n; ++i) v = (v << 8) | static_cast<unsigned char>(in_[pos_ + i]);
    pos_ += n;
    return v;
  }
  std::string_view in_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

}  // namespace kestrel::hotsync
