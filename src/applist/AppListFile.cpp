#include "applist/AppListFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/FileSystem.h"
#include "platform/WholeFile.h"

namespace kestrel {
namespace {

// The first CR or LF in [p, end), or end: sixteen bytes looked at together
// where there are sixteen, in one pass for both.
const char* LineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  while (end - p >= 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (int marks = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf)))) {
      return p + __builtin_ctz(static_cast<unsigned>(marks));
    }
    p += 16;
  }
#endif
  while (p < end && *p != '\r' && *p != '\n') ++p;
  return p;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* stop = LineEnd(p, end);
    lines.emplace_back(p, stop);
    if (stop == end) break;
    p = stop + 1;
    if (*stop == '\r' && p < end && *p == '\n') ++p;
  }
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
  if (!TheFileSystem().exists(path)) {
    struct stat st;
    // A folder that cannot be searched may well hold the file.
    return stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR) ? ReadResult::Missing
                                                                               : ReadResult::Unreadable;
  }
  // Non-blocking, so that a FIFO without a writer cannot hold the reader;
  // only a regular file is a list.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ReadResult::Unreadable;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return ReadResult::Unreadable;
  }
  std::FILE* f = fdopen(fd, "rb");
  if (!f) {
    close(fd);
    return ReadResult::Unreadable;
  }
  // Read in pieces and cut into lines as they come: the whole file is never
  // held twice.
  std::vector<std::string> read;
  // Room for more lines than a list has: the part never filled is never
  // touched, and the list does not move (and fault in) every time it grows.
  read.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size) / 32, 1 << 22) + 16);
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

bool WriteLinesFile(const std::string& path, const std::vector<std::string>& lines) {
  return ReplaceFileContents(path, JoinLines(lines));
}

}  // namespace kestrel
