// The lzh library: liblhasa. liblhasa decodes headers and data; member
// names and DOS times are taken from the raw header bytes, because liblhasa
// splits level-0 names at every 0x5C byte (also the second byte of a
// double-byte character such as 表) and lower-cases all-capital DOS names.
#include <lhasa.h>

#include <cstring>
#include <vector>

#include "install/ArchiveLibrary.h"

namespace kestrel {
namespace {

constexpr char kDirMethod[] = "-lhd-";  // folders and symbolic links

std::uint32_t Little(const std::uint8_t* p, std::size_t width) {
  std::uint32_t v = 0;
  for (std::size_t i = width; i > 0; --i) v = (v << 8) | p[i - 1];
  return v;
}

std::string Field(const std::uint8_t* p, std::size_t n) {
  std::string s(reinterpret_cast<const char*>(p), n);
  auto nul = s.find('\0');
  if (nul != std::string::npos) s.resize(nul);
  return s;
}

// The stored path: folder (extended header 2, levels separated by 0xFF)
// and name (the base header's name, or extended header 1).
std::string StoredPath(const LHAFileHeader* h) {
  const std::uint8_t* raw = h->raw_data;
  std::size_t len = h->raw_data_len;
  std::string name, folder;
  std::size_t ext = 0, width = 2;
  bool hasExt = true;
  switch (h->header_level) {
    case 0:
    case 1:
      if (len < 22) return "";
      if (22u + raw[21] <= len) name = Field(raw + 22, raw[21]);
      hasExt = h->header_level == 1;
      ext = raw[0];  // the base header's last field: size of the first extension
      break;
    case 2:
      ext = 24;
      break;
    case 3:
      ext = 28;
      width = 4;
      break;
    default:
      return "";
  }
  // Each extension: its size (held by the field before it), a type byte,
  // the data, and the size field of the next one.
  while (hasExt && ext + width <= len) {
    std::size_t size = Little(raw + ext, width);
    if (size == 0 || size < width + 1 || size > len - ext) break;
    std::uint8_t type = raw[ext + width];
    const std::uint8_t* data = raw + ext + width + 1;
    std::size_t n = size - width - 1;
    if (type == 0x01) name = Field(data, n);
    if (type == 0x02) folder = Field(data, n);
    ext += size;
  }
  std::string path = folder;
  if (!path.empty() && path.back() != '\xFF' && path.back() != '/' && path.back() != '\\') {
    path += '/';
  }
  path += name;
  for (char& c : path) {
    if (c == '\xFF') c = '/';  // never part of a code page 932 or UTF-8 character
  }
  return MemberPathFromStored(path);
}

void FillEntry(const LHAFileHeader* h, ArchiveEntry* entry) {
  entry->path = StoredPath(h);
  entry->compressedSize = h->compressed_length;
  entry->originalSize = h->length;
  if (h->header_level <= 1 && h->raw_data_len >= 19) {
    // Levels 0 and 1 store the DOS time itself.
    entry->time = static_cast<std::uint16_t>(Little(h->raw_data + 15, 2));
    entry->date = static_cast<std::uint16_t>(Little(h->raw_data + 17, 2));
  } else {
    DosDateTimeOf(static_cast<std::time_t>(h->timestamp), &entry->date, &entry->time);
  }
}

bool IsFileEntry(const LHAFileHeader* h) {
  return std::strncmp(h->compress_method, kDirMethod, 5) != 0;
}

// CRC-16 as lzh archives use it (polynomial 0xA001, reflected, start 0).
std::uint16_t Crc16(std::uint16_t crc, const unsigned char* p, std::size_t n) {
  static const auto table = [] {
    std::vector<std::uint16_t> t(256);
    for (unsigned i = 0; i < 256; ++i) {
      unsigned c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xA001 : c >> 1;
      t[i] = static_cast<std::uint16_t>(c);
    }
    return t;
  }();
  while (n--) crc = static_cast<std::uint16_t>((crc >> 8) ^ table[(crc ^ *p++) & 0xFF]);
  return crc;
}

// An opened archive, read from the start.
class LhaStream {
 public:
  explicit LhaStream(const std::string& path) {
    if (!IsRegularFile(path)) return;
    std::string name = path;
    stream_ = lha_input_stream_from(name.data());
    if (!stream_) return;
    reader_ = lha_reader_new(stream_);
    if (reader_) lha_reader_set_dir_policy(reader_, LHA_READER_DIR_PLAIN);
  }
  ~LhaStream() {
    if (reader_) lha_reader_free(reader_);
    if (stream_) lha_input_stream_free(stream_);
  }
  LhaStream(const LhaStream&) = delete;
  LhaStream& operator=(const LhaStream&) = delete;

