#include "install/ZipDirectory.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kestrel {
namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kEnd64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::uint16_t kFlagEncrypted = 1;
constexpr std::uint16_t kMethodStore = 0;
constexpr std::uint16_t kMethodDeflate = 8;
constexpr std::uint16_t kSystemUnix = 3;

std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// All of [offset, offset + size) or false.
bool ReadAt(int fd, std::uint64_t offset, void* into, std::size_t size) {
  auto p = static_cast<char*>(into);
  while (size > 0) {
    ssize_t n = pread(fd, p, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    offset += static_cast<std::uint64_t>(n);
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool ZipDirEntry::isLink() const {
  return (madeBy >> 8) == kSystemUnix && S_ISLNK(external >> 16);
}

bool ZipDirEntry::copyable() const {
  if (flags & kFlagEncrypted) return false;
  return method == kMethodStore || (method == kMethodDeflate && compressedSize != 0);
}

std::string_view ZipDirectory::storedName(std::size_t i) const {
  const unsigned char* p = bytes_.data() + at_[i];
  const char* name = reinterpret_cast<const char*>(p + kCentralSize);
  return {name, strnlen(name, Le16(p + 28))};
}

ZipDirEntry ZipDirectory::entry(std::size_t i) const {
  const unsigned char* p = bytes_.data() + at_[i];
  ZipDirEntry entry;
  entry.madeBy = Le16(p + 4);
  entry.flags = Le16(p + 8);
  entry.method = Le16(p + 10);
  entry.crc = Le32(p + 16);
  entry.compressedSize = Le32(p + 20);
  entry.size = Le32(p + 24);
  entry.external = Le32(p + 38);
  entry.localOffset = Le32(p + 42);
  return entry;
}

bool ZipDirectory::read(int fd, std::uint64_t fileSize) {
  bytes_.clear();
  at_.clear();
  if (fileSize < kEndSize) return false;
  // The end record sits in the last 22 bytes plus at most a 65,535-byte comment.
  std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kEndSize + 0xFFFF));
  std::vector<unsigned char> tail(tailSize);
  std::uint64_t tailStart = fileSize - tailSize;
  if (!ReadAt(fd, tailStart, tail.data(), tailSize)) return false;
  std::size_t end = tailSize - kEndSize + 1;
  const unsigned char* record = nullptr;
  while (end-- > 0) {
    const unsigned char* p = tail.data() + end;
    if (Le32(p) == kEndSignature && end + kEndSize + Le16(p + 20) == tailSize) {
      record = p;
      break;
    }
  }
  if (!record) return false;
  std::uint64_t recordOffset = tailStart + static_cast<std::uint64_t>(record - tail.data());
  if (record >= tail.data() + 20 && Le32(record - 20) == kEnd64LocatorSignature) return false;
  std::uint16_t disk = Le16(record + 4), directoryDisk = Le16(record + 6);
  std::uint16_t onDisk = Le16(record + 8), count = Le16(record + 10);
  std::uint32_t size = Le32(record + 12), offset = Le32(record + 16);
  if (disk != 0 || directoryDisk != 0 || onDisk != count || count == 0xFFFF ||
      size == 0xFFFFFFFF || offset == 0xFFFFFFFF ||
      static_cast<std::uint64_t>(offset) + size != recordOffset) {
    return false;
  }

  std::vector<unsigned char> directory(size);
  if (size > 0 && !ReadAt(fd, offset, directory.data(), size)) return false;
  std::vector<std::uint32_t> starts;
  starts.reserve(count);
  std::size_t at = 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    if (size - at < kCentralSize) return false;
    const unsigned char* p = directory.data() + at;
    if (Le32(p) != kCentralSignature) return false;
    std::size_t nameLength = Le16(p + 28), extraLength = Le16(p + 30), commentLength = Le16(p + 32);
    std::size_t length = kCentralSize + nameLength + extraLength + commentLength;
    if (size - at < length) return false;
    if (Le32(p + 20) == 0xFFFFFFFF || Le32(p + 24) == 0xFFFFFFFF || Le32(p + 42) == 0xFFFFFFFF ||
        Le16(p + 34) != 0) {
      return false;
    }
    starts.push_back(static_cast<std::uint32_t>(at));
    at += length;
  }
  if (at != size) return false;
  bytes_ = std::move(directory);
  at_ = std::move(starts);
  offset_ = offset;
  return true;
}

int CopyZipMember(int fd, const ZipDirEntry& entry, std::uint64_t dataEnd, ArchiveSink& sink) {
  unsigned char local[kLocalSize];
  if (!ReadAt(fd, entry.localOffset, local, sizeof local) || Le32(local) != kLocalSignature) {
    return kArchiveDamaged;
  }
  std::uint64_t data = std::uint64_t{entry.localOffset} + kLocalSize + Le16(local + 26) + Le16(local + 28);
  if (data > dataEnd || dataEnd - data < entry.compressedSize) return kArchiveDamaged;
  if (entry.method == kMethodStore && entry.compressedSize != entry.size) return kArchiveDamaged;

  z_stream z{};
  bool inflating = entry.method == kMethodDeflate;
  if (inflating && inflateInit2(&z, -MAX_WBITS) != Z_OK) return kArchiveDamaged;
  struct InflateEnd {
    z_stream* z;
    ~InflateEnd() { if (z) inflateEnd(z); }
  } ender{inflating ? &z : nullptr};

  std::vector<unsigned char> in(1 << 16), out(inflating ? 1 << 16 : 0);
  std::uint64_t left = entry.compressedSize, written = 0;
  uLong crc = crc32(0, nullptr, 0);
  bool ended = !inflating;
  while (left > 0) {
    auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(left, in.size()));
    if (!ReadAt(fd, data, in.data(), chunk)) return kArchiveDamaged;
    data += chunk;
    left -= chunk;
    if (!inflating) {
      crc = crc32(crc, in.data(), static_cast<uInt>(chunk));
      if (!sink.write(in.data(), chunk)) return kArchiveCannotWrite;
      written += chunk;
      continue;
    }
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(chunk);
    // Until this chunk is used up and inflate holds nothing back for a full
    // output buffer.
    for (;;) {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      int r = inflate(&z, Z_NO_FLUSH);
      if (r == Z_BUF_ERROR && z.avail_in == 0) break;
      if (r != Z_OK && r != Z_STREAM_END) return kArchiveDamaged;
      std::size_t made = out.size() - z.avail_out;
      written += made;
      if (written > entry.size) return kArchiveDamaged;
      crc = crc32(crc, out.data(), static_cast<uInt>(made));
      if (made > 0 && !sink.write(out.data(), made)) return kArchiveCannotWrite;
      if (r == Z_STREAM_END) {
        ended = true;
        break;
      }
      if (z.avail_in == 0 && z.avail_out != 0) break;
    }
    if (ended && (z.avail_in > 0 || left > 0)) return kArchiveDamaged;
  }
  if (!ended || written != entry.size || crc != entry.crc) return kArchiveDamaged;
  return kArchiveOk;
}

}  // namespace kestrel
