// The shell's "open": start a program, or open a document, web address or
// mail address with the program the desktop associates with it.
#pragma once

#include <memory>
#include <string>

namespace kestrel {

class Shell {
 public:
  virtual ~Shell() = default;
  // Starts `target` without waiting for it. `parameters` is one command line
  // (split by the Windows rules, see Process.h); `folder` the working
  // folder, "" for the current one. False when nothing could be started
  // (the shell's result 32 or less).
  virtual bool open(const std::string& target, const std::string& parameters = "",
                    const std::string& folder = "") = 0;
};

Shell& TheShell();
// Tests may swap the shell (nullptr restores the default).
void SetShell(std::unique_ptr<Shell> shell);

}  // namespace kestrel
