#include "install/TextShape.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/FileRules.h"
#include "common/MessageTable.h"
#include "common/Paths.h"
#include "platform/Codepage.h"
#include "platform/Home.h"
#include "platform/WholeFile.h"

namespace kestrel {
namespace {

// Katakana: ｦ (0xA6) through ﾟ (0xDF) each with a blank, then the 26
// voiced and semi-voiced pairs ｶﾞ … ﾎﾞ, ﾊﾟ … ﾎﾟ, ｳﾞ.
constexpr char kKanaHan[] =
    "\xA6\x20\xA7\x20\xA8\x20\xA9\x20\xAA\x20\xAB\x20\xAC\x20\xAD\x20\xAE\x20\xAF\x20"
    "\xB0\x20\xB1\x20\xB2\x20\xB3\x20\xB4\x20\xB5\x20\xB6\x20\xB7\x20\xB8\x20\xB9\x20"
    "\xBA\x20\xBB\x20\xBC\x20\xBD\x20\xBE\x20\xBF\x20\xC0\x20\xC1\x20\xC2\x20\xC3\x20"
    "\xC4\x20\xC5\x20\xC6\x20\xC7\x20\xC8\x20\xC9\x20\xCA\x20\xCB\x20\xCC\x20\xCD\x20"
    "\xCE\x20\xCF\x20\xD0\x20\xD1\x20\xD2\x20\xD3\x20\xD4\x20\xD5\x20\xD6\x20\xD7\x20"
    "\xD8\x20\xD9\x20\xDA\x20\xDB\x20\xDC\x20\xDD\x20\xDE\x20\xDF\x20\xB6\xDE\xB7\xDE"
    "\xB8\xDE\xB9\xDE\xBA\xDE\xBB\xDE\xBC\xDE\xBD\xDE\xBE\xDE\xBF\xDE\xC0\xDE\xC1\xDE"
    "\xC2\xDE\xC3\xDE\xC4\xDE\xCA\xDE\xCB\xDE\xCC\xDE\xCD\xDE\xCE\xDE\xCA\xDF\xCB\xDF"
    "\xCC\xDF\xCD\xDF\xCE\xDF\xB3\xDE";
// ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ
// ハヒフヘホマミムメモヤユヨラリルレロワン゛゜ガギグゲゴザジズゼゾダヂヅデド
// バビブベボパピプペポヴ
constexpr char kKanaZen[] =
    "\x83\x92\x83\x40\x83\x42\x83\x44\x83\x46\x83\x48\x83\x83\x83\x85\x83\x87\x83\x62"
    "\x81\x5B\x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\x83\x4A\x83\x4C\x83\x4E\x83\x50"
    "\x83\x52\x83\x54\x83\x56\x83\x58\x83\x5A\x83\x5C\x83\x5E\x83\x60\x83\x63\x83\x65"
    "\x83\x67\x83\x69\x83\x6A\x83\x6B\x83\x6C\x83\x6D\x83\x6E\x83\x71\x83\x74\x83\x77"
    "\x83\x7A\x83\x7D\x83\x7E\x83\x80\x83\x81\x83\x82\x83\x84\x83\x86\x83\x88\x83\x89"
    "\x83\x8A\x83\x8B\x83\x8C\x83\x8D\x83\x8F\x83\x93\x81\x4A\x81\x4B\x83\x4B\x83\x4D"
    "\x83\x4F\x83\x51\x83\x53\x83\x55\x83\x57\x83\x59\x83\x5B\x83\x5D\x83\x5F\x83\x61"
    "\x83\x64\x83\x66\x83\x68\x83\x6F\x83\x72\x83\x75\x83\x78\x83\x7B\x83\x70\x83\x73"
    "\x83\x76\x83\x79\x83\x7C\x83\x94";

constexpr char kAlphaHan[] =
    "0 1 2 3 4 5 6 7 8 9 A B C D E F G H I J K L M N O P Q R S T U V W X Y Z "
    "a b c d e f g h i j k l m n o p q r s t u v w x y z ";
// ０…９, Ａ…Ｚ, ａ…ｚ
constexpr char kAlphaZen[] =
    "\x82\x4F\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56\x82\x57\x82\x58"
    "\x82\x60\x82\x61\x82\x62\x82\x63\x82\x64\x82\x65\x82\x66\x82\x67\x82\x68\x82\x69"
    "\x82\x6A\x82\x6B\x82\x6C\x82\x6D\x82\x6E\x82\x6F\x82\x70\x82\x71\x82\x72\x82\x73"
    "\x82\x74\x82\x75\x82\x76\x82\x77\x82\x78\x82\x79"
    "\x82\x81\x82\x82\x82\x83\x82\x84\x82\x85\x82\x86\x82\x87\x82\x88\x82\x89\x82\x8A"
    "\x82\x8B\x82\x8C\x82\x8D\x82\x8E\x82\x8F\x82\x90\x82\x91\x82\x92\x82\x93\x82\x94"
    "\x82\x95\x82\x96\x82\x97\x82\x98\x82\x99\x82\x9A";

// The blank (as two blanks), ! # $ % & * + - / : ; < = > ? @ . , . , " ' ( ) [
// \ ] ^ _ ` { | } ~, each with a blank.
constexpr char kUser1Han[] =
    "\x20\x20\x21\x20\x23\x20\x24\x20\x25\x20\x26\x20\x2A\x20\x2B\x20\x2D\x20\x2F\x20"
    "\x3A\x20\x3B\x20\x3C\x20\x3D\x20\x3E\x20\x3F\x20\x40\x20\x2E\x20\x2C\x20\x2E\x20"
    "\x2C\x20\x22\x20\x27\x20\x28\x20\x29\x20\x5B\x20\x5C\x20\x5D\x20\x5E\x20\x5F\x20"
    "\x60\x20\x7B\x20\x7C\x20\x7D\x20\x7E\x20";
// 　！＃＄％＆＊＋－／：；＜＝＞？＠。、．，”’（）［￥］＾＿‘｛｜｝￣
constexpr char kUser1Zen[] =
    "\x81\x40\x81\x49\x81\x94\x81\x90\x81\x93\x81\x95\x81\x96\x81\x7B\x81\x7C\x81\x5E"
    "\x81\x46\x81\x47\x81\x83\x81\x81\x81\x84\x81\x48\x81\x97\x81\x42\x81\x41\x81\x44"
    "\x81\x43\x81\x68\x81\x66\x81\x69\x81\x6A\x81\x6D\x81\x8F\x81\x6E\x81\x4F\x81\x51"
    "\x81\x65\x81\x6F\x81\x62\x81\x70\x81\x50";

// ･ ｢ ｣ with blanks; ・「」
constexpr char kUser2Han[] = "\xA5\x20\xA2\x20\xA3\x20";
constexpr char kUser2Zen[] = "\x81\x45\x81\x75\x81\x76";

template <std::size_t N>
constexpr std::string_view View(const char (&bytes)[N]) {
  return std::string_view(bytes, N - 1);
}

constexpr unsigned char kVoicedMark = 0xDE;
constexpr unsigned char kSemiVoicedMark = 0xDF;

// The offset of the first entry that starts with `key`. Only entry
// boundaries (even offsets) count: a hit straddling two entries of the
// double-byte side would pair a trail byte with the next lead byte and turn
// kanji such as 茶 or katakana such as メ into unrelated characters.
std::size_t FindEntry(std::string_view side, std::string_view key) {
  for (std::size_t o = 0; o + key.size() <= side.size(); o += 2) {
    if (side.compare(o, key.size(), key) == 0) return o;
  }
  return std::string_view::npos;
}

// The character at `at` (two bytes for a lead byte with its trail, else one).
std::size_t CharLength(std::string_view text, std::size_t at) {
  return (IsLeadByte(text[at]) && at + 1 < text.size()) ? 2 : 1;
}

std::string_view LastChar(std::string_view text) {
  std::size_t at = 0;
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size(); i += length) {
    at = i;
    length = CharLength(text, i);
  }
  return text.substr(at, length);
}

bool IsListChar(std::string_view list, std::string_view ch) {
  for (std::size_t i = 0; i < list.size();) {
    std::size_t length = CharLength(list, i);
    if (list.substr(i, length) == ch) return true;
    i += length;
  }
  return false;
}

std::string ReadTextFile(const std::string& path) {
  std::string why;
  std::optional<std::string> bytes = ReadRegularFile(path, kMaxWholeFileBytes, &why);
  if (!bytes) throw TextFileError("cannot read " + path + ": " + why);
  return std::move(*bytes);
}

// Writes beside the target and renames over it, so a failed write leaves an
// earlier copy whole.
void WriteReplacing(const std::string& target, const std::string& bytes) {
  const std::string temporary = target + ".part~";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      throw TextFileError("cannot write " + target);
    }
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw TextFileError("cannot write " + target);
  }
}

