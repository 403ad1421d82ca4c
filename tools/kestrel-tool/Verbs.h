// kestrel-tool's verbs register themselves, one file per group of verbs.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::tool {

// Arguments after the verb.
using VerbArgs = std::vector<std::string>;
// Answers the exit code.
using VerbFn = std::function<int(const VerbArgs&)>;

// Thrown for bad arguments: exit 2 with the message on stderr.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct VerbRegistration {
  VerbRegistration(const char* name, const char* usage, VerbFn run);
};

// Reads a whole file, or standard input for "" or "-"; throws UsageError.
std::string ReadInput(const std::string& file);
// Writes bytes to standard output unchanged.
void WriteOutput(std::string_view bytes);

}  // namespace kestrel::tool
