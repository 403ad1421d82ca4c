#include "common/Paths.h"

#include <cstdio>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>
#include <sys/stat.h>

#include <filesystem>

#include "hotsync/PalmDatabase.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"

namespace kestrel {

std::string WithTrailingBackslash(const std::string& path) {
  if (path.size() > 1 && path.back() != kPathSeparator) return path + kPathSeparator;
  return path;
}

std::string WithoutTrailingBackslash(const std::string& path) {
  if (path.size() > 1 && path.back() == kPathSeparator) return path.substr(0, path.size() - 1);
  return path;
}

bool EndsInRealBackslash(const std::string& sjis) {
  bool last = false;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    if (IsLeadByte(sjis[i]) && i + 1 < sjis.size()) {
      last = false;
      ++i;
    } else {
      last = sjis[i] == '\\';
    }
  }
  return last;
}

std::string WithTrailingBackslashSjis(const std::string& sjis) {
  if (sjis.size() > 1 && !EndsInRealBackslash(sjis)) return sjis + '\\';
  return sjis;
}

std::string WithoutTrailingBackslashSjis(const std::string& sjis) {
  if (sjis.size() > 1 && EndsInRealBackslash(sjis)) return sjis.substr(0, sjis.size() - 1);
  return sjis;
}

std::string GroupDigits(const std::string& number, int group, const std::string& separator) {
  if (group <= 0) return number;
  std::string text = number;
  auto dot = text.find('.');
  long p = dot == std::string::npos ? static_cast<long>(text.size()) + 1
                                    : static_cast<long>(dot) + 1;
  for (p -= group; p > 1; p -= group) {
    text.insert(static_cast<std::size_t>(p - 1), separator);
  }
  return text;
}

std::string FileNameOf(const std::string& path) {
  auto slash = path.rfind(kPathSeparator);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind(kPathSeparator);
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtensionOf(const std::string& path) {
  std::string name = FileNameOf(path);
  auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return text;
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
  std::string ext = ExtensionOf(path);
  return path.substr(0, path.size() - ext.size()) + extension;
}

namespace {

// The short name of the last component, or "" when it does not exist.
std::string ShortComponent(const std::string& path, const std::string& name) {
  auto found = TheFileSystem().find(path);
  if (!found) return "";
  const std::string& alias = found->shortName;
  if (strcasecmp(alias.c_str(), name.c_str()) != 0) {
    if (alias.find('~') != std::string::npos) return alias;
    return name;
  }
  return alias;
}

}  // namespace

std::string ShortPath(const std::string& path) {
  if (path.size() <= 3) return path;
  if (path.back() == kPathSeparator) return ShortPath(path.substr(0, path.size() - 1));
  auto slash = path.rfind(kPathSeparator);
  if (slash == std::string::npos) return ShortComponent(path, path);
  std::string parent = WithTrailingBackslash(ShortPath(path.substr(0, slash + 1)));
  return parent + ShortComponent(path, path.substr(slash + 1));
}

std::uint64_t FileSizeOf(const std::string& path) {
  auto found = TheFileSystem().find(path);
  if (!found || (found->attributes & kAttrDirectory)) return 0;
  return found->size;
}

std::string DatabaseNameOf(const std::string& path) {
  // A FIFO or device named *.prc must not hold the list: opened without
  // waiting, and only a regular file is read.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return "";
  struct stat st {};
  char head[hotsync::kPalmTitleBytes];
  ssize_t got = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? read(fd, head, sizeof head) : -1;
  close(fd);
  if (got <= 0) return "";
  return hotsync::DatabaseTitle(std::string_view(head, static_cast<std::size_t>(got)));
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path.front() == kPathSeparator) return path;
  std::error_code ec;
  auto full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsWebOrMailAddress(const std::string& link) {
  for (char c : link) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  std::size_t colon = link.find(':');
  if (colon == std::string::npos) return false;
  std::string scheme = link.substr(0, colon);
  for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "mailto";
}

}  // namespace kestrel
