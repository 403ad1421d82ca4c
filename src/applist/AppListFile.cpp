#include "applist/AppListFile.h"

#include "platform/FileSystem.h"
#include "platform/WholeFile.h"

namespace kestrel {

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

ReadResult ReadLinesFile(const std::string& path, std::vector<std::string>& lines) {
  FileSystem& fs = TheFileSystem();
  if (!fs.exists(path)) return ReadResult::Missing;
  if (fs.isDirectory(path)) return ReadResult::Unreadable;
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return ReadResult::Unreadable;
  lines = SplitLines(*bytes);
  return ReadResult::Read;
}

bool WriteLinesFile(const std::string& path, const std::vector<std::string>& lines) {
  return ReplaceFileContents(path, JoinLines(lines));
}

}  // namespace kestrel
