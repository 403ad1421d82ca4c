// Verbs about the home itself.
#include <cstdio>

#include "Verbs.h"
#include "platform/Home.h"

namespace kestrel::tool {
namespace {

VerbRegistration home("home", "home    (prints the home folder in use)", [](const VerbArgs& args) {
  if (!args.empty()) throw UsageError("no arguments expected");
  std::printf("%s\n", HomeFolder().c_str());
  return 0;
});

}  // namespace
}  // namespace kestrel::tool
