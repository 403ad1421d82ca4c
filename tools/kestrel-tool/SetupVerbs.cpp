// The first start's setup without a window: the Palm Desktop side of a
// machine that never had a Palm Desktop.
#include <cstdio>

#include "Verbs.h"
#include "users/FirstStart.h"
#include "users/PalmDesktop.h"

namespace kestrel::tool {
namespace {

VerbRegistration setup(
    "setup",
    "setup [--palm DIR] [--network]    (the Palm data folder, default ~/Palm, with an empty "
    "Users.dat, and the Palm Desktop keys; exit 0 done, 1 failed)",
    [](const VerbArgs& args) {
      // Without --palm the folder already set up (if any) is the one asked for.
      FirstStartAnswer answer{PalmDesktopFolder().value_or(FirstStartOffer().palmFolder), false};
      for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--palm") {
          if (i + 1 >= args.size() || args[i + 1].empty()) throw UsageError("--palm needs a folder");
          answer.palmFolder = args[++i];
        } else if (args[i] == "--network") {
          answer.networkHotSync = true;
        } else {
          throw UsageError("unexpected argument " + args[i]);
        }
      }
      std::vector<std::string> kept;
      if (!SetUpPalmDesktopSide(answer, &kept)) return 1;
      // What was there stays; asking for something else is not done.
      for (const std::string& k : kept) std::fprintf(stderr, "kestrel-tool setup: %s (set before)\n", k.c_str());
      return kept.empty() ? 0 : 1;
    });

}  // namespace
}  // namespace kestrel::tool
