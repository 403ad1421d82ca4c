// A shell that records what it was asked to open; `opens` false plays a
// machine with nothing to open it with.
#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace kestrel::test {

class RecordingShell : public Shell {
 public:
  explicit RecordingShell(std::vector<std::string>* opened, bool opens = true)
      : opened_(opened), opens_(opens) {}
  bool open(const std::string& target, const std::string&, const std::string&) override {
    opened_->push_back(target);
    return opens_;
  }

 private:
  std::vector<std::string>* opened_;
  bool opens_;
};

}  // namespace kestrel::test
