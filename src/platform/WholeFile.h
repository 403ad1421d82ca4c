// Whole-file reads and writes. A write never leaves a half-written file:
// the bytes go to a part file on the target's file system (OpenPartFileFor)
// and are renamed over it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The most a whole-file read takes: a document, list or Palm file is far
// smaller, and a hostile one must not exhaust memory.
inline constexpr std::size_t kMaxWholeFileBytes = std::size_t{64} << 20;

// The bytes of a regular file of at most `maxBytes`. Nullopt, with `error`
// (when given) saying why, for what cannot be opened or read, for what is
// not a regular file (a FIFO, a device or a folder: refused at once, never
// waited for) and for a file larger than `maxBytes`.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes,
                                           std::string* error = nullptr);
// The same with the bound above.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Writes all of `bytes` to `fd`, again after a signal or a short write;
// false when a write failed.
bool WriteAll(int fd, std::string_view bytes);
// Replaces (or creates) the file with `bytes`, keeping an existing file's
// mode; false when it could not be written, and then an existing file is
// left as it was. A `shortLived` file (deleted again within the run, its
// bytes of no use after a crash) is swapped with the part file instead of
// renamed over: ext4 writes a file renamed over another to the disk at
// once, and deleting it then waits for that.
bool ReplaceFileContents(const std::string& path, const std::string& bytes, bool shortLived = false);

}  // namespace kestrel