std::string Convert(std::string_view line, int mode, std::string_view han, std::string_view zen) {
  if (mode == kConvertToFull) return ToFullWidth(line, han, zen);
  if (mode == kConvertToHalf) return ToHalfWidth(line, han, zen);
  return std::string(line);
}

}  // namespace

ShapeSettings::ShapeSettings()
    : hanUserDef1(View(kUser1Han)),
      zenUserDef1(View(kUser1Zen)),
      hanUserDef2(View(kUser2Han)),
      zenUserDef2(View(kUser2Zen)) {}

WidthTable KanaTable() { return {View(kKanaHan), View(kKanaZen)}; }
WidthTable AlphaTable() { return {View(kAlphaHan), View(kAlphaZen)}; }
WidthTable DefaultUserTable1() { return {View(kUser1Han), View(kUser1Zen)}; }
WidthTable DefaultUserTable2() { return {View(kUser2Han), View(kUser2Zen)}; }

std::string ToFullWidth(std::string_view text, std::string_view han, std::string_view zen) {
  std::string out;
  out.reserve(text.size() * 2);
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(b)) {
      std::size_t length = CharLength(text, i);  // a lead byte last is copied alone
      out.append(text, i, length);
      i += length;
      continue;
    }
    char key[2] = {static_cast<char>(b), 0};
    std::size_t taken = 1;
    std::size_t keyLength = 1;
    if (i + 1 < n && (static_cast<unsigned char>(text[i + 1]) == kVoicedMark ||
                      static_cast<unsigned char>(text[i + 1]) == kSemiVoicedMark)) {
      key[1] = text[i + 1];
      keyLength = taken = 2;
    } else if (b == ' ') {
      key[1] = ' ';  // the blank's entry is two blanks
      keyLength = 2;
    }
    std::size_t o = FindEntry(han, std::string_view(key, keyLength));
    if (o == std::string_view::npos && taken == 2) {
      // No entry for the pair: convert the character, the mark comes next.
      taken = keyLength = 1;
      o = FindEntry(han, std::string_view(key, 1));
    }
    if (o != std::string_view::npos && o + 1 < zen.size()) {
      out.push_back(zen[o]);
      out.push_back(zen[o + 1]);
    } else {
      out.append(text, i, taken);
    }
    i += taken;
  }
  return out;
}

