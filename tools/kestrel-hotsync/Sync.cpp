#include "Sync.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "DesktopUser.h"
#include "HotSyncLog.h"
#include "NewUser.h"
#include "common/Paths.h"
#include "hotsync/DlpClient.h"
#include "hotsync/InstallConduit.h"
#include "hotsync/NetSync.h"
#include "hotsync/PalmDatabase.h"
#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "platform/WholeFile.h"
#include "users/PalmDesktop.h"

namespace kestrel::hotsyncd {

using namespace kestrel::hotsync;

namespace {

// Errors of the link itself: after one of these the handheld is gone or
// cannot be trusted, so the sync ends. Any other error is one file's.
bool EndsTheSync(const HotSyncError& error) {
  return error.code == kErrTimeout || error.code == kErrClosed || error.code == kErrProtocol ||
         error.code == kErrIo;
}

std::string Gone(const HotSyncError& error) {
  if (error.code == kErrTimeout) return "the handheld went silent (" + Describe(error) + ")";
  if (error.code == kErrProtocol)
    return "the handheld broke the protocol (" + Describe(error) + ")";
  return "the handheld went away (" + Describe(error) + ")";
}

bool IsLink(const std::string& folder) {
  std::error_code ec;
  return std::filesystem::is_symlink(WithoutTrailingBackslash(folder), ec);
}

struct Counts {
  int installed = 0, failed = 0;
  bool broken = false, stopped = false;
};

class Sync {
 public:
  Sync(DlpTransport& link, std::string peer, const SyncSettings& settings)
      : link_(link),
        client_(link_),
        peer_(std::move(peer)),
        settings_(settings) {}

  bool run() {
    link_.setTimeout(Millis(settings_.silenceMs));
    if (auto s = link_.handshake(); !s) return fail(nullptr, s.error());
    auto sys = client_.readSysInfo();
    if (!sys) return fail(nullptr, sys.error());
    auto info = client_.readUserInfo();
    if (!info) return fail(nullptr, info.error());
    handheldName_ = Printable(Cp932ToUtf8(info->userName));

    auto palm = PalmDesktopFolder();
    if (!palm || palm->empty()) {
      report("no Palm Desktop folder (Core \"Path\")");
      return finish("This desktop has no Palm Desktop folder; nothing was installed.");
    }
    desktopLog_.emplace(WithTrailingBackslash(*palm) + "HotSync.log");
    if (info->userName.empty()) {
      desktopLog_->add("", "",
                       "the handheld at " + peer_ +
                           " has no user name (name it on the handheld, or through a first "
                           "HotSync); nothing done");
      report("the handheld has no user name");
      return finish("This handheld has no user name; name it, then HotSync again.");
    }
    std::string why;
    auto user = FindDesktopUser(*palm, info->userName, info->userId, &why);
    if (!user) {
      NewUser plan = PlanNewUser(*palm, info->userName, info->userId);
      if (plan.answer == NewUser::Planned) return makeUser(*palm, plan);
      if (plan.answer == NewUser::Refused) why = "no user made (" + plan.why + ")";
      desktopLog_->add("", "",
                       why + ": handheld user \"" + handheldName_ + "\", ID " +
                           std::to_string(info->userId) + ", at " + peer_ + "; nothing installed");
      report(why);
      return finish("This handheld's user is not known to this desktop; nothing was installed.");
    }
    if (IsLink(user->palmFolder)) {
      desktopLog_->add("", "",
                       "the folder of \"" + handheldName_ + "\" is a link; nothing installed");
      report("the user's folder is a link");
      return finish("This desktop cannot install for this user; see its HotSync.log.");
    }
    std::error_code ec;
    std::filesystem::create_directories(user->palmFolder, ec);
    desktopLog_.emplace(user->palmFolder + "HotSync.log");
    Counts counts = installQueue(*user);
    if (counts.broken) {
      report("ended early");
      return false;
    }
    std::string summary = "Kestrel+: " + std::to_string(counts.installed) + " installed, " +
                          std::to_string(counts.failed) + " not installed" +
                          (counts.stopped ? " (stopped; the rest waits)." : ".");
    report(std::to_string(counts.installed) + " installed, " + std::to_string(counts.failed) +
           " not installed" + (counts.stopped ? ", stopped" : ""));
    return finish(summary);
  }

