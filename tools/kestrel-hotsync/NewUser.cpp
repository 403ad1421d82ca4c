#include "NewUser.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "common/Paths.h"
#include "platform/Codepage.h"
#include "platform/WholeFile.h"
#include "users/PalmDesktop.h"

namespace kestrel::hotsyncd {
namespace {

namespace fs = std::filesystem;

// A user ID no record has: positive, since Users.dat stores it signed.
std::int32_t FreshUserId(const std::vector<UsersDatRecord>& records) {
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<std::int32_t> ids(1, INT32_MAX);
  for (;;) {
    std::int32_t id = ids(random);
    bool used = false;
    for (const UsersDatRecord& r : records) used = used || r.userId == id;
    if (!used) return id;
  }
}

// The names in the Palm Desktop folder (Shift_JIS), so a new user's folder
// is never a file or a left-over folder there, Users.dat included.
std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    names.push_back(Utf8ToCp932(entry.path().filename().string()));
  }
  return names;
}

// Replaces `path` so that a crash leaves the old file or the new one, never
// a part: the bytes go beside it and reach the disk before the rename, and
// the rename reaches it before the answer. Keeps the old file's mode.
bool ReplaceDurably(const std::string& path, const std::string& bytes, std::string* why) {
  std::error_code ec;
  // A link named Users.dat stays a link: its target is what is replaced.
  std::string target = fs::is_symlink(path, ec) ? fs::canonical(path, ec).string() : path;
  if (ec) target = path;
  mode_t mode = 0644;
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) mode = old.st_mode & 07777;
  std::string temp = target + ".new";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) {
    *why = "cannot write " + temp + ": " + std::strerror(errno);
    return false;
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int error = errno;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    *why = "cannot write " + target + ": " + std::strerror(error);
    return false;
  }
  std::string folder = fs::path(target).parent_path().string();
  int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace

NewUser PlanNewUser(const std::string& desktopFolder, const std::string& nameSjis,
                    std::uint32_t handheldId) {
  NewUser plan;
  auto refuse = [&](std::string why) {
    plan.answer = NewUser::Refused;
    plan.why = std::move(why);
    return plan;
  };
  plan.datPath = UsersDatPath(desktopFolder);
  std::error_code ec;
  if (fs::exists(plan.datPath, ec)) {
    std::string error;
    auto bytes = ReadRegularFile(plan.datPath, kMaxWholeFileBytes, &error);
    if (!bytes) return refuse("cannot read " + plan.datPath + ": " + error);
    plan.before = *bytes;
  } else if (ec) {
    return refuse("cannot read " + plan.datPath + ": " + ec.message());
  } else {
    plan.before = *FormatUsersDat({}, nullptr);  // the first user of this desktop
  }
  // Any match of the lookup, also one outside the records, is the name's.
  if (FindUserInUsersDat(plan.before, nameSjis).answer != kLookupNotFound) {
    plan.answer = NewUser::Known;
    return plan;
  }
  std::string error;
  auto records = ReadUsersDatRecords(plan.before, &error);
  if (!records) return refuse(plan.datPath + " is not of the layout written here (" + error + ")");
  if (handheldId != 0) {
    for (const UsersDatRecord& r : *records) {
      if (static_cast<std::uint32_t>(r.userId) == handheldId) {
        return refuse("the handheld's user ID " + std::to_string(handheldId) +
                      " is another user's");
      }
    }
  }
  plan.freshId = handheldId == 0;
  plan.record.userId =
      plan.freshId ? FreshUserId(*records) : static_cast<std::int32_t>(handheldId);
  plan.record.name = nameSjis;
  std::vector<std::string> taken = FolderEntries(desktopFolder);
  for (const UsersDatRecord& r : *records) taken.push_back(r.shortName);
  plan.record.shortName = MakeShortName(nameSjis, taken);
  auto after = AddUsersDatRecord(plan.before, plan.record, &error);
  if (!after) return refuse("no record for this user: " + error);
  // The lookup must find this record, not bytes before it that look alike.
  UsersDatMatch match = FindUserInUsersDat(*after, nameSjis);
  if (match.answer != kLookupFound || match.shortName != plan.record.shortName ||
      match.userId != plan.record.userId) {
    return refuse(plan.datPath + " holds bytes the lookup would take for this user");
  }
  plan.after = std::move(*after);
  plan.answer = NewUser::Planned;
  return plan;
}

bool MakeNewUser(const std::string& desktopFolder, const NewUser& plan, std::string* why) {
  std::error_code ec;
  fs::create_directories(desktopFolder, ec);
  // Someone (kestrel-tool usersdat add) may have written it meanwhile.
  std::string now;
  if (fs::exists(plan.datPath, ec)) {
    now = ReadRegularFile(plan.datPath, kMaxWholeFileBytes).value_or("\1");
  }
  if (!now.empty() && now != plan.before) {
    *why = plan.datPath + " changed during the HotSync";
    return false;
  }
  std::string folder = WithTrailingBackslash(desktopFolder) + Cp932ToUtf8(plan.record.shortName);
  if (!ReplaceDurably(plan.datPath, plan.after, why)) return false;
  if (!fs::create_directories(folder + "/Install", ec) && ec) {
    *why = "cannot make " + folder + "/Install: " + ec.message();
    return false;
  }
  return true;
}

}  // namespace kestrel::hotsyncd
