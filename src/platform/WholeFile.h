// Whole-file reads and writes. A write never leaves a half-written file:
// the bytes go to a part file on the target's file system (OpenPartFileFor)
// and are renamed over it.
#pragma once

#include <optional>
#include <string>

namespace kestrel {

// The file's bytes; nullopt when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Replaces (or creates) the file with `bytes`, keeping an existing file's
// mode; false when it could not be written, and then an existing file is
// left as it was.
bool ReplaceFileContents(const std::string& path, const std::string& bytes);

}  // namespace kestrel
