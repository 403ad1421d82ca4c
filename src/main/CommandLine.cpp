#include "main/CommandLine.h"

#include <filesystem>

#include "platform/Home.h"
#include "platform/ProgramOptions.h"

namespace kestrel {

std::string KestrelPlusUsage() {
  std::string help = InstalledFile("Kestrel.html");
  return "usage: kestrel-plus [--help | --version] [--] [FILE...]\n"
         "Queues each FILE (.prc, .pdb, .pnc, .scp, or what a converter makes of it)\n"
         "for the last HotSync user's next HotSync and ends; without files, or with\n"
         "a .zip or .lzh archive among them, shows the main window. A Kestrel+ that\n"
         "is running already takes the files over.\n"
         "  --help     show this help and end\n"
         "  --version  show the version and end\n"
         "  --         what follows is a file, even when it begins with \"-\"\n"
         "Home: $KESTREL_HOME, else $XDG_DATA_HOME/kestrel-plus, else\n"
         "~/.local/share/kestrel-plus\n"
         "Help page: " +
         (help.empty() ? std::string("(not installed)") : help) + "\n";
}

CommandLine::CommandLine(int argc, char** argv) {
  words_.push_back(argc > 0 ? argv[0] : "kestrel-plus");
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (options && arg == "--") {
      options = false;
      continue;
    }
    if (options && IsOption(arg)) {
      if (auto code = AnswerStandardOption(arg, "kestrel-plus", KestrelPlusUsage())) {
        exitCode_ = code;
      } else {
        exitCode_ = RejectOption(arg, "kestrel-plus", KestrelPlusUsage());
      }
      return;
    }
    files_.push_back(arg);
    std::error_code ec;
    std::string word = arg;
    if (IsOption(arg)) {
      auto absolute = std::filesystem::absolute(arg, ec);
      if (!ec) word = absolute.lexically_normal().string();
    }
    words_.push_back(word);
  }
  for (std::string& w : words_) argv_.push_back(w.data());
  argv_.push_back(nullptr);
}

}  // namespace kestrel