  bool opened() const { return reader_ != nullptr; }
  // The next member's header; null at the end or at the first damaged header.
  LHAFileHeader* next() { return reader_ ? lha_reader_next_file(reader_) : nullptr; }
  std::size_t read(void* buffer, std::size_t size) { return lha_reader_read(reader_, buffer, size); }

 private:
  LHAInputStream* stream_ = nullptr;
  LHAReader* reader_ = nullptr;
};

class LzhReader : public ArchiveReader {
 public:
  explicit LzhReader(std::string path) : path_(std::move(path)) {}

  bool findFirst(ArchiveEntry* entry) override {
    stream_ = std::make_unique<LhaStream>(path_);
    return findNext(entry);
  }

  bool findNext(ArchiveEntry* entry) override {
    LHAFileHeader* h = stream_ ? stream_->next() : nullptr;
    if (!h) return false;
    FillEntry(h, entry);
    return true;
  }

 private:
  std::string path_;
  std::unique_ptr<LhaStream> stream_;
};

class LzhLibrary : public ArchiveLibrary {
 public:
  std::string name() const override { return ArchiveLibraryName(ArchiveFormat::Lzh); }

  std::unique_ptr<ArchiveReader> open(const std::string& archive) override {
    return std::make_unique<LzhReader>(archive);
  }

 protected:
  int copyMember(const std::string& archive, const std::string& member,
                 ArchiveSink& sink) override {
    LhaStream stream(archive);
    if (!stream.opened()) return kArchiveCannotOpen;
    // The first file of that path with data, as the listing shows it; an
    // empty one only when there is no other.
    bool empty = false, notFile = false;
    while (LHAFileHeader* h = stream.next()) {
      if (StoredPath(h) != member) continue;
      if (!IsFileEntry(h)) {
        notFile = true;
      } else if (h->compressed_length != 0) {
        return copyData(stream, *h, sink);
      } else if (h->length == 0) {
        empty = true;
      }
    }
    if (empty) return kArchiveOk;
    return notFile ? kArchiveNotAFile : kArchiveNoSuchMember;
  }

 private:
  static int copyData(LhaStream& stream, const LHAFileHeader& h, ArchiveSink& sink) {
    const std::uint64_t length = h.length;
    const std::uint16_t crc = h.crc;
    // MacLHA archives lose their MacBinary header on the way out, so the
    // stored length and CRC describe more than what arrives.
    const bool exact = h.os_type != LHA_OS_TYPE_MACOS;
    std::vector<unsigned char> buffer(1 << 16);
    std::uint64_t total = 0;
    std::uint16_t sum = 0;
    for (;;) {
      std::size_t n = stream.read(buffer.data(), buffer.size());
      if (n == 0) break;
      total += n;
      if (total > length) return kArchiveDamaged;
      sum = Crc16(sum, buffer.data(), n);
      if (!sink.write(buffer.data(), n)) return kArchiveCannotWrite;
    }
    if (exact && (total != length || sum != crc)) return kArchiveDamaged;
    return kArchiveOk;
  }
};

}  // namespace

std::unique_ptr<ArchiveLibrary> MakeLzhLibrary() { return std::make_unique<LzhLibrary>(); }

}  // namespace kestrel
