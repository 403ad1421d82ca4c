// Writes lzh archives for tests, byte by byte: header levels 0, 1 and 2,
// stored (-lh0-) and compressed (-lh5-) members, and whatever hostile
// header a test asks for. Debian has no lzh archiver, only the lhasa
// extractor, which the tests use to check these archives.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace kestrel::test {

struct LzhMember {
  std::string path;       // stored bytes; "/" between levels (written as each level stores it)
  std::string data;
  int level = 2;
  bool lh5 = false;
  std::string method;     // overrides "-lh0-"/"-lh5-", e.g. "-lhd-"
  std::uint16_t dosDate = (20 << 9) | (1 << 5) | 31;  // 2000/01/31
  std::uint16_t dosTime = (14 << 11) | (5 << 5) | 3;  // 14:05:06
  char os = 'M';
  std::uint16_t unixMode = 0;  // level 2: a Unix permission extension when non-zero
};

inline std::uint16_t LzhCrc16(const std::string& bytes) {
  std::uint16_t crc = 0;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

namespace lzh_detail {

inline void Put(std::string& out, std::uint32_t v, int width) {
  for (int i = 0; i < width; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

class Bits {
 public:
  void put(std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      acc_ = static_cast<std::uint8_t>((acc_ << 1) | ((value >> i) & 1));
      if (++n_ == 8) flush();
    }
  }
  std::string finish() {
    while (n_ != 0) put(0, 1);
    return out_;
  }

 private:
  void flush() {
    out_ += static_cast<char>(acc_);
    acc_ = 0;
    n_ = 0;
  }
  std::string out_;
  std::uint8_t acc_ = 0;
  int n_ = 0;
};

}  // namespace lzh_detail

// -lh5- data made of literals only: every block gives all 256 byte values a
// code of 8 bits, so each byte is written as itself.
inline std::string Lh5Literals(const std::string& data) {
  lzh_detail::Bits bits;
  std::size_t pos = 0;
  do {
    std::size_t n = std::min<std::size_t>(data.size() - pos, 65535);
    bits.put(static_cast<std::uint32_t>(n), 16);
    bits.put(0, 5);    // one code-length code ...
    bits.put(10, 5);   // ... meaning length 8 (10 - 2)
    bits.put(256, 9);  // 256 literal lengths, each taking no bits
    bits.put(0, 4);    // one offset code ...
    bits.put(0, 4);    // ... never used
    for (std::size_t i = 0; i < n; ++i) bits.put(static_cast<unsigned char>(data[pos + i]), 8);
    pos += n;
  } while (pos < data.size());
  return bits.finish();
}

inline std::string LzhEntry(const LzhMember& m) {
  using lzh_detail::Put;
  std::string method = !m.method.empty() ? m.method : m.lh5 ? "-lh5-" : "-lh0-";
  std::string packed = m.lh5 && !m.data.empty() ? Lh5Literals(m.data) : m.data;
  std::uint16_t crc = LzhCrc16(m.data);
  std::string out;
  if (m.level == 0 || m.level == 1) {
    std::string name = m.path;
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
    std::string h;
    h += method;
    Put(h, static_cast<std::uint32_t>(packed.size()), 4);
    Put(h, static_cast<std::uint32_t>(m.data.size()), 4);
    Put(h, m.dosTime, 2);
    Put(h, m.dosDate, 2);
    h += '\x20';
    h += static_cast<char>(m.level);
    h += static_cast<char>(name.size());
    h += name;
    Put(h, crc, 2);
    if (m.level == 1) {
      h += m.os;
      Put(h, 0, 2);  // no extensions
    }
    unsigned sum = 0;
    for (unsigned char c : h) sum += c;
    out += static_cast<char>(h.size());
    out += static_cast<char>(sum & 0xFF);
    out += h;
  } else {
    std::string folder, name = m.path;
    auto slash = name.rfind('/');
    if (slash != std::string::npos) {
      folder = name.substr(0, slash + 1);
      name.erase(0, slash + 1);
      for (char& c : folder) {
        if (c == '/') c = '\xFF';
      }
    }
    std::vector<std::pair<char, std::string>> ext{{'\x01', name}};
    if (!folder.empty()) ext.push_back({'\x02', folder});
    if (m.unixMode != 0) {
      std::string mode;
      Put(mode, m.unixMode, 2);
      ext.push_back({'\x50', mode});
    }
    std::string tail;  // extensions, each followed by the size of the next
    for (std::size_t i = 0; i < ext.size(); ++i) {
      tail += ext[i].first;
      tail += ext[i].second;
      Put(tail, i + 1 < ext.size() ? static_cast<std::uint32_t>(ext[i + 1].second.size() + 3) : 0, 2);
    }
    std::tm tm{};
    tm.tm_year = 80 + (m.dosDate >> 9);
    tm.tm_mon = ((m.dosDate >> 5) & 15) - 1;
    tm.tm_mday = m.dosDate & 31;
    tm.tm_hour = m.dosTime >> 11;
    tm.tm_min = (m.dosTime >> 5) & 63;
    tm.tm_sec = (m.dosTime & 31) * 2;
    tm.tm_isdst = -1;
    std::string h;
    h += method;
    Put(h, static_cast<std::uint32_t>(packed.size()), 4);
    Put(h, static_cast<std::uint32_t>(m.data.size()), 4);
    Put(h, static_cast<std::uint32_t>(std::mktime(&tm)), 4);
    h += '\x20';
    h += '\x02';
    Put(h, crc, 2);
    h += m.os;
    Put(h, static_cast<std::uint32_t>(ext[0].second.size() + 3), 2);
    Put(out, static_cast<std::uint32_t>(2 + h.size() + tail.size()), 2);
    out += h;
    out += tail;
  }
  return out + packed;
}

// The members one after another and the end mark.
inline std::string LzhArchive(const std::vector<LzhMember>& members) {
  std::string out;
  for (const auto& m : members) out += LzhEntry(m);
  return out + '\0';
}

}  // namespace kestrel::test
