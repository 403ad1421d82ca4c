// Queuing files for a user from the command line, as the program does for a
// file dropped on the user's install folder.
#include <cstdio>

#include "RegisteredUser.h"
#include "Verbs.h"
#include "common/FileRules.h"
#include "handlers/QueueThroughHandler.h"
#include "platform/FileSystem.h"
#include "platform/Home.h"
#include "platform/Registry.h"
#include "users/PalmDesktop.h"
#include "users/UserInfo.h"

namespace kestrel::tool {
namespace {

VerbRegistration queue(
    "queue", "queue NAME FILE...    (queues each file through the user's handler for its extension)",
    [](const VerbArgs& args) {
      if (args.size() < 2) throw UsageError("a user name and at least one file are needed");
      const std::string& name = args[0];
      std::unique_ptr<UserInfo> opened = OpenRegisteredUser(name);
      if (!opened) return 2;
      UserInfo& user = *opened;
      RemoveLeftoversOfEndedRunsEverywhere();
      if (!EnsureFolder(user.installFolder())) {
        std::fprintf(stderr, "kestrel-tool: the install folder %s cannot be made\n",
                     user.installFolder().c_str());
        return 2;
      }
      int failed = 0;
      // The copies reach the install folder together, then the flag is raised.
      QueueBatch batch;
      for (std::size_t i = 1; i < args.size(); ++i) {
        if (!TheFileSystem().exists(args[i])) {
          std::fprintf(stderr, "kestrel-tool: %s does not exist\n", args[i].c_str());
          ++failed;
          continue;
        }
        if (QueueThroughHandler(user, args[i], user.installFolder()) != 1) {
          std::fprintf(stderr, "kestrel-tool: %s was not queued\n", args[i].c_str());
          ++failed;
        }
      }
      for (const std::string& file : batch.Finish()) {
        std::fprintf(stderr, "kestrel-tool: %s was not queued\n", file.c_str());
        ++failed;
      }
      return failed ? 1 : 0;
    });

}  // namespace
}  // namespace kestrel::tool
