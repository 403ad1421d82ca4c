#include "support/TempHome.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/Registry.h"

namespace kestrel::test {

TempHome::TempHome() {
  std::string base = std::filesystem::temp_directory_path().string() + "/kestrel-test-XXXXXX";
  if (!mkdtemp(base.data())) throw std::runtime_error("cannot make a temporary home");
  path_ = base;
  setenv("KESTREL_HOME", path_.c_str(), 1);
  SetRegistry(nullptr);
}

TempHome::~TempHome() {
  SetRegistry(nullptr);
  std::error_code ec;
  // Read-only files left by a test must not keep the folder alive.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buf;
  buf << in.rdbuf();
  return buf.str();
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string ShellQuote(const std::string& word) {
  std::string out = "'";
  for (char c : word) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
       std::chrono::steady_clock::now() < end;) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

bool ProcessGone(int pid, int ms) {
  for (int waited = 0;; waited += 50) {
    std::string state;
    RunCommand("ps -o stat= -p " + std::to_string(pid), &state);
    if (state.empty() || state[0] == 'Z') return true;
    if (waited >= ms) return false;
    usleep(50 * 1000);
  }
}

int RunCommand(const std::string& command, std::string* out, std::string* err,
               const std::string& input) {
  char outName[] = "/tmp/kestrel-out-XXXXXX";
  char errName[] = "/tmp/kestrel-err-XXXXXX";
  char inName[] = "/tmp/kestrel-in-XXXXXX";
  int fo = mkstemp(outName), fe = mkstemp(errName), fi = mkstemp(inName);
  close(fo);
  close(fe);
  close(fi);
  WriteFile(inName, input);
  std::string line = "(" + command + ") <" + inName + " >" + outName + " 2>" + errName;
  int status = std::system(line.c_str());
  if (out) *out = ReadFile(outName);
  if (err) *err = ReadFile(errName);
  unlink(outName);
  unlink(errName);
  unlink(inName);
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string BuiltProgram(const std::string& name) { return std::string(KESTREL_BIN_DIR) + "/" + name; }

}  // namespace kestrel::test
