#include "viewer/HtmlParse.h"

#include <fstream>
#include <istream>
#include <iterator>
#include <sstream>

#include "platform/Codepage.h"

namespace kestrel {
namespace {

inline unsigned char UpperAscii(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

inline bool IsTagSpace(unsigned char c) {
  // A lone CR (old Mac line ends) separates like LF does.
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Bytes that end a plain stretch of a text run: they start a two-byte unit,
// end the run, or fold CR LF into LF.
inline bool IsTextSpecial(unsigned char c) {
  return IsLeadByte(c) || c == '\\' || c == '<' || c == 0x00 || c == 0x13 || c == '\r';
}

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
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw HtmlFileError("cannot read " + fileName_);
  return ContentFromBytes(bytes);
}

std::string THtmlParse::ContentFromStream(std::istream& stream) {
  std::ostringstream buffer;
  buffer << stream.rdbuf();
  return ContentFromBytes(buffer.str());
}

std::string THtmlParse::ContentFromBytes(std::string_view data) {
  stop_ = false;
  const std::size_t n = data.size();
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };

  std::string token;
  std::string tagName;
  std::vector<std::string> options;
  bool inTag = false;

  // A whole or partial tag token goes to the tag name or the options.
  auto takeToken = [&](bool isOption) {
    if (!isOption && tagName.empty()) {
      tagName = token;
    } else {
      options.push_back(token);
    }
    token.clear();
  };

  std::size_t pos = 0;
  while (!stop_ && pos < n) {
    if (!inTag) {
      // Text run: up to "<", NUL, 0x13 or the end. A lead byte or a
      // backslash keeps the byte after it, so neither a trail byte nor an
      // escaped "<" can end the run.
      token.clear();
      bool toTag = false;
      while (pos < n) {
        unsigned char c = at(pos);
        if (!IsTextSpecial(c)) {
          std::size_t end = pos + 1;
          const std::size_t limit = pos + (kMaxToken - token.size());
          while (end < n && end < limit && !IsTextSpecial(at(end))) ++end;
          if (end == pos + 1 && token.size() + 1 > kMaxToken) {
            CallText(token);
            token.clear();
            if (stop_) break;
            continue;
          }
          token.append(data.substr(pos, end - pos));
          pos = end;
          continue;
        }
        std::size_t unit = 1;
        std::size_t used = 1;
        std::size_t from = pos;
        if ((IsLeadByte(c) || c == '\\') && pos + 1 < n) {
          unit = used = 2;
        } else if (c == '<' || c == 0x00 || c == 0x13) {
          ++pos;
          toTag = (c == '<');
          break;
        } else if (c == '\r' && pos + 1 < n && at(pos + 1) == '\n') {
          from = pos + 1;  // CR LF reads as one LF
          used = 2;
        }
        if (token.size() + unit > kMaxToken) {
          CallText(token);
          token.clear();
          if (stop_) break;
        }
        token.append(data.substr(from, unit));
        pos += used;
      }
      if (!token.empty()) CallText(token);
      token.clear();
      if (toTag) {
        inTag = true;
        tagName.clear();
        options.clear();
      }
      continue;
    }

    // Tag token.
    bool isOption = false;
    bool afterEquals = false;
    bool quoted = false;
    enum class End { Space, Close, Data } end = End::Data;
    auto store = [&](const char* bytes, std::size_t count) {
      if (token.size() + count > kMaxToken) takeToken(isOption);  // a piece; flags carry on
      token.append(bytes, count);
    };
    token.clear();
    while (pos < n) {
      unsigned char c = at(pos);
      if ((IsLeadByte(c) || c == '\\') && pos + 1 < n) {
        if (c == '\\') {
          // An escaped byte is kept literally, quotes and ">" included.
          char second = static_cast<char>(afterEquals ? at(pos + 1) : UpperAscii(at(pos + 1)));
          store(&second, 1);
        } else {
          store(data.data() + pos, 2);  // a double-byte character is never upper-cased
        }
        pos += 2;
        continue;
      }
      ++pos;
      if (c == '\r' && pos < n && at(pos) == '\n') {
        ++pos;
        c = '\n';
      }
      if (c == '"' || c == '\'') {
        quoted = !quoted;
        continue;
      }
      if (!quoted) {
        if (IsTagSpace(c)) {
          if (token.empty()) continue;
          end = End::Space;
          break;
        }
        if (c == '>') {
          end = End::Close;
          break;
        }
        if (c == '=') isOption = true;
      }
      char stored = static_cast<char>(afterEquals ? c : UpperAscii(c));
      store(&stored, 1);
      if (c == '=') afterEquals = true;
    }

    switch (end) {
      case End::Space:
        takeToken(isOption);
        break;
      case End::Close:
        if (!token.empty()) takeToken(false);
        CallTag(tagName, options);
        tagName.clear();
        options.clear();
        inTag = false;
        break;
      case End::Data:
        // An unterminated tag at the end: its last token comes out as text.
        if (!token.empty()) CallText(token);
        token.clear();
        break;
    }
  }
  return inTag ? tagName : std::string();
}

}  // namespace kestrel
