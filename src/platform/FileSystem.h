// File services as the program expects them of Windows: attributes, 8.3
// short names, enumeration with find data, copy/move/delete.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

constexpr char kPathSeparator = '/';

// Windows attribute bits, as the folder listings test them.
enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrVolume = 0x08,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
};

// An entry of a folder with only what the folder itself tells: no size,
// time or attributes. A link counts as what it points at.
struct FolderEntry {
  std::string name;
  bool isDirectory = false;
};

// A copy of a batch that did not reach its name when the batch ended.
struct CopyFailure {
  std::string source;
  std::string target;
  std::string reason;  // the system's
};

struct FindData {
  std::string name;            // bare name
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::time_t lastWrite = 0;   // UTC seconds
  std::string shortName;       // 8.3 alias; empty where the platform has none
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Entries of a folder except "." and "..", in the platform's listing order.
  virtual std::vector<FindData> list(const std::string& folder) = 0;
  // The same entries in the same order, without looking at each one (only
  // an entry whose type the folder does not record, or a link, is looked
  // up): for walks that want the subfolders of a folder full of files.
  virtual std::vector<FolderEntry> entries(const std::string& folder) = 0;
  // Only the folders of entries() (links to folders among them), in the same
  // order: a folder of a thousand files costs no name of its files.
  virtual std::vector<FolderEntry> subfolders(const std::string& folder) {
    std::vector<FolderEntry> all = entries(folder);
    std::erase_if(all, [](const FolderEntry& e) { return !e.isDirectory; });
    return all;
  }
  virtual std::optional<FindData> find(const std::string& path) = 0;
  // One entry of entries() in full, as list() gives it (a dangling link
  // too); nullopt when it is gone.
  virtual std::optional<FindData> findEntry(const std::string& folder, const std::string& name) = 0;

  virtual bool exists(const std::string& path) = 0;
  virtual bool isDirectory(const std::string& path) = 0;
  virtual std::optional<std::uint32_t> attributes(const std::string& path) = 0;
  virtual bool setReadOnly(const std::string& path, bool readOnly) = 0;

  // Every missing level; true when the folder exists afterwards.
  virtual bool createDirectories(const std::string& path) = 0;
  virtual bool removeDirectory(const std::string& path) = 0;
  virtual bool deleteFile(const std::string& path) = 0;

  // Copies, replacing an existing target only when asked. The data is
  // written beside the target and renamed over it, so a failed copy leaves
  // an existing target whole. On failure `error` gets the system's reason.
  virtual bool copyFile(const std::string& source, const std::string& target, bool replace,
                        std::string* error = nullptr) = 0;
  // Copies made while a batch is open are written beside their targets at
  // once but take their names together when the outermost batch ends: all
  // synced as one, renamed, their folders synced. That makes a run of many
  // copies as durable as one copy at a time for about the price of one.
  // Anything that asks about a waiting target, its folder or its source
  // meanwhile first sees the waiting copies take their names, so a batch
  // changes what the copies cost, not what anyone observes. Batches nest.
  virtual void beginCopyBatch() = 0;
  // Ends a batch; the outermost end answers the copies that did not reach
  // their names (also those of an earlier settling inside the batch).
  virtual std::vector<CopyFailure> endCopyBatch() = 0;
  // Gives the waiting copies their names now (before another program, a
  // converter, looks at the folders); the batch stays open.
  virtual void settleCopies() = 0;

  // Moves (renames, or copies and deletes across file systems); never
  // replaces an existing target.
  virtual bool moveFile(const std::string& source, const std::string& target,
                        std::string* error = nullptr) = 0;
};

FileSystem& TheFileSystem();

// Creates the file a whole-file write of `target` goes to before it is
// renamed over it, as a copy's: on the target's file system, in the home's
// scratch folder when it is there, never among the files of an Install
// folder (HotSync installs every file it holds). Answers the open
// descriptor (-1 with errno) and its path in `part`.
int OpenPartFileFor(const std::string& target, std::string& part);

}  // namespace kestrel
