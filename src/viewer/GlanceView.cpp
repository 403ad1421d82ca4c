#include "viewer/GlanceView.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/Paths.h"
#include "platform/Codepage.h"
#include "platform/WholeFile.h"
#include "viewer/HtmlRenderer.h"
#include "viewer/Jconvert.h"
#include "common/Translate.h"

namespace kestrel {
namespace {

std::string BaseName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UpperExtension(const std::string& name) {
  std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot);
  for (char& c : ext) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return ext;
}

}  // namespace

std::string GlanceCaption(const std::string& path, const std::string& suffix) {
  return Tr(QT_TRANSLATE_NOOP("Kestrel", "Glancer (ESCで終了) - ")) + BaseName(path) + suffix;
}

std::string JoinedLines(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 32);
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while (p < end) {
    const char* stop = p;
    while (stop < end && *stop != '\n' && *stop != '\r') ++stop;
    out.append(p, static_cast<std::size_t>(stop - p));
    if (stop == end) break;
    p = stop + ((*stop == '\r' && stop + 1 < end && stop[1] == '\n') ? 2 : 1);
    // A line end at the very end starts no new line.
    if (p < end) out.append("\r\n");
  }
  return out;
}

std::string BinaryMessageText() {
  return Utf8ToCp932("バイナリファイルには対応してません\r\n\r\nたまに少しだけ見えることがありますが、それは偶然です(;^^)");
}

GlanceContent MakeGlanceContent(std::string_view bytes, const std::string& fileName, bool htmlConv,
                                int wrapWidth) {
  GlanceContent c;
  c.text = JoinedLines(bytes);
  c.code = InCodeCheck(c.text);
  if (c.code == CODE_BINARY) {
    c.suffix = " (BINARY)";
    c.text = BinaryMessageText();
  } else if (c.code != CODE_ASCII && c.code != CODE_SJIS) {
    c.suffix = " (OTHER)";
    // An undecided EUC-or-Shift_JIS text comes back as it is.
    c.text = StrictConvertJCode(c.text, c.code, CODE_SJIS);
  }
  std::string ext = UpperExtension(BaseName(fileName));
  if (htmlConv && (ext == ".HTM" || ext == ".HTML")) c.text = RenderHtmlText(c.text, wrapWidth);
  return c;
}

std::optional<GlanceContent> LoadGlanceContent(const std::string& path, bool htmlConv, int wrapWidth,
                                               std::string* error) {
  std::string why;
  std::optional<std::string> bytes = ReadRegularFile(path, kMaxWholeFileBytes, &why);
  if (!bytes) {
    if (error) *error = why;
    return std::nullopt;
  }
  return MakeGlanceContent(*bytes, path, htmlConv, wrapWidth);
}

std::string GlanceRefusal(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::strerror(errno);
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  if (static_cast<std::uint64_t>(st.st_size) > kMaxWholeFileBytes) {
    return "larger than " + std::to_string(kMaxWholeFileBytes >> 20) + " MB";
  }
  return "";
}

HighlightRules GlanceHighlightRules() {
  HighlightRules r;
  r.background = colors::kWhite;
  r.text = {colors::kBlack};
  r.spans = {{"[[", "]]", {colors::kBlack, true, true}},
             {"[|", "|]", {colors::kBlack, true, false}},
             {"<Image:", ">", {colors::kBlue, false, true}},
             {"<", ">", {colors::kPurple}}};
  for (const char* w : {"Freesoft", "Freeware", "Shareware", "シェアウェア", "フリーウェア",
                        "フリーソフト", "メールウェア"}) {
    r.words.push_back(Utf8ToCp932(w));
  }
  r.wordStyle = {colors::kMaroon, true, false};
  r.addressStyle = {colors::kBlue, false, true};
  r.selectionText = colors::kWhite;
  r.selectionBack = colors::kNavy;
  return r;
}

int PointsToPixels(int points) { return (points * 96 + 36) / 72; }

std::string AddressToOpen(const TextToken& token) {
  std::string address;
  if (token.kind == TokenKind::Web) {
    address = token.text;
  } else if (token.kind == TokenKind::Mail) {
    address = token.text.compare(0, 7, "mailto:") == 0 ? token.text : "mailto:" + token.text;
  }
  // The shell starts whatever else it is given.
  return IsWebOrMailAddress(address) ? address : std::string();
}

}  // namespace kestrel
