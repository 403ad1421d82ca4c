// The pilot-xfer console without a window: one command for a registered
// user, with that user's tool folder, port and rate.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "RegisteredUser.h"
#include "Verbs.h"
#include "common/ByteScan.h"
#include "platform/Codepage.h"
#include "platform/Home.h"
#include "platform/Termination.h"
#include "xferlink/DosCommand.h"
#include "xferlink/KestlinkText.h"

namespace kestrel::tool {
namespace {

bool IsFolder(const std::string& p) {
  struct stat st {};
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Copies `in` to `o` with each LF as CR LF; answers the end of what it
// wrote. `o` has room for twice `in`, which covers the copy's overrun.
char* WithCrLf(std::string_view in, char* o) {
  const char* p = in.data();
  const char* end = p + in.size();
  while (true) {
    CopyUntilByte(p, end, o, '\n');
    if (p == end) return o;
    *o++ = '\r';
    *o++ = '\n';
    ++p;
  }
}

// Finished pane lines to the terminal (LF) and the log (CR LF), the log's
// gathered so that it gets one write per block read.
class FinishedText {
 public:
  // `lines`: one or more lines, each followed by LF.
  void Add(std::string_view lines) {
    Open();
    WriteOutput(lines);
    // Room for the worst case, every byte an LF; not filled in advance.
    if (logUsed_ + 2 * lines.size() > logRoom_) {
      std::size_t room = std::max(2 * logRoom_, logUsed_ + 2 * lines.size());
      auto grown = std::make_unique_for_overwrite<char[]>(room);
      if (logUsed_ > 0) std::memcpy(grown.get(), log_.get(), logUsed_);
      log_ = std::move(grown);
      logRoom_ = room;
    }
    logUsed_ = static_cast<std::size_t>(WithCrLf(lines, log_.get() + logUsed_) - log_.get());
  }

  void Write() {
    if (logUsed_ == 0) return;
    file_.write(log_.get(), static_cast<std::streamsize>(logUsed_));
    logUsed_ = 0;
  }
  bool logWritten() const { return !file_.fail(); }

 private:
  // With the first lines: a run that never starts leaves no log.
  void Open() {
    if (!file_.is_open()) file_.open(ProgramFolder() + "Kestlink.log", std::ios::binary | std::ios::app);
  }

  std::ofstream file_;
  std::unique_ptr<char[]> log_;
  std::size_t logUsed_ = 0, logRoom_ = 0;
};

VerbRegistration xfer(
    "xfer",
    "xfer NAME backup|update|restore|list [--dir DIR]    (runs <Path>/pilot-xfer with the user's "
    "port and rate, prints the console's text in Shift_JIS and appends it to Kestlink.log; exit "
    "code the tool's, 1 when it cannot run)",
    [](const VerbArgs& args) {
      if (args.size() < 2) throw UsageError("NAME and a command are required");
      const std::string& name = args[0];
      XferCommand cmd;
      if (args[1] == "backup") cmd = XferCommand::Backup;
      else if (args[1] == "update") cmd = XferCommand::Update;
      else if (args[1] == "restore") cmd = XferCommand::Restore;
      else if (args[1] == "list") cmd = XferCommand::List;
      else throw UsageError("unknown command " + args[1] + " (backup, update, restore or list)");
      std::string dir;
      bool haveDir = false;
      for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--dir" && i + 1 < args.size()) {
          dir = args[++i];
          haveDir = true;
        } else {
          throw UsageError("unexpected argument " + args[i]);
        }
      }
      auto user = OpenRegisteredUser(name);
      if (!user) return 1;
      if (!haveDir) dir = user->consoleBackupFolder();
      dir = XferFolder(dir);
      std::string tool = XferFolder(user->consoleProgram());

      std::string reasons;
      struct stat st {};
      if (stat((tool + "/pilot-xfer").c_str(), &st) != 0) reasons += "・pilot-xferが見つからない\n";
      if (cmd != XferCommand::List && !IsFolder(dir)) reasons += "・バックアップパスが見つからない\n";
      if (!reasons.empty()) {
        std::fprintf(stderr, "kestrel-tool xfer: pilot-xferが実行できませんでした\n\nエラー原因\n%s",
                     reasons.c_str());
        return 1;
      }
      KestlinkText text;
      text.Announce(XferAnnouncement(cmd));
      std::string line = XferCommandLine(cmd, tool, XferPortText(user->consolePort()), dir);
      setenv("PILOTRATE", XferRateText(user->consoleRate()).c_str(), 1);
      // Pane lines are final once a later one began: they go out as they
      // are finished, to standard output at once and to the log a block at a
      // time, so the text is held once and only in part.
      FinishedText finished;
      text.setFinishedLines([&](std::string_view lines) { finished.Add(lines); });
      TDosCommand dc;
      dc.OnOutputBlock = [&](TDosCommand&, std::string_view bytes) {
        text.OnOutput(bytes);
        finished.Write();
      };
      // Ctrl+C, a closed terminal or a kill end the tool as the console's
      // stop does: the tool's whole group first, then what was shown.
      CatchTerminationSignals();
      if (!dc.Execute(line, tool)) {
        std::fprintf(stderr, "kestrel-tool xfer: pilot-xferの実行に失敗しました。\n\n  %s\n  %s\n",
                     line.c_str(), tool.c_str());
        return 1;
      }
      bool stopped = false;
      while (dc.IsOnExecution()) {
        dc.WaitAndDeliver(20);
        if (TerminationSignal() && !stopped) {
          dc.Terminate();
          stopped = true;
        }
      }
      text.EndOfOutput();
      if (stopped) text.AddLine(Utf8ToCp932("pilot-xferの実行を中止しました"));
      for (std::string& l : text.lines()) finished.Add(l += '\n');
      text.lines().clear();
      finished.Write();
      if (!finished.logWritten()) std::fprintf(stderr, "kestrel-tool xfer: cannot append to Kestlink.log\n");
      if (stopped) return 128 + TerminationSignal();
      return static_cast<int>(dc.ExitCode() & 0xff);
    });

}  // namespace
}  // namespace kestrel::tool
