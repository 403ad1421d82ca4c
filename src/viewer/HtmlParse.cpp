#include "viewer/HtmlParse.h"

#include <fstream>
#include <istream>

#include "platform/Codepage.h"

namespace kestrel {
namespace {

using Byte = unsigned char;

// How the tokenizer treats a byte in a text run: 0 plain, 1 the first of a
// two-byte unit (a lead byte or a backslash), 2 a byte that ends or changes
// the run ("<", NUL, 0x13, CR).
struct TextClasses {
  Byte of[256];
  constexpr TextClasses() : of() {
    for (int c = 0; c < 256; ++c) {
      Byte b = static_cast<Byte>(c);
      if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) || b == '\\') of[c] = 1;
      else if (b == '<' || b == 0x00 || b == 0x13 || b == '\r') of[c] = 2;
    }
  }
};
constexpr TextClasses kText;

// In a tag: 0 an ordinary byte, 1 the first of a two-byte unit, 2 any byte
// with a meaning of its own (spaces, quotes, "=", ">", CR).
struct TagClasses {
  Byte of[256];
  constexpr TagClasses() : of() {
    for (int c = 0; c < 256; ++c) {
      Byte b = static_cast<Byte>(c);
      if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) || b == '\\') of[c] = 1;
      else if (b == ' ' || b == '\t' || b == '\n' || b == '\r' || b == '"' || b == '\'' ||
               b == '=' || b == '>') of[c] = 2;
    }
  }
};
constexpr TagClasses kTag;

// Inside quotes spaces and ">" are ordinary too; "=" still is not, since it
// ends the upper-casing.
struct QuotedClasses {
  Byte of[256];
  constexpr QuotedClasses() : of() {
    for (int c = 0; c < 256; ++c) {
      Byte b = static_cast<Byte>(c);
      of[c] = kTag.of[c];
      if (b == ' ' || b == '\t' || b == '\n' || b == '>') of[c] = 0;
    }
  }
};
constexpr QuotedClasses kQuoted;

inline char UpperAscii(Byte c) {
  return static_cast<char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
}

// A lone CR (old Mac line ends) separates like LF does.
inline bool IsTagSpace(Byte c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

constexpr std::size_t kBlock = 1 << 16;

}  // namespace

void THtmlParse::SetFileName(const std::string& name) {
  if (name != fileName_) htmlDoc_.clear();
  fileName_ = name;
}

void THtmlParse::SetHtmlDoc(const std::vector<std::string>& lines) {
  htmlDoc_ = lines;
  fileName_.clear();
}

void THtmlParse::CallText(const std::string& text) {
  if (OnHtmlText) OnHtmlText(*this, text);
}

void THtmlParse::CallTag(const std::string& tag, const std::vector<std::string>& options) {
  if (OnHtmlTag) OnHtmlTag(*this, tag, options);
}

std::string THtmlParse::Content() {
  if (fileName_.empty()) {
    std::string joined;
    for (std::size_t i = 0; i < htmlDoc_.size(); ++i) {
      if (i > 0) joined += "\r\n";
      joined += htmlDoc_[i];
    }
    return ContentFromBytes(joined);
  }
  std::ifstream in(fileName_, std::ios::binary);
  if (!in) throw HtmlFileError("cannot read " + fileName_);
  std::string rest = ContentFromStream(in);
  if (in.bad()) throw HtmlFileError("cannot read " + fileName_);
  return rest;
}

std::string THtmlParse::ContentFromStream(std::istream& stream) {
  Begin();
  std::string block(kBlock, '\0');
  while (!stop_ && stream) {
    stream.read(block.data(), static_cast<std::streamsize>(block.size()));
    std::streamsize got = stream.gcount();
    if (got <= 0) break;
    Feed(std::string_view(block.data(), static_cast<std::size_t>(got)));
  }
  return End();
}

std::string THtmlParse::ContentFromBytes(std::string_view data) {
  Begin();
  Feed(data);
  return End();
}

void THtmlParse::Begin() {
  stop_ = false;
  pending_.clear();
  token_.clear();
  tagName_.clear();
  options_.clear();
  inTag_ = false;
  isOption_ = afterEquals_ = quoted_ = false;
}

void THtmlParse::Feed(std::string_view block) {
  if (stop_ || block.empty()) return;
  std::size_t from = 0;
  if (!pending_.empty()) {
    // The held byte with the first of this block; if that one is held in
    // turn, it is taken again below with the rest of the block.
    char two[2] = {pending_[0], block[0]};
    pending_.clear();
    from = Run(two, 2, false) - 1;
  }
  std::size_t used = from + Run(block.data() + from, block.size() - from, false);
  if (used < block.size() && !stop_) pending_.assign(block.substr(used));
}

std::string THtmlParse::End() {
  if (!pending_.empty() && !stop_) {
    std::string last;
    last.swap(pending_);
    Run(last.data(), last.size(), true);
  }
  pending_.clear();
  if (!stop_ && !token_.empty()) {
    // The end of a text run, or the last token of an unterminated tag,
    // which comes out as text.
    CallText(token_);
  }
  token_.clear();
  std::string rest = inTag_ ? tagName_ : std::string();
  tagName_.clear();
  options_.clear();
  return rest;
}

void THtmlParse::TakeToken(bool isOption) {
  // Swapped rather than copied: the token takes over an emptied buffer.
  if (!isOption && tagName_.empty()) {
    tagName_.swap(token_);
  } else if (spare_.empty()) {
    options_.push_back(std::move(token_));
  } else {
    options_.push_back(std::move(spare_.back()));
    spare_.pop_back();
    options_.back().swap(token_);
  }
  token_.clear();
}

