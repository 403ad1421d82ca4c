// The guarded single-file operations behind every copy, move and delete of
// the program: a missing target folder is made only after the user agreed,
// an existing file is replaced only after Yes, a read-only file is deleted
// only after a question unless the caller forces it.
#pragma once

#include <string>

namespace kestrel {

// Copies (or moves) `source` into `folder` (ending in a separator) under its
// own name. `ask` is the user's ask-before-overwrite option: off, an existing
// target is left alone and nothing is copied. True when the file arrived;
// `kept` (may be null) tells a false that left an existing target in place
// by choice (the option, or No to the question) from a failure.
bool CopyIntoFolder(const std::string& source, const std::string& folder, bool ask, bool move,
                    bool* kept = nullptr);

// Deletes a file; a read-only one only after a confirmation unless forced.
bool DeleteFileChecked(const std::string& path, bool force);

// True when the folder exists afterwards; creates every missing level
// without asking.
bool EnsureFolder(const std::string& folder);

}  // namespace kestrel