 private:
  // A first HotSync: the handheld's user becomes a desktop user; nothing is
  // installed, since nobody could have queued anything for it yet.
  bool makeUser(const std::string& palm, const NewUser& plan) {
    const UsersDatRecord& r = plan.record;
    auto id = static_cast<std::uint32_t>(r.userId);
    if (plan.freshId) {
      // The handheld keeps its new ID first: a record it does not match
      // would make it unknown for good.
      WriteUserInfoRequest set;
      set.userId = id;
      set.modFlags = kModUserId;
      set.userName = r.name;
      if (auto s = client_.writeUserInfo(set); !s) {
        if (EndsTheSync(s.error())) return fail(nullptr, s.error());
        desktopLog_->add("", "",
                         "no user made: the handheld did not take the user ID " +
                             std::to_string(id) + " (" + Describe(s.error()) + ")");
        report("the handheld did not take its new user ID");
        return finish("This handheld did not take its user ID; nothing was done.");
      }
    }
    std::string why;
    if (!MakeNewUser(palm, plan, &why)) {
      desktopLog_->add("", "", "no user made for \"" + handheldName_ + "\": " + why);
      report("no user made: " + why);
      return finish("This desktop could not make this handheld's user; see its HotSync.log.");
    }
    std::string shortName = Cp932ToUtf8(r.shortName);
    std::string line = "user made: handheld user \"" + handheldName_ + "\", ID " +
                       std::to_string(id) + (plan.freshId ? " (new)" : "") + ", folder " +
                       shortName + ", at " + peer_ + "; nothing installed on this first HotSync";
    desktopLog_->add("", "", line);
    HotSyncLog(WithTrailingBackslash(palm) + shortName + "/HotSync.log").add("", "", line);
    report("user made, folder " + shortName);
    return finish(
        "Kestrel+: this handheld's user is now a user of this desktop; nothing was installed. "
        "Add the user in Kestrel+ by name.");
  }

  Counts installQueue(const DesktopUser& user) {
    Counts counts;
    auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSyncKey, false);
    if (!key || !key->readBool(user.flagName, false)) return counts;
    // A link would take the install, and its deletions, out of the Palm
    // Desktop folder.
    if (IsLink(user.installFolder)) {
      desktopLog_->add("", "", "the Install folder is a link; nothing installed");
      return counts;
    }
    for (const std::string& file : InstallableFiles(user.installFolder)) {
      if (settings_.stop && *settings_.stop) {
        counts.stopped = true;
        desktopLog_->add("", "",
                         "stopped by HotSync Manager's stop message; the rest stays queued");
        return counts;
      }
      std::string path = user.installFolder + file;
      auto bytes = ReadWholeFile(path);
      if (!bytes) {
        desktopLog_->add(file, "", "not installed: cannot be read; stays queued");
        ++counts.failed;
        continue;
      }
      auto db = ReadPalmDatabase(*bytes);
      if (!db) {
        desktopLog_->add(
            file, "",
            "not installed: not a Palm database (" + Describe(db.error()) + "); stays queued");
        ++counts.failed;
        continue;
      }
      std::string name = Cp932ToUtf8(db->name);
      HsStatus done = InstallDatabase(client_, *db);
      if (!done) {
        if (EndsTheSync(done.error())) {
          desktopLog_->add(file, name, "not installed: " + Gone(done.error()) + "; stays queued");
          counts.broken = true;
          return counts;
        }
        desktopLog_->add(file, name, "not installed: " + Describe(done.error()) + "; stays queued");
        ++counts.failed;
        continue;
      }
      std::error_code ec;
      if (std::filesystem::remove(path, ec)) {
        desktopLog_->add(file, name, "installed");
      } else {
        desktopLog_->add(file, name, "installed, but it could not be taken out of Install");
      }
      ++counts.installed;
    }
    // A failed or cut sync keeps the flag, so the next HotSync tries again.
    if (InstallableFiles(user.installFolder).empty()) key->deleteValue(user.flagName);
    return counts;
  }

  // The handheld's log entry and EndOfSync; true when both were answered.
  bool finish(const std::string& handheldLog) {
    if (auto s = client_.addSyncLogEntry(handheldLog + "\n"); !s) return fail(nullptr, s.error());
    if (auto s = client_.endOfSync(); !s) return fail(nullptr, s.error());
    return true;
  }

  bool fail(const char* file, const HotSyncError& error) {
    std::string text = Gone(error);
    if (desktopLog_) desktopLog_->add(file ? file : "", "", text);
    report(text);
    return false;
  }

  void report(const std::string& what) {
    std::fprintf(stderr, "kestrel-hotsync: %s%s%s: %s\n", peer_.c_str(),
                 handheldName_.empty() ? "" : " ", handheldName_.c_str(), what.c_str());
  }

  DlpTransport& link_;
  DlpClient client_;
  std::string peer_;
  const SyncSettings& settings_;
  std::string handheldName_;
  std::optional<HotSyncLog> desktopLog_;
};

}  // namespace

int SilenceLimitMs() {
  if (const char* ms = std::getenv("KESTREL_HOTSYNC_SILENCE_MS")) {
    int n = std::atoi(ms);
    if (n > 0) return n;
  }
  return 30000;
}

bool RunSync(std::unique_ptr<ByteStream> stream, const std::string& peer,
             const SyncSettings& settings) {
  NetSyncDesktop net(*stream, Millis(settings.silenceMs));
  bool ok = RunSyncOver(net, peer, settings);
  stream->close();
  return ok;
}

bool RunSyncOver(DlpTransport& link, const std::string& peer, const SyncSettings& settings) {
  try {
    return Sync(link, peer, settings).run();
  } catch (const std::exception& e) {
    // A store that cannot be written, a full disk: this sync ends, the
    // service goes on.
    std::fprintf(stderr, "kestrel-hotsync: %s: %s\n", peer.c_str(), e.what());
    return false;
  }
}

}  // namespace kestrel::hotsyncd
