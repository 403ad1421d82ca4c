// AppList files on disk: Shift_JIS lines, written with CR LF; when read, a
// CR LF, a lone CR and a lone LF each end a line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel {

inline constexpr const char* kAppListFileName = "AppList.txt";      // message 567
inline constexpr const char* kMyAppListFileName = "MyAppList.txt";  // message 568

// The lines of a text; a break at the very end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
// The same lines as views of the text, valid while it is.
std::vector<std::string_view> SplitLineViews(std::string_view text);
// Each line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

enum class ReadResult { Read, Missing, Unreadable };
// Reads the lines of a file into `lines` (replaced only when read). A name
// that is there but is no regular file, or fails to read, is Unreadable;
// the read never blocks (a FIFO without a writer).
ReadResult ReadLinesFile(const std::string& path, std::vector<std::string>& lines);
// A file's bytes, in a buffer that is not cleared before they are read in.
class FileBytes {
 public:
  FileBytes() = default;
  FileBytes(FileBytes&& other) noexcept { Swap(other); }
  FileBytes& operator=(FileBytes&& other) noexcept {
    FileBytes gone(std::move(other));
    Swap(gone);
    return *this;
  }
  ~FileBytes();

  std::string_view view() const { return {data_, size_}; }
  char* data() { return data_; }
  std::size_t room() const { return room_; }
  // Room for `room` bytes, the first `keep` kept; false when there is no
  // memory for it.
  bool Grow(std::size_t room, std::size_t keep);
  void setSize(std::size_t size) { size_ = size; }

 private:
  void Swap(FileBytes& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(room_, other.room_);
  }
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t room_ = 0;
};
// The whole file's bytes into `text` (replaced only when read), judged as
// ReadLinesFile judges the file.
ReadResult ReadTextFile(const std::string& path, FileBytes& text);
// Replaces the file with the lines: written beside it and renamed over it,
// so a failed write leaves the old file whole. False when that failed.
bool WriteLinesFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace kestrel
