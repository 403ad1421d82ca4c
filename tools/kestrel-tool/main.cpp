// kestrel-tool: the program's logic from the command line, over the same
// home and registry store as the program.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "Verbs.h"
#include "platform/Registry.h"

namespace kestrel::tool {
namespace {

struct Verb {
  std::string usage;
  VerbFn run;
};

std::map<std::string, Verb>& Table() {
  static std::map<std::string, Verb> table;
  return table;
}

void PrintUsage(std::FILE* to) {
  std::fprintf(to, "usage: kestrel-tool VERB [ARGS...]\n");
  for (const auto& [name, verb] : Table()) std::fprintf(to, "  %s\n", verb.usage.c_str());
}

}  // namespace

VerbRegistration::VerbRegistration(const char* name, const char* usage, VerbFn run) {
  Table()[name] = Verb{usage, std::move(run)};
}

std::string ReadInput(const std::string& file) {
  std::stringstream buf;
  if (file.empty() || file == "-") {
    buf << std::cin.rdbuf();
  } else {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw UsageError("cannot read " + file);
    buf << in.rdbuf();
  }
  return buf.str();
}

void WriteOutput(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace kestrel::tool

int main(int argc, char** argv) {
  using namespace kestrel::tool;
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  auto it = Table().find(argv[1]);
  if (it == Table().end()) {
    std::fprintf(stderr, "kestrel-tool: unknown verb %s (see kestrel-tool --help)\n", argv[1]);
    return 2;
  }
  try {
    return it->second.run(VerbArgs(argv + 2, argv + argc));
  } catch (const UsageError& e) {
    std::fprintf(stderr, "kestrel-tool %s: %s\nusage: %s\n", argv[1], e.what(),
                 it->second.usage.c_str());
  } catch (const kestrel::RegistryError& e) {
    std::fprintf(stderr, "kestrel-tool: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrel-tool: %s\n", e.what());
  }
  return 2;
}
