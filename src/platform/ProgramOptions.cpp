#include "platform/ProgramOptions.h"

#include <cstdio>

#include "platform/Version.h"

namespace kestrel {

std::optional<int> AnswerStandardOption(const std::string& arg, const std::string& program,
                                        const std::string& usage) {
  if (arg == "--help" || arg == "-h") {
    std::fputs(usage.c_str(), stdout);
    std::fflush(stdout);
    return 0;
  }
  if (arg == "--version") {
    PrintVersion(program);
    return 0;
  }
  return std::nullopt;
}

void PrintVersion(const std::string& program) {
  std::printf("%s %s\n", program.c_str(), kProgramVersion);
  std::fflush(stdout);
}

int RejectOption(const std::string& arg, const std::string& program, const std::string& usage) {
  std::fprintf(stderr, "%s: unknown option %s\n%s", program.c_str(), arg.c_str(), usage.c_str());
  return kExitUsage;
}

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

}  // namespace kestrel
