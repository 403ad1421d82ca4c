// A home for the Kestlink console's tests: the HotSync user Taro (TaroY,
// ID 7) registered through kestrel-tool, the stand-in pilot-xfer in a
// folder with a blank (as under "Program Files"), Taro's pilot-xfer
// settings (port 1, rate 3, the backup folder), and the stand-in's
// handheld folder holding MemoDB.pdb.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Registry.h"
#include "support/PalmSetup.h"
#include "support/TempHome.h"

namespace kestrel::test {

inline constexpr const char* kTaroXferKey = "Software\\Tolva\\Kestrel+\\Users\\Taro\\pilot-xfer";

class XferHome {
 public:
  // The "Path" stored is the tools' folder followed by `toolsPathEnd`.
  XferHome(const std::string& memo, const std::string& toolsPathEnd) {
    setenv("KESTREL_PILOT_CONNECT_MS", "0", 1);
    setenv("KESTREL_PILOT_STEP_MS", "0", 1);
    setenv("KESTREL_HANDHELD", handheld.c_str(), 1);
    CurrentUserKey(kPalmCoreKey).writeString("Path", home / "Palm");
    std::string tool = ShellQuote(BuiltProgram("kestrel-tool"));
    EXPECT_EQ(RunCommand(tool + " usersdat add Taro TaroY 7"), 0);
    EXPECT_EQ(RunCommand(tool + " register Taro"), 0);
    std::filesystem::create_directories(tools);
    std::filesystem::copy_file(BuiltProgram("pilot-xfer"), tools + "/pilot-xfer");
    RegKey x = CurrentUserKey(kTaroXferKey);
    x.writeString("Path", tools + toolsPathEnd);
    x.writeString("BackupPath", backup + "/");
    x.writeDword("Port", 1);
    x.writeDword("Rate", 3);
    WriteFile(handheld + "/MemoDB.pdb", memo);
    std::filesystem::create_directories(backup);
  }
  TempHome home;
  std::string handheld = home / "handheld";
  std::string tools = home / "pilot link";
  std::string backup = home / "my backup";
};

}  // namespace kestrel::test
