// kestrel-plus's own options, looked at before anything else runs: --help
// and --version answer at once (no window, no queuing, nothing in the
// home); every other argument is a file to queue, and after "--" even one
// that begins with "-".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class CommandLine {
 public:
  CommandLine(int argc, char** argv);

  // The exit code when the program should end at once (0 after --help or
  // --version, 2 after an unknown option); nullopt when it runs.
  std::optional<int> exitCode() const { return exitCode_; }
  // The files in order.
  const std::vector<std::string>& files() const { return files_; }
  // The program's name and the files, for the entry point. A file that
  // begins with "-" is handed on as an absolute path, so that nothing
  // further down reads it as an option.
  int argc() const { return static_cast<int>(argv_.size()) - 1; }
  char** argv() { return argv_.data(); }

 private:
  std::optional<int> exitCode_;
  std::vector<std::string> files_;
  std::vector<std::string> words_;
  std::vector<char*> argv_;
};

// The usage text, with where the help page is installed.
std::string KestrelPlusUsage();

}  // namespace kestrel
