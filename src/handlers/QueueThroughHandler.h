// Queuing one file for a user's install folder through the user's handler
// for its extension: optional text formatting, optional converter, then the
// chosen file copied into the install folder and the install flag raised.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "handlers/table/ExtHandlerTable.h"
#include "install/TextShape.h"

namespace kestrel {

class UserInfo;

// The user's formatting settings, with the tables in Shift_JIS.
ShapeSettings ShapeSettingsFor(const UserInfo& user);

// 1 when the file was handled (queued, or nothing to queue), 0 on failure:
// a file that is no regular file, a failed formatting or converter run, or
// a copy into the install folder that did not happen. The install flag is
// raised only on 1. A relative `file` is taken against the current folder,
// as the converter runs in another. `onFlagRaised` runs when this call
// raised the install flag (the main window checks its install command then).
int QueueThroughHandler(UserInfo& user, const std::string& file, const std::string& installFolder,
                        const std::function<void()>& onFlagRaised = {});

// While one lives, the copies QueueThroughHandler makes take their names
// together when it ends (synced as one, then renamed), and only then is the
// install flag of each user with a queued file read and raised, once. So a
// run of many files is as durable as one file at a time, and the flag never
// stands for a file that is not in place. Batches nest; the outermost ends
// them.
class QueueBatch {
 public:
  QueueBatch();
  ~QueueBatch();
  QueueBatch(const QueueBatch&) = delete;
  QueueBatch& operator=(const QueueBatch&) = delete;

  // Ends the batch (the destructor does it otherwise). A copy that did not
  // take its name gets the error box of a failed copy, and its file counts
  // as not queued. Answers those files, as they were given.
  std::vector<std::string> Finish();

 private:
  bool outermost_ = false;
  bool finished_ = false;
};

// How many calls of this process answered 1 and 0, for an exit code that
// tells whether every file given was queued.
struct QueueCounts {
  int queued = 0;
  int failed = 0;
};
QueueCounts QueueThroughHandlerCounts();
// Files given to be queued that never reached QueueThroughHandler (no user
// was selected, the install folder could not be made) count as failed.
void CountNotQueued(std::size_t files);

// The settings launch of a converter ("Go!"): opens Path with ConfOption in
// WorkDir, without waiting. True when it was started.
bool LaunchSettings(const ExtHandler& entry);

// One item of the file list's restore-tools menu: caption and the index of
// the handler entry in the user's table.
struct RestoreToolItem {
  std::string title;
  int index = -1;
};
// The items, in table order; an empty list leaves the menu disabled.
std::vector<RestoreToolItem> RestoreToolItems(const ExtHandlerTable& table);

// A restore tool chosen on `file`: keeps a ".bak" copy first when the user's
// "RestoreBackup" is on, then runs the entry's restore template.
void MIRestToolsClick(UserInfo& user, const std::string& file, int index);

}  // namespace kestrel
