// Every test runs in a temporary home of its own: KESTREL_HOME points at a
// fresh folder, removed afterwards, and the registry store is reopened there.
#pragma once

#include <functional>
#include <string>

namespace kestrel::test {

class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  // The home folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // A path inside the home.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes bytes to a file (creating missing folders); reads a whole file.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// Runs a command line with /bin/sh; answers the exit code and fills the
// standard output and error.
int RunCommand(const std::string& command, std::string* out = nullptr, std::string* err = nullptr,
               const std::string& input = "");
// Whether `done` holds within `ms`, asked every 20 ms; a busy machine may
// take long, so the limits are generous.
bool WaitFor(const std::function<bool()>& done, int ms);
// Whether the process is gone (or only a zombie waiting for a reaper that
// is not its parent) within `ms`.
bool ProcessGone(int pid, int ms = 10000);
// The path of one of the project's programs in the build tree.
std::string BuiltProgram(const std::string& name);
// Quotes a word for /bin/sh.
std::string ShellQuote(const std::string& word);

}  // namespace kestrel::test
