// The pilot-xfer console without a window: one command for a registered
// user, with that user's tool folder, port and rate.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "RegisteredUser.h"
#include "Verbs.h"
#include "common/GatheredBytes.h"
#include "platform/Codepage.h"
#include "platform/Home.h"
#include "platform/Termination.h"
#include "platform/WholeFile.h"
#include "xferlink/DosCommand.h"
#include "xferlink/KestlinkText.h"

namespace kestrel::tool {
namespace {

bool IsFolder(const std::string& p) {
  struct stat st {};
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The log, appended to as finished lines come. Large runs of output are
// written up to a multiple of kAlign in the file and the rest with the next
// write: ext4 keeps big writes in large page-cache folios and zeroes the
// part of one that a write ends inside, which added about 15 % to writing
// a 50 MB run. Small output goes out at once, as it comes.
class LogFile {
 public:
  static constexpr std::size_t kAlign = 256 * 1024;

  // Writes what `log` gathered and takes it; `all`: also the part of a
  // large run that ends inside a block. Once a write failed nothing more is
  // written (a log with a gap would mislead) and nothing is kept.
  void Write(GatheredBytes& log, bool all) {
    std::string_view bytes = log.View();
    if (bytes.empty()) return;
    std::size_t n = bytes.size();
    if (!all && n >= kAlign) n = (end_ + n) / kAlign * kAlign - end_;
    if (Open() && !WriteAll(fd_, bytes.substr(0, n))) failed_ = true;
    end_ += n;
    log.Take(n);
  }
  bool written() const { return !failed_; }
  ~LogFile() {
    if (fd_ >= 0) close(fd_);
  }

 private:
  // With the first lines: a run that never starts leaves no log.
  bool Open() {
    if (failed_ || fd_ >= 0) return !failed_;
    fd_ = open((ProgramFolder() + "Kestlink.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    struct stat st {};
    if (fd_ < 0 || fstat(fd_, &st) != 0) {
      failed_ = true;
      return false;
    }
    end_ = static_cast<std::size_t>(st.st_size);
    return true;
  }

  int fd_ = -1;
  bool failed_ = false;
  std::size_t end_ = 0;  // where the file ends, for the blocks
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
      GatheredBytes log;
      LogFile file;
      text.setFinishedLines([](std::string_view lines) { WriteOutput(lines); }, &log);
      TDosCommand dc;
      dc.OnOutputBlock = [&](TDosCommand&, std::string_view bytes) {
        text.OnOutput(bytes);
        file.Write(log, false);
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
      text.PassKeptLines();
      file.Write(log, true);
      if (!file.written()) std::fprintf(stderr, "kestrel-tool xfer: cannot append to Kestlink.log\n");
      if (stopped) return 128 + TerminationSignal();
      return static_cast<int>(dc.ExitCode() & 0xff);
    });

}  // namespace
}  // namespace kestrel::tool
