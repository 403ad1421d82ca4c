// Any bytes as an archive: listed, every listed member extracted, never a
// crash and never a file outside the unpack folder.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/Prompter.h"
#include "install/ArchiveFolder.h"

namespace kestrel::fuzz {

// Error boxes are expected here; they only cost time.
class QuietPrompter : public Prompter {
 public:
  Button show(BoxKind kind, const std::string&, const std::string&) override {
    return DefaultButton(kind);
  }
};

inline int FuzzArchive(const std::uint8_t* data, std::size_t size, const char* extension) {
  static const std::string home = [] {
    char base[] = "/tmp/kestrel-fuzz-XXXXXX";
    if (!mkdtemp(base)) std::abort();
    setenv("KESTREL_HOME", base, 1);
    static QuietPrompter quiet;
    SetPrompter(&quiet);
    return std::string(base);
  }();
  const std::string archive = home + "/input" + extension;
  if (FILE* f = std::fopen(archive.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  std::vector<ArchiveListItem> items;
  ListArchive(archive, {}, &items);
  const std::string unpack = ArchiveUnpackFolder() + "/";
  for (const auto& item : items) {
    std::string path = ExtractMember(archive, item.path);
    if (path.empty()) continue;
    if (path.compare(0, unpack.size(), unpack) != 0 ||
        path.find('/', unpack.size()) != std::string::npos) {
      std::abort();  // written outside the unpack folder
    }
    unlink(path.c_str());
  }
  return 0;
}

}  // namespace kestrel::fuzz
