// The HTML tokenizer and renderer as they were before they were made fast
// and fed in blocks, kept so that the tests can hold today's output to
// theirs byte for byte.
#include "HtmlReference.h"

#include <algorithm>
#include <vector>

#include "platform/Codepage.h"

namespace kestrel::reference {
namespace {

constexpr std::size_t kMaxToken = 65535;

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

constexpr const char* kBullet = "\x81\x45";  // "・" in Shift_JIS

// Only these entities are decoded, in this order; a "&lt;" that the "&amp;"
// replacement makes is left as it is.
constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
    {"&nbsp;", " "}, {"&lt;", "<"},     {"&gt;", ">"},     {"&amp;", "&"},
    {"&quot;", "\""}, {"&copy;", "(C)"}, {"&reg;", "(R)"},
};

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
  std::size_t at = text.find(what);
  if (at == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  while (at != std::string::npos) {
    out.append(text, from, at - from);
    out.append(with);
    from = at + what.size();
    at = text.find(what, from);
  }
  out.append(text, from, std::string::npos);
  text.swap(out);
}

// True when the last byte belongs to a double-byte character.
bool EndsInDoubleByte(std::string_view line) {
  bool lastDouble = false;
  for (std::size_t i = 0; i < line.size();) {
    lastDouble = IsLeadByte(line[i]);
    i += lastDouble ? 2 : 1;
  }
  return lastDouble;
}

bool IsHeading(const std::string& tag, std::size_t at) {
  return tag.size() == at + 2 && tag[at] == 'H' && tag[at + 1] >= '1' && tag[at + 1] <= '7';
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string OptionValue(const std::vector<std::string>& options, std::string_view name) {
  for (const std::string& option : options) {
    std::size_t eq = option.find('=');
    std::string_view key = std::string_view(option).substr(0, eq);
    if (EqualsNoCase(key, name)) {
      return eq == std::string::npos ? std::string() : option.substr(eq + 1);
    }
  }
  return {};
}


struct Renderer {
  int wrapWidth_;
  std::string rendered_;
  int breaks_ = 0;
  bool skipping_ = false;
  std::string Rule() const {
    int count = wrapWidth_ < 21 ? std::max(wrapWidth_, 0) : wrapWidth_ - 20;
    return std::string(static_cast<std::size_t>(count), '-');
  }
  void AddBreaks(int count) { breaks_ = std::min(breaks_ + count, 2); }
  void HtmlParse1HtmlText(const std::string& text);
  void HtmlParse1HtmlTag(const std::string& tag, const std::vector<std::string>& options);
};

struct Parser {
  Renderer& r;
  bool stop_ = false;
  void CallText(const std::string& t) { r.HtmlParse1HtmlText(t); }
  void CallTag(const std::string& t, const std::vector<std::string>& o) { r.HtmlParse1HtmlTag(t, o); }
  std::string Run(std::string_view data);
};

void Renderer::HtmlParse1HtmlText(const std::string& text) {
  if (skipping_) return;
  std::string line;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t stop = text.find_first_of("\r\n", start);
    if (stop == std::string::npos) stop = text.size();

    // Runs of spaces fold into one; a space is never a trail byte.
    line.clear();
    for (std::size_t i = start; i < stop; ++i) {
      if (text[i] == ' ' && !line.empty() && line.back() == ' ') continue;
      line.push_back(text[i]);
    }
    if (line.find('&') != std::string::npos) {
      for (const auto& [entity, with] : kEntities) ReplaceAll(line, entity, with);
    }

    if (!line.empty() && line != " " && line != "\t") {
      char last = line.back();
      if (last != ' ' && last != '.' && !EndsInDoubleByte(line)) line.push_back(' ');
      rendered_ += line;
      breaks_ = 0;
    }

    start = stop;
    if (start < text.size() && text[start] == '\r' && start + 1 < text.size() &&
        text[start + 1] == '\n') {
      ++start;
    }
    if (start < text.size()) ++start;
  }
}

void Renderer::HtmlParse1HtmlTag(const std::string& tag,
                                     const std::vector<std::string>& options) {
  if (tag == "SCRIPT" || tag == "STYLE") {
    skipping_ = true;
    return;
  }
  if (tag == "/SCRIPT" || tag == "/STYLE") {
    skipping_ = false;
    return;
  }
  if (skipping_) return;

  if (tag == "BR" || tag == "OL" || tag == "UL" || tag == "TD" || tag == "/TABLE") {
    if (breaks_ < 2) rendered_ += '\n';
    AddBreaks(1);
  } else if (tag == "P" || tag == "/OL" || tag == "/UL") {
    if (breaks_ == 0) {
      rendered_ += "\n\n";
      AddBreaks(2);
    } else if (breaks_ == 1) {
      rendered_ += '\n';
      AddBreaks(1);
    }
  } else if (tag == "TITLE") {
    rendered_ += "[[ ";
  } else if (tag == "/TITLE") {
    rendered_ += " ]]\n";
    AddBreaks(1);
  } else if (IsHeading(tag, 0)) {
    if (breaks_ == 0) {
      rendered_ += "\n\n[| ";
      AddBreaks(2);
    } else if (breaks_ == 1) {
      rendered_ += "\n[| ";
      AddBreaks(1);
    } else {
      rendered_ += "[| ";
    }
  } else if (tag.size() > 1 && tag[0] == '/' && IsHeading(tag, 1)) {
    rendered_ += " |]\n";
    AddBreaks(1);
  } else if (tag == "LI") {
    if (breaks_ == 0) {
      rendered_ += '\n';
      AddBreaks(1);
    }
    rendered_ += kBullet;
  } else if (tag == "HR") {
    if (breaks_ < 2) rendered_ += '\n';
    rendered_ += Rule();
    rendered_ += '\n';
    AddBreaks(1);
  } else if (tag == "IMG") {
    std::string src = OptionValue(options, "SRC");
    if (!src.empty()) rendered_ += "<Image:" + src + "> ";
  }
}

std::string Parser::Run(std::string_view data) {
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

}  // namespace

std::string RenderHtmlText(std::string_view html, int wrapWidth) {
  Renderer renderer{wrapWidth};
  Parser parser{renderer};
  parser.Run(html);
  return renderer.rendered_;
}

}  // namespace kestrel::reference
