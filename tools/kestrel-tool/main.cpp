// kestrel-tool: the program's logic from the command line, over the same
// home and registry store as the program.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "Verbs.h"
#include "platform/ProgramOptions.h"
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

std::string UsageText() {
  std::string text = "usage: kestrel-tool VERB [ARGS...]\n       kestrel-tool --help | --version\n";
  for (const auto& [name, verb] : Table()) text += "  " + verb.usage + "\n";
  return text;
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

void WriteOutput(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace kestrel::tool

int main(int argc, char** argv) {
  using namespace kestrel::tool;
  if (argc < 2) {
    std::fputs(UsageText().c_str(), stderr);
    return 2;
  }
  if (kestrel::IsOption(argv[1])) {
    if (auto code = kestrel::AnswerStandardOption(argv[1], "kestrel-tool", UsageText())) return *code;
    return kestrel::RejectOption(argv[1], "kestrel-tool", UsageText());
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
