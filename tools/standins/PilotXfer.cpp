// Stand-in for pilot-link's pilot-xfer (old calling form):
//   pilot-xfer PORT -b|-u|-s|-r DIR      pilot-xfer PORT -l
// It plays one handheld whose databases are the files of a folder
// ($KESTREL_HANDHELD, else <home>/handheld). It waits for the handheld to
// "connect" ($KESTREL_PILOT_CONNECT_MS, 1500), then backs up (every
// database), updates (only the changed ones), synchronises (update, then
// removes from DIR what the handheld no longer has), restores DIR onto the
// handheld, or lists. $KESTREL_PILOT_STEP_MS (30) paces the progress dots.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/Home.h"

namespace fs = std::filesystem;

namespace {

// Straight to the descriptor: the console sees every piece as it is written.
void Say(const std::string& s) {
  std::size_t done = 0;
  while (done < s.size()) {
    ssize_t n = write(1, s.data() + done, s.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

int Fail(const std::string& message) {
  std::string s = "pilot-xfer: " + message + "\n";
  if (write(2, s.data(), s.size()) < 0) return 1;
  return 1;
}

long EnvMs(const char* name, long fallback) {
  const char* v = std::getenv(name);
  if (!v || !*v) return fallback;
  char* end = nullptr;
  long n = std::strtol(v, &end, 10);
  return *end == '\0' && n >= 0 ? n : fallback;
}

void Pause(long ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool ValidPort(const std::string& port) {
  if (port.rfind("/dev/", 0) == 0) return true;
  if (port.size() < 4 || port.compare(0, 3, "COM") != 0) return false;
  return std::all_of(port.begin() + 3, port.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
         port[3] != '0';
}

std::vector<fs::path> Databases(const fs::path& folder) {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(folder)) {
    if (e.is_regular_file()) out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string Contents(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Copies one database with progress dots (one per 4 KiB, at least one).
bool CopyWithDots(const fs::path& from, const fs::path& to, long stepMs) {
  std::error_code ec;
  auto size = fs::file_size(from, ec);
  std::size_t dots = ec ? 1 : std::max<std::size_t>(1, std::min<std::size_t>(size / 4096 + 1, 20));
  for (std::size_t i = 0; i < dots; ++i) {
    Say(".");
    Pause(stepMs);
  }
  fs::path part = to;
  part += ".part";
  fs::copy_file(from, part, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(part, to, ec);
  if (ec) {
    fs::remove(part);
    Say(" failed\n");
    return false;
  }
  Say(" OK\n");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 2 || (args[1] == "-l" ? args.size() != 2 : args.size() != 3) ||
      (args[1] != "-l" && args[1] != "-b" && args[1] != "-u" && args[1] != "-s" && args[1] != "-r")) {
    return Fail("usage: pilot-xfer PORT -b|-u|-s|-r DIR | pilot-xfer PORT -l");
  }
  const std::string& port = args[0];
  const std::string mode = args[1];
  if (!ValidPort(port)) return Fail("bad port " + port);
  fs::path dir = args.size() == 3 ? fs::path(args[2]) : fs::path();
  std::error_code ec;
  if (!dir.empty() && !fs::is_directory(dir, ec)) {
    return Fail("cannot open folder " + dir.string() + ": No such directory");
  }
  const char* hh = std::getenv("KESTREL_HANDHELD");
  fs::path handheld = hh && *hh ? fs::path(hh) : fs::path(kestrel::HomeFolder()) / "handheld";
  long stepMs = EnvMs("KESTREL_PILOT_STEP_MS", 30);

  const char* rate = std::getenv("PILOTRATE");
  Say(std::string("   Port: ") + port + ", speed: " + (rate && *rate ? rate : "9600") +
      (rate && *rate ? " (PILOTRATE)" : " (default)") + "\n");
  Say("Waiting for connection on " + port + " - press the HotSync button now...\n");
  Pause(EnvMs("KESTREL_PILOT_CONNECT_MS", 1500));
  if (!fs::is_directory(handheld, ec)) return Fail("no handheld answered on " + port);
  Say("Connected\n");

  int done = 0, skipped = 0, failed = 0, removed = 0;
  if (mode == "-l") {
    Say("Reading list of databases in RAM...\n");
    for (const fs::path& db : Databases(handheld)) {
      Say(db.stem().string() + "\n");
      ++done;
    }
    Say("List complete. " + std::to_string(done) + " databases found.\n");
    return 0;
  }
  if (mode == "-r") {
    for (const fs::path& db : Databases(dir)) {
      Say("Restoring " + db.string());
      if (CopyWithDots(db, handheld / db.filename(), stepMs)) ++done; else ++failed;
    }
    Say("Restore done: " + std::to_string(done) + " restored, " + std::to_string(failed) +
        " failed.\n");
    return failed ? 1 : 0;
  }
  std::vector<fs::path> dbs = Databases(handheld);
  for (const fs::path& db : dbs) {
    fs::path target = dir / db.filename();
    if (mode != "-b" && fs::exists(target, ec) && Contents(target) == Contents(db)) {
      Say("No change, skipping '" + target.string() + "'.\n");
      ++skipped;
      continue;
    }
    Say("Backing up '" + target.string() + "'");
    if (CopyWithDots(db, target, stepMs)) ++done; else ++failed;
  }
  if (mode == "-s") {
    for (const fs::path& old : Databases(dir)) {
      if (!fs::exists(handheld / old.filename(), ec)) {
        Say("Removing '" + old.string() + "' (not on the handheld).\n");
        fs::remove(old, ec);
        ++removed;
      }
    }
  }
  Say("Backup done: " + std::to_string(done) + " backed up, " + std::to_string(skipped) +
      " unchanged, " + std::to_string(removed) + " removed, " + std::to_string(failed) +
      " failed.\n");
  return failed ? 1 : 0;
}
