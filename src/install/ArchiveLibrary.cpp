#include "install/ArchiveLibrary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/Paths.h"
#include "platform/Codepage.h"

namespace kestrel {
namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(const std::string& text) {
  std::size_t i = 0, n = text.size();
  while (i < n) {
    auto c = static_cast<unsigned char>(text[i]);
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (std::size_t k = 1; k < len; ++k) {
      auto t = static_cast<unsigned char>(text[i + k]);
      if (t < (k == 1 ? lo : 0x80) || t > (k == 1 ? hi : 0xBF)) return false;
    }
    i += len;
  }
  return true;
}

bool IsDriveLetter(const std::string& name) {
  if (name.size() < 2 || name[1] != ':') return false;
  char c = name[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A file in the target folder that appears under its name only when it is
// complete: written under a temporary name, renamed over the target at the
// end, removed on every other way out. rename() replaces a link of the
// target's name rather than writing through it.
class FolderFileSink : public ArchiveSink {
 public:
  // The process id in the name lets the next start remove what a killed
  // run left.
  explicit FolderFileSink(const std::string& folder)
      : temp_(folder + ".unpack-" + std::to_string(getpid()) + "-XXXXXX") {
    fd_ = mkstemp(temp_.data());
    made_ = fd_ >= 0;
  }
  ~FolderFileSink() override {
    if (fd_ >= 0) close(fd_);
    if (made_ && !committed_) unlink(temp_.c_str());
  }
  FolderFileSink(const FolderFileSink&) = delete;
  FolderFileSink& operator=(const FolderFileSink&) = delete;

  bool ok() const { return fd_ >= 0; }

  bool write(const void* data, std::size_t size) override {
    auto p = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t n = ::write(fd_, p, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  bool commit(const std::string& target) {
    fchmod(fd_, 0644);
    int closed = close(fd_);
    fd_ = -1;
    if (closed != 0 || std::rename(temp_.c_str(), target.c_str()) != 0) return false;
    committed_ = true;
    return true;
  }

 private:
  std::string temp_;
  int fd_ = -1;
  bool made_ = false;
  bool committed_ = false;
};

ArchiveLibraryFactory& Factory() {
  static ArchiveLibraryFactory factory;
  return factory;
}

}  // namespace

ArchiveFormat ArchiveFormatOf(const std::string& archivePath) {
  return UpperAscii(ExtensionOf(archivePath)) == ".LZH" ? ArchiveFormat::Lzh : ArchiveFormat::Zip;
}

std::string MemberFileName(const std::string& memberPath) {
  std::string name = memberPath;
  auto sep = name.find_last_of("/\\");
  if (sep != std::string::npos) name.erase(0, sep + 1);
  while (IsDriveLetter(name)) name.erase(0, 2);
  return name;
}

std::string MemberPathFromStored(const std::string& stored) {
  std::string path = IsUtf8(stored) ? stored : Cp932ToUtf8(stored);
  // After the conversion every 0x5C is a real backslash, never the second
  // byte of a double-byte character.
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

int ArchiveLibrary::extract(const std::string& archive, const std::string& member,
                            const std::string& folder) {
  std::string name = MemberFileName(member);
  if (name.empty() || name == "." || name == "..") return kArchiveBadMemberName;
  std::string into = WithTrailingBackslash(folder);
  FolderFileSink sink(into);
  if (!sink.ok()) return kArchiveCannotWrite;
  int r = copyMember(archive, member, sink);
  if (r != kArchiveOk) return r;
  return sink.commit(into + name) ? kArchiveOk : kArchiveCannotWrite;
}

void DosDateTimeOf(std::time_t when, std::uint16_t* date, std::uint16_t* time) {
  std::tm tm{};
  if (!localtime_r(&when, &tm) || tm.tm_year < 80) {
    *date = (1 << 5) | 1;
    *time = 0;
    return;
  }
  int years = tm.tm_year - 80 > 127 ? 127 : tm.tm_year - 80;
  *date = static_cast<std::uint16_t>((years << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
  *time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
}

std::unique_ptr<ArchiveLibrary> LoadArchiveLibrary(ArchiveFormat format) {
  if (Factory()) return Factory()(format);
  return format == ArchiveFormat::Lzh ? MakeLzhLibrary() : MakeZipLibrary();
}

void SetArchiveLibraryFactory(ArchiveLibraryFactory factory) { Factory() = std::move(factory); }

std::string ArchiveLibraryName(ArchiveFormat format) {
  return format == ArchiveFormat::Lzh ? "liblhasa" : "libzip";
}

}  // namespace kestrel
