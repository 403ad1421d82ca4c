#include "applist/AppListFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/ByteScan.h"
#include "platform/FileSystem.h"
#include "platform/WholeFile.h"

namespace kestrel {
namespace {

// The first CR or LF in [p, end), or end.
const char* LineEnd(const char* p, const char* end) {
  return FindFirstOf4(p, end, '\r', '\n', '\r', '\n');
}

// Calls `take` with each line of the text, as SplitLines cuts them.
template <class Take>
void ForEachLine(std::string_view text, Take take) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* stop = LineEnd(p, end);
    take(p, stop);
    if (stop == end) break;
    p = stop + 1;
    if (*stop == '\r' && p < end && *p == '\n') ++p;
  }
}

// The file opened for reading when it is a regular one, as a stream;
// otherwise null, with `result` saying why.
std::FILE* OpenListFile(const std::string& path, ReadResult& result, std::size_t& size) {
  result = ReadResult::Unreadable;
  if (!TheFileSystem().exists(path)) {
    struct stat st;
    // A folder that cannot be searched may well hold the file.
    if (stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) result = ReadResult::Missing;
    return nullptr;
  }
  // Non-blocking, so that a FIFO without a writer cannot hold the reader;
  // only a regular file is a list.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  std::FILE* f = fdopen(fd, "rb");
  if (!f) close(fd);
  size = static_cast<std::size_t>(st.st_size);
  return f;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](const char* p, const char* stop) { lines.emplace_back(p, stop); });
  return lines;
}

std::vector<std::string_view> SplitLineViews(std::string_view text) {
  std::vector<std::string_view> lines;
  // Room for more lines than a list has: the part never filled is never
  // touched, and the list does not move as it grows.
  lines.reserve(std::min<std::size_t>(text.size() / 32, 1 << 22) + 16);
  ForEachLine(text, [&](const char* p, const char* stop) {
    lines.emplace_back(p, static_cast<std::size_t>(stop - p));
  });
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
  ReadResult result;
  std::size_t size = 0;
  std::FILE* f = OpenListFile(path, result, size);
  if (!f) return result;
  // Read in pieces and cut into lines as they come: the whole file is never
  // held twice.
  std::vector<std::string> read;
  // Room for more lines than a list has: the part never filled is never
  // touched, and the list does not move (and fault in) every time it grows.
  read.reserve(std::min<std::size_t>(size / 32, 1 << 22) + 16);
  std::string partial;  // a line begun in an earlier piece
  bool afterCr = false;  // the last piece ended in CR: an LF first is its pair
  char buffer[1 << 16];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    const char* p = buffer;
    const char* end = buffer + got;
    if (afterCr && *p == '\n') ++p;
    afterCr = false;
    while (p < end) {
      const char* stop = LineEnd(p, end);
      if (stop == end) {
        partial.append(p, stop);
        break;
      }
      if (partial.empty()) {
        read.emplace_back(p, stop);
      } else {
        partial.append(p, stop);
        read.push_back(std::move(partial));
        partial.clear();
      }
      p = stop + 1;
      if (*stop == '\r') {
        if (p < end && *p == '\n') {
          ++p;
        } else if (p == end) {
          afterCr = true;
        }
      }
    }
  }
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return ReadResult::Unreadable;
  if (!partial.empty()) read.push_back(std::move(partial));
  lines = std::move(read);
  return ReadResult::Read;
}

namespace {

// From this size a buffer is mapped on its own and asked for large pages:
// a big list faults in a few pages instead of thousands.
constexpr std::size_t kMappedFrom = std::size_t{4} << 20;
constexpr std::size_t kLargePage = std::size_t{2} << 20;

char* Allocate(std::size_t& room) {
  if (room < kMappedFrom) return static_cast<char*>(std::malloc(room));
  room = (room + kLargePage - 1) / kLargePage * kLargePage;
  void* p = mmap(nullptr, room, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
#if defined(MADV_HUGEPAGE)
  madvise(p, room, MADV_HUGEPAGE);  // a hint: without it the pages are small
#endif
  return static_cast<char*>(p);
}

void Release(char* p, std::size_t room) {
  if (!p) return;
  if (room < kMappedFrom) {
    std::free(p);
  } else {
    munmap(p, room);
  }
}

}  // namespace

FileBytes::~FileBytes() { Release(data_, room_); }

bool FileBytes::Grow(std::size_t room, std::size_t keep) {
  char* p = Allocate(room);
  if (!p) return false;
  if (keep) std::memcpy(p, data_, keep);
  Release(data_, room_);
  data_ = p;
  room_ = room;
  return true;
}

ReadResult ReadTextFile(const std::string& path, FileBytes& text) {
  ReadResult result;
  std::size_t size = 0;
  std::FILE* f = OpenListFile(path, result, size);
  if (!f) return result;
  // Sized for the file as it is now, and grown should it grow meanwhile.
  FileBytes read;
  bool failed = !read.Grow(size + 1, 0);
  std::size_t used = 0;
  std::size_t got;
  while (!failed && (got = std::fread(read.data() + used, 1, read.room() - used, f)) > 0) {
    used += got;
    if (used == read.room()) failed = !read.Grow(read.room() * 2, used);
  }
  failed = failed || std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return ReadResult::Unreadable;
  read.setSize(used);
  text = std::move(read);
  return ReadResult::Read;
}

bool WriteLinesFile(const std::string& path, const std::vector<std::string>& lines) {
  return ReplaceFileContents(path, JoinLines(lines));
}

}  // namespace kestrel
