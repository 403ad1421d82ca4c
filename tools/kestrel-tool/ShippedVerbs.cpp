// Where the files shipped with the program are found: the home's own copy
// first, then the installed one.
#include <cstdio>

#include "Verbs.h"
#include "platform/Home.h"

namespace kestrel::tool {
namespace {

VerbRegistration shipped(
    "shipped", "shipped FILE    (prints the path of a shipped file in use: KSExt.ini, Kestrel.html)",
    [](const VerbArgs& args) {
      if (args.size() != 1) throw UsageError("one file name expected");
      if (args[0].empty() || args[0].find('/') != std::string::npos) {
        throw UsageError("a file name is expected, not a path: " + args[0]);
      }
      std::string path = ShippedFile(args[0]);
      if (path.empty()) {
        std::fprintf(stderr, "kestrel-tool: %s is neither in the home nor installed\n",
                     args[0].c_str());
        return 1;
      }
      std::printf("%s\n", path.c_str());
      return 0;
    });

}  // namespace
}  // namespace kestrel::tool
