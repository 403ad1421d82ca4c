#include "HotSyncLog.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/WholeFile.h"

namespace kestrel::hotsyncd {
namespace {

std::string Now() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return buf;
}

std::string Field(const std::string& text) { return text.empty() ? "-" : Printable(text); }

}  // namespace

std::string Printable(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = '?';
  }
  return out;
}

bool HotSyncLog::add(const std::string& file, const std::string& database,
                     const std::string& result) {
  std::string line =
      Now() + "\t" + Field(file) + "\t" + Field(database) + "\t" + Field(result) + "\n";
  std::error_code ec;
  std::uintmax_t size = std::filesystem::file_size(path_, ec);
  if (ec) size = 0;
  if (size + line.size() < kHotSyncLogLimit) {
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    out << line;
    return static_cast<bool>(out.flush());
  }
  std::string old = ReadWholeFile(path_).value_or("");
  // Keep the newer half, from a line's start.
  std::size_t cut = old.size() / 2;
  std::size_t nl = old.find('\n', cut);
  std::string kept = nl == std::string::npos ? std::string() : old.substr(nl + 1);
  if (kept.size() + line.size() >= kHotSyncLogLimit) kept.clear();
  return ReplaceFileContents(path_, kept + line);
}

}  // namespace kestrel::hotsyncd