std::string ToHalfWidth(std::string_view text, std::string_view han, std::string_view zen) {
  std::string out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    if (!IsLeadByte(text[i]) || i + 1 >= n) {
      out.push_back(text[i]);
      ++i;
      continue;
    }
    std::string_view key = text.substr(i, 2);
    std::size_t o = FindEntry(zen, key);
    if (o != std::string_view::npos && o < han.size()) {
      out.push_back(han[o]);
      if (o + 1 < han.size() && han[o + 1] != ' ') out.push_back(han[o + 1]);
    } else {
      out.append(key);
    }
    i += 2;
  }
  return out;
}

std::string ParagraphEndChars() { return Utf8ToCp932(MessageText(556)); }
std::string ParagraphStartChars() { return Utf8ToCp932(MessageText(557)); }

std::vector<std::string> JoinLines(const std::vector<std::string>& lines, std::string_view endChars,
                                   std::string_view startChars) {
  std::vector<std::string> out;
  const std::size_t count = lines.size();
  std::size_t i = 0;
  while (i < count) {
    std::size_t j = i;
    std::string paragraph = lines[i];
    for (;;) {
      std::string current = TrimBlanks(lines[j]);
      if (!current.empty() && IsListChar(endChars, LastChar(current))) break;
      if (j + 1 >= count) break;
      std::string next = TrimBlanks(lines[j + 1]);
      if (next.empty()) break;
      if (IsListChar(startChars, std::string_view(next).substr(0, CharLength(next, 0)))) break;
      paragraph += next;
      ++j;
    }
    out.push_back(std::move(paragraph));
    i = j + 1;
  }
  return out;
}

std::string TrimBlanks(std::string_view line) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  std::size_t begin = 0;
  std::size_t end = line.size();
  while (begin < end && blank(line[begin])) ++begin;
  while (end > begin && blank(line[end - 1])) --end;
  return std::string(line.substr(begin, end - begin));
}

std::vector<std::string> SplitTextLines(std::string_view bytes) {
  std::size_t nul = bytes.find('\0');
  if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t stop = bytes.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines.emplace_back(bytes.substr(start));
      break;
    }
    lines.emplace_back(bytes.substr(start, stop - start));
    bool crlf = bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n';
    start = stop + (crlf ? 2 : 1);
  }
  return lines;
}

std::string ShapeText(std::string_view bytes, const ShapeSettings& settings) {
  std::vector<std::string> lines = SplitTextLines(bytes);
  if (settings.margeLine) {
    lines = JoinLines(lines, ParagraphEndChars(), ParagraphStartChars());
  } else if (settings.trim) {
    for (std::string& line : lines) line = TrimBlanks(line);
  }

  const WidthTable kana = KanaTable();
  const WidthTable alpha = AlphaTable();
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4 + 2 * lines.size());
  for (const std::string& line : lines) {
    std::string text = Convert(line, settings.convKana, kana.han, kana.zen);
    text = Convert(text, settings.convAlpha, alpha.han, alpha.zen);
    text = Convert(text, settings.convUser1, settings.hanUserDef1, settings.zenUserDef1);
    text = Convert(text, settings.convUser2, settings.hanUserDef2, settings.zenUserDef2);
    out += text;
    out += "\r\n";
  }
  return out;
}

std::string TextTempFolder() { return WithTrailingBackslash(ProgramFolder() + MessageText(558)); }

std::string ShapeTextFile(const ShapeSettings& settings, const std::string& source) {
  std::string shaped = ShapeText(ReadTextFile(source), settings);
  const std::string folder = TextTempFolder();
  if (!EnsureFolder(folder)) return std::string();
  const std::string target = folder + FileNameOf(source);
  WriteReplacing(target, shaped);
  return target;
}

}  // namespace kestrel