void THtmlParse::StartTag() {
  inTag_ = true;
  tagName_.clear();
  for (std::string& option : options_) spare_.push_back(std::move(option));
  options_.clear();
  isOption_ = afterEquals_ = quoted_ = false;
}

std::size_t THtmlParse::Run(const char* data, std::size_t n, bool final) {
  std::size_t pos = 0;
  while (!stop_ && pos < n) {
    bool more = inTag_ ? RunTag(data, n, pos, final) : RunText(data, n, pos, final);
    if (!more) break;
  }
  return pos;
}

// A text run: up to "<", NUL, 0x13 or the end. A lead byte or a backslash
// keeps the byte after it, so neither a trail byte nor an escaped "<" can
// end the run; CR LF reads as one LF. Answers false when it must wait for
// more bytes.
bool THtmlParse::RunText(const char* data, std::size_t n, std::size_t& pos, bool final) {
  const Byte* const begin = reinterpret_cast<const Byte*>(data);
  const Byte* const end = begin + n;
  while (pos < n) {
    // Plain bytes and whole two-byte units, as many as the buffer holds.
    const Byte* p = begin + pos;
    const std::size_t room = kMaxToken - token_.size();
    const Byte* limit = static_cast<std::size_t>(end - p) > room ? p + room : end;
    const Byte* q = p;
    bool wait = false;
    while (q < limit) {
      Byte k = kText.of[*q];
      if (k == 0) {
        ++q;
      } else if (k == 1) {
        if (q + 1 < end) {
          if (q + 2 > limit) break;  // does not fit whole: next piece
          q += 2;
        } else if (final) {
          ++q;  // a lone lead byte or backslash at the very end
        } else {
          wait = true;
          break;
        }
      } else {
        break;
      }
    }
    token_.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(q - p));
    pos = static_cast<std::size_t>(q - begin);
    if (wait) return false;
    if (q == end) return true;
    Byte c = *q;
    if (kText.of[c] != 2) {
      // The buffer is full.
      CallText(token_);
      token_.clear();
      if (stop_) return false;
      continue;
    }
    if (c == '\r') {
      bool crlf = false;
      if (q + 1 < end) {
        crlf = q[1] == '\n';
      } else if (!final) {
        return false;
      }
      if (token_.size() + 1 > kMaxToken) {
        CallText(token_);
        token_.clear();
        if (stop_) return false;
      }
      token_ += crlf ? '\n' : '\r';
      pos += crlf ? 2 : 1;
      continue;
    }
    // "<", NUL or 0x13 ends the run.
    ++pos;
    if (!token_.empty()) CallText(token_);
    token_.clear();
    if (c == '<') StartTag();
    return true;
  }
  return true;
}

// One token of a tag: its name, an option, or the end. Answers false when
// it must wait for more bytes.
bool THtmlParse::RunTag(const char* data, std::size_t n, std::size_t& pos, bool final) {
  auto at = [&](std::size_t i) { return static_cast<Byte>(data[i]); };
  auto store = [&](const char* bytes, std::size_t count) {
    if (token_.size() + count > kMaxToken) TakeToken(isOption_);  // a piece; flags carry on
    token_.append(bytes, count);
  };
  while (pos < n) {
    Byte c = at(pos);
    const Byte* classes = quoted_ ? kQuoted.of : kTag.of;
    Byte k = classes[c];
    if (k == 0) {
      // A stretch of ordinary bytes at once, upper-cased before the "=", as
      // much of it as the buffer holds.
      const std::size_t room = kMaxToken - token_.size();
      if (room == 0) {
        char stored = afterEquals_ ? static_cast<char>(c) : UpperAscii(c);
        store(&stored, 1);  // takes the full piece first
        ++pos;
        continue;
      }
      const std::size_t limit = n - pos > room ? pos + room : n;
      std::size_t stop = pos + 1;
      while (stop < limit && classes[at(stop)] == 0) ++stop;
      const std::size_t count = stop - pos;
      const std::size_t from = token_.size();
      token_.append(data + pos, count);
      if (!afterEquals_) {
        for (std::size_t i = from; i < token_.size(); ++i) {
          token_[i] = UpperAscii(static_cast<Byte>(token_[i]));
        }
      }
      pos += count;
      continue;
    }
    if (k == 1) {
      if (pos + 1 < n) {
        if (c == '\\') {
          // An escaped byte is kept literally, quotes and ">" included.
          char second = afterEquals_ ? static_cast<char>(at(pos + 1)) : UpperAscii(at(pos + 1));
          store(&second, 1);
        } else {
          store(data + pos, 2);  // a double-byte character is never upper-cased
        }
        pos += 2;
        continue;
      }
      if (!final) return false;
    }
    if (c == '\r') {
      if (pos + 1 < n) {
        if (at(pos + 1) == '\n') {
          ++pos;
          c = '\n';
        }
      } else if (!final) {
        return false;
      }
    }
    ++pos;
    if (c == '"' || c == '\'') {
      quoted_ = !quoted_;
      continue;
    }
    if (!quoted_) {
      if (IsTagSpace(c)) {
        if (token_.empty()) continue;
        TakeToken(isOption_);
        isOption_ = afterEquals_ = quoted_ = false;
        return true;
      }
      if (c == '>') {
        if (!token_.empty()) TakeToken(false);
        CallTag(tagName_, options_);
        tagName_.clear();
        for (std::string& option : options_) spare_.push_back(std::move(option));
        options_.clear();
        inTag_ = false;
        isOption_ = afterEquals_ = quoted_ = false;
        return true;
      }
      if (c == '=') isOption_ = true;
    }
    char stored = afterEquals_ ? static_cast<char>(c) : UpperAscii(c);
    store(&stored, 1);
    if (c == '=') afterEquals_ = true;
  }
  return true;
}

}  // namespace kestrel
