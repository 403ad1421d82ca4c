// Input and output in bounded blocks, so that a verb's memory does not grow
// with the size of what it reads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel::tool {

// Reads FILE, or standard input for "" or "-", a block at a time.
class BlockReader {
 public:
  static constexpr std::size_t kBlockSize = 1 << 16;

  // Throws UsageError when the file cannot be opened.
  explicit BlockReader(const std::string& file);
  ~BlockReader();
  BlockReader(const BlockReader&) = delete;
  BlockReader& operator=(const BlockReader&) = delete;

  // The next block (valid until the next call); empty at the end. Throws
  // UsageError on a read error.
  std::string_view Next();

 private:
  int fd_ = 0;
  std::string name_;
  std::vector<char> buffer_;
};

// Standard output through a buffer of its own; a full disk or a closed pipe
// is an error ("cannot write standard output"), not success.
class BlockWriter {
 public:
  BlockWriter();
  ~BlockWriter();
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  void Write(std::string_view bytes);
  // Writes what is buffered; throws std::runtime_error on failure.
  void Flush();
  // The buffer the next bytes go into, for code that appends to a string.
  std::string& Buffer() { return buffer_; }
  // Flushes once the buffer holds a block or more.
  void MaybeFlush() {
    if (buffer_.size() >= BlockReader::kBlockSize) Flush();
  }

 private:
  std::string buffer_;
};

}  // namespace kestrel::tool
