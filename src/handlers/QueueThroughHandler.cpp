#include "handlers/QueueThroughHandler.h"

#include "common/FileRules.h"
#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Paths.h"
#include "handlers/ExternalPrograms.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "users/PalmDesktop.h"
#include "users/UserInfo.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>

namespace kestrel {

ShapeSettings ShapeSettingsFor(const UserInfo& user) {
  ShapeSettings s;
  s.convKana = user.convKana();
  s.convAlpha = user.convAlpha();
  s.convUser1 = user.convUser1();
  s.convUser2 = user.convUser2();
  s.trim = user.trimLines();
  s.margeLine = user.joinLines();
  s.hanUserDef1 = Utf8ToCp932(user.hanUserDef1());
  s.zenUserDef1 = Utf8ToCp932(user.zenUserDef1());
  s.hanUserDef2 = Utf8ToCp932(user.hanUserDef2());
  s.zenUserDef2 = Utf8ToCp932(user.zenUserDef2());
  return s;
}

namespace {

QueueCounts& Counts() {
  static QueueCounts counts;
  return counts;
}

int Queued() {
  ++Counts().queued;
  return 1;
}

int Failed() {
  ++Counts().failed;
  return 0;
}

// One file queued inside a batch: the copy that waits for its name (empty
// when nothing was copied) and whose flag it asks for.
struct Queuing {
  UserInfo* user = nullptr;
  std::function<void()> onFlagRaised;
  std::string given;
  std::string target;
  // A converted file that is moved, not copied: it goes only once its copy
  // has taken its name, so a copy lost at the end leaves it in place.
  std::string moved;
};

struct OpenBatch {
  std::vector<Queuing> queued;
};

OpenBatch*& CurrentBatch() {
  static OpenBatch* batch = nullptr;
  return batch;
}

// The spelling the file system reports a failed copy's target in.
std::string SamePath(const std::string& path) {
  std::error_code ec;
  std::string out = std::filesystem::absolute(path, ec).lexically_normal().string();
  if (ec) out = path;
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

void RaiseFlag(UserInfo& user, const std::function<void()>& onFlagRaised) {
  if (!ReadInstallFlag(user) && SetInstallFlag(user) && onFlagRaised) onFlagRaised();
}

}  // namespace

QueueBatch::QueueBatch() {
  if (CurrentBatch()) return;
  outermost_ = true;
  CurrentBatch() = new OpenBatch;
  TheFileSystem().beginCopyBatch();
}

QueueBatch::~QueueBatch() {
  // Also when an error leaves the queuing early: what was copied takes its
  // name. An error of the store now has nobody left to tell.
  try {
    Finish();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrel: the queued files' install flag was not raised: %s\n", e.what());
  }
}

std::vector<std::string> QueueBatch::Finish() {
  std::vector<std::string> notQueued;
  if (!outermost_ || finished_) return notQueued;
  finished_ = true;
  std::unique_ptr<OpenBatch> batch(CurrentBatch());
  CurrentBatch() = nullptr;
  std::vector<CopyFailure> failures = TheFileSystem().endCopyBatch();
  for (const CopyFailure& f : failures) ErrorBox(MessageText(457), f.source.c_str(), f.target.c_str());
  // Each user's flag once, in the order their first files came.
  std::vector<const Queuing*> raise;
  for (const Queuing& q : batch->queued) {
    bool lost = false;
    for (const CopyFailure& f : failures) lost = lost || (!q.target.empty() && f.target == q.target);
    if (lost) {
      notQueued.push_back(q.given);  // q.moved stays where the converter put it
      --Counts().queued;
      ++Counts().failed;
      continue;
    }
    if (!q.moved.empty()) DeleteFileChecked(q.moved, true);
    bool known = false;
    for (const Queuing* r : raise) known = known || r->user == q.user;
    if (!known) raise.push_back(&q);
  }
  for (const Queuing* q : raise) RaiseFlag(*q->user, q->onFlagRaised);
  return notQueued;
}

QueueCounts QueueThroughHandlerCounts() { return Counts(); }

void CountNotQueued(std::size_t files) { Counts().failed += static_cast<int>(files); }

int QueueThroughHandler(UserInfo& user, const std::string& given, const std::string& installFolder,
                        const std::function<void()>& onFlagRaised) {
  const std::string file = AbsolutePath(given);
  // A FIFO or a device would block the program on its first read; a folder
  // cannot be queued. What does not exist fails on its way below.
  if (TheFileSystem().exists(file) && !IsRegularFile(file)) {
    ErrorBox(MessageText(457), file.c_str(), (WithTrailingBackslash(installFolder) + FileNameOf(file)).c_str());
    return Failed();
  }
  const ExtHandlerTable& table = user.handlers();
  int index = table.FindByExtension(ExtensionOf(file));
  auto entry = table.get(index);
  if (!entry) return Failed();

  std::string work = file;
  std::string temporary;
  if (entry->UseExText) {
    try {
      temporary = ShapeTextFile(ShapeSettingsFor(user), file);
    } catch (const TextFileError&) {
      temporary.clear();
    }
    if (temporary.empty()) {
      ErrorBox("%s", MessageText(454));
      return Failed();
    }
    work = temporary;
  }

  // A converter sees the folders as they would be without a batch.
  if (CurrentBatch() && entry->UseExApp) TheFileSystem().settleCopies();
  std::string result = ConvertForInstall(table, index, work, installFolder);
  if (result == "ERROR") {
    if (!temporary.empty()) DeleteFileChecked(temporary, true);
    return Failed();
  }
  bool copied = true;
  std::string moved;
  if (!result.empty()) {
    bool kept = false;
    copied = CopyIntoFolder(result, installFolder, user.confirmOverwrite(), false, &kept);
    // The user kept the copy already queued under this name.
    if (kept) copied = true;
    // A converted file that did not arrive stays where the converter put it.
    if (copied && (entry->InstallMode == TInstallMode::MoveConvertedPrc ||
                   entry->InstallMode == TInstallMode::MoveConvertedPdb)) {
      moved = result;
    }
  }
  // The formatted copy goes only now: with the original's mode it is the
  // very file that was queued.
  if (!temporary.empty() && TheFileSystem().exists(temporary)) DeleteFileChecked(temporary, true);
  if (!copied) return Failed();

  if (OpenBatch* batch = CurrentBatch()) {
    std::string target;
    if (!result.empty()) target = SamePath(WithTrailingBackslash(installFolder) + FileNameOf(result));
    batch->queued.push_back({&user, onFlagRaised, given, target, moved});
    return Queued();
  }
  if (!moved.empty()) DeleteFileChecked(moved, true);
  RaiseFlag(user, onFlagRaised);
  return Queued();
}

bool LaunchSettings(const ExtHandler& entry) {
  return TheShell().open(entry.Path, entry.ConfOption, entry.WorkDir);
}

std::vector<RestoreToolItem> RestoreToolItems(const ExtHandlerTable& table) {
  std::vector<RestoreToolItem> items;
  std::vector<std::string> titles = table.RestoreTitles();
  for (int i = 0; i < static_cast<int>(titles.size()); ++i) {
    if (!titles[static_cast<std::size_t>(i)].empty()) {
      items.push_back({titles[static_cast<std::size_t>(i)], i});
    }
  }
  return items;
}

void MIRestToolsClick(UserInfo& user, const std::string& file, int index) {
  if (user.restoreBackup()) {
    TheFileSystem().copyFile(file, ReplaceExtension(file, MessageText(565)), true);
  }
  auto entry = user.handlers().get(index);
  if (entry && entry->UseRestore) RunForRestore(*entry, file, user.installFolder());
}

}  // namespace kestrel
