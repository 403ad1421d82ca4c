#include "applist/CommaText.h"

#include "platform/Codepage.h"

namespace kestrel {
namespace {

bool IsBlank(unsigned char c) { return c >= 1 && c <= 32; }

class Scanner {
 public:
  explicit Scanner(std::string_view text) : s_(text) {}

  bool atEnd() const { return i_ >= s_.size(); }
  unsigned char peek() const { return static_cast<unsigned char>(s_[i_]); }
  // One character on: two bytes for a lead byte with its trail byte.
  void step() { i_ += (IsLeadByte(peek()) && i_ + 1 < s_.size()) ? 2 : 1; }
  void skipBlanks() {
    while (!atEnd() && IsBlank(peek())) step();
  }

  // The next field, starting at a non-blank character.
  std::string field() {
    std::string out;
    if (peek() == '"') {
      ++i_;
      while (!atEnd()) {
        unsigned char c = peek();
        if (c == '"') {
          if (i_ + 1 < s_.size() && s_[i_ + 1] == '"') {
            out += '"';
            i_ += 2;
            continue;
          }
          ++i_;  // the closing quote
          return out;
        }
        std::size_t from = i_;
        step();
        out.append(s_.substr(from, i_ - from));
      }
      return out;  // never closed: the rest of the line
    }
    std::size_t from = i_;
    while (!atEnd() && peek() > 32 && peek() != ',') step();
    // A zero byte is neither blank nor separator: it stays in the field.
    while (!atEnd() && peek() == 0) {
      step();
      while (!atEnd() && peek() > 32 && peek() != ',') step();
    }
    return std::string(s_.substr(from, i_ - from));
  }

  // After a field: blanks, then one comma with the blanks after it.
  void separator() {
    skipBlanks();
    if (!atEnd() && peek() == ',') {
      step();
      skipBlanks();
    }
  }

 private:
  std::string_view s_;
  std::size_t i_ = 0;
};

}  // namespace

std::vector<std::string> SplitCommaText(std::string_view line) {
  std::vector<std::string> fields;
  Scanner s(line);
  s.skipBlanks();
  while (!s.atEnd()) {
    fields.push_back(s.field());
    s.separator();
  }
  return fields;
}

std::string FirstCommaField(std::string_view line) {
  Scanner s(line);
  s.skipBlanks();
  return s.atEnd() ? std::string() : s.field();
}

std::string QuoteCommaField(std::string_view field) {
  std::string out = "\"";
  for (std::size_t i = 0; i < field.size(); ++i) {
    auto c = static_cast<unsigned char>(field[i]);
    if (IsLeadByte(c) && i + 1 < field.size()) {
      out += field.substr(i, 2);
      ++i;
      continue;
    }
    if (c == '"') out += '"';
    out += static_cast<char>(c);
  }
  out += '"';
  return out;
}

}  // namespace kestrel
