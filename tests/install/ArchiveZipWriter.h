// Zip archives for tests, written with libzip: any stored name, DOS time,
// stored or deflated data, folder entries and Unix symbolic links.
#pragma once

#include <sys/stat.h>
#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrel::test {

struct ZipMember {
  std::string name;  // stored bytes
  std::string data;
  std::uint16_t dosDate = (20 << 9) | (1 << 5) | 31;  // 2000/01/31
  std::uint16_t dosTime = (14 << 11) | (5 << 5) | 3;  // 14:05:06
  bool store = false;
  bool folder = false;
  std::string linkTarget;  // a symbolic link to this target when not empty
};

inline void WriteZip(const std::string& path, const std::vector<ZipMember>& members) {
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!zip) throw std::runtime_error("cannot create " + path);
  for (const auto& m : members) {
    zip_int64_t index;
    if (m.folder) {
      index = zip_dir_add(zip, m.name.c_str(), ZIP_FL_ENC_GUESS);
    } else {
      const std::string& bytes = m.linkTarget.empty() ? m.data : m.linkTarget;
      // libzip frees the copy, except an empty one, which it never takes.
      void* copy = nullptr;
      if (!bytes.empty()) {
        copy = std::malloc(bytes.size());
        std::memcpy(copy, bytes.data(), bytes.size());
      }
      zip_source_t* source = zip_source_buffer(zip, copy, bytes.size(), 1);
      index = zip_file_add(zip, m.name.c_str(), source, ZIP_FL_ENC_GUESS);
      if (index < 0) zip_source_free(source);
    }
    if (index < 0) throw std::runtime_error("cannot add " + m.name + ": " + zip_strerror(zip));
    auto i = static_cast<zip_uint64_t>(index);
    zip_file_set_dostime(zip, i, m.dosTime, m.dosDate, 0);
    if (m.store) zip_set_file_compression(zip, i, ZIP_CM_STORE, 0);
    if (!m.linkTarget.empty()) {
      zip_file_set_external_attributes(zip, i, 0, ZIP_OPSYS_UNIX,
                                       static_cast<zip_uint32_t>(S_IFLNK | 0777) << 16);
    }
  }
  if (zip_close(zip) != 0) throw std::runtime_error("cannot write " + path);
}

}  // namespace kestrel::test
