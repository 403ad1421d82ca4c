#include "viewer/HtmlRenderer.h"

#include <algorithm>

#include "platform/Codepage.h"

namespace kestrel {
namespace {

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

}  // namespace

void HtmlRenderer::Reset() {
  rendered_.clear();
  breaks_ = 0;
  skipping_ = false;
}

void HtmlRenderer::Attach(THtmlParse& parser) {
  parser.OnHtmlText = [this](THtmlParse&, const std::string& text) { HtmlParse1HtmlText(text); };
  parser.OnHtmlTag = [this](THtmlParse&, const std::string& tag,
                            const std::vector<std::string>& options) {
    HtmlParse1HtmlTag(tag, options);
  };
}

std::string HtmlRenderer::Rule() const {
  int count = wrapWidth_ < 21 ? std::max(wrapWidth_, 0) : wrapWidth_ - 20;
  return std::string(static_cast<std::size_t>(count), '-');
}

void HtmlRenderer::AddBreaks(int count) { breaks_ = std::min(breaks_ + count, 2); }

void HtmlRenderer::HtmlParse1HtmlText(const std::string& text) {
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

void HtmlRenderer::HtmlParse1HtmlTag(const std::string& tag,
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

std::vector<std::string> SplitHtmlLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t stop = text.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, stop - start));
    start = stop + ((text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

std::string RenderHtmlText(std::string_view html, int wrapWidth) {
  THtmlParse parser;
  HtmlRenderer renderer(wrapWidth);
  renderer.Attach(parser);
  parser.ContentFromBytes(html);
  return renderer.RenderedText();
}

std::vector<std::string> RenderHtmlLines(const std::vector<std::string>& lines, int wrapWidth) {
  THtmlParse parser;
  HtmlRenderer renderer(wrapWidth);
  renderer.Attach(parser);
  parser.SetHtmlDoc(lines);
  parser.Content();
  return SplitHtmlLines(renderer.RenderedText());
}

}  // namespace kestrel
