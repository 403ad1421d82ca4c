#include "BlockIo.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "Verbs.h"

namespace kestrel::tool {

BlockReader::BlockReader(const std::string& file) : buffer_(kBlockSize) {
  if (!file.empty() && file != "-") {
    fd_ = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw UsageError("cannot read " + file + ": " + std::strerror(errno));
    name_ = file;
  } else {
    name_ = "standard input";
  }
  posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

BlockReader::~BlockReader() {
  if (fd_ > 0) close(fd_);
}

std::string_view BlockReader::Next() {
  while (true) {
    ssize_t got = read(fd_, buffer_.data(), buffer_.size());
    if (got >= 0) return {buffer_.data(), static_cast<std::size_t>(got)};
    if (errno != EINTR) throw UsageError("cannot read " + name_ + ": " + std::strerror(errno));
  }
}

BlockWriter::BlockWriter() { buffer_.reserve(2 * BlockReader::kBlockSize); }

BlockWriter::~BlockWriter() {
  try {
    Flush();
  } catch (const std::exception&) {
    // Reported by the explicit Flush of a verb that ends normally.
  }
}

void BlockWriter::Write(std::string_view bytes) {
  buffer_.append(bytes);
  MaybeFlush();
}

void BlockWriter::Flush() {
  const char* p = buffer_.data();
  std::size_t left = buffer_.size();
  while (left > 0) {
    ssize_t put = write(1, p, left);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      buffer_.clear();
      throw std::runtime_error(std::string("cannot write standard output: ") + std::strerror(errno));
    }
    p += put;
    left -= static_cast<std::size_t>(put);
  }
  buffer_.clear();
}

}  // namespace kestrel::tool
