// What the stand-in HotSync Manager does for a HotSync: for every user of
// Users.dat whose install flag is raised, the files of
// <Palm Desktop folder>/<short name>/Install/ move into
// <Palm Desktop folder>/<short name>/Handheld/ (standing for the handheld)
// and the flag is deleted.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

struct HotSyncReport {
  bool ok = true;                  // false: nothing could be done (see problems)
  int users = 0;                   // users whose queue was installed
  int files = 0;                   // files moved
  std::vector<std::string> problems;
};

HotSyncReport RunSimulatedHotSync();

// One line for the window's status or the console.
std::string DescribeHotSync(const HotSyncReport& report);

}  // namespace kestrel
