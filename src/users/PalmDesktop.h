// The Palm Desktop installation as Kestrel+ works through it: its registry
// keys, the user directory Users.dat, each user's Install folder and install
// flag, and starting and stopping HotSync Manager and the USB switcher.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace kestrel {

class UserInfo;

inline constexpr const char* kPalmCoreKey = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
inline constexpr const char* kHotSyncKey =
    "Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager";

// Integer under the HotSync Manager key: 1 when network HotSync is served.
inline constexpr const char* kNetHotSyncValue = "NetHotSync";

// The outside programs' windows and what stops them.
inline constexpr const char* kHotSyncTitle = "HotSync Manager";
inline constexpr const char* kUsbSwitcherTitle = "PEGMon";
inline constexpr std::uint32_t kHotSyncQuitMessage = 0xBEC5;  // wparam 1, lparam 0
inline constexpr std::uint64_t kUsbSwitcherQuitCommand = 105;  // WM_COMMAND wparam

// The copies the main window reads once at start.
struct PalmLocations {
  std::string desktopFolder;       // Core "Path"
  std::string hotSyncProgram;      // Core "HotSyncPath"
  std::string usbSwitcherProgram;  // desktop folder + USBSwt.exe
  std::string hotSyncPort;         // HotSync Manager "DirectComPort"
};

// Reads the four locations, showing an error box for each missing key or
// value; what is missing stays empty.
PalmLocations ReadPalmLocations();

// A fresh read of the Palm Desktop folder; nullopt when the key or the
// value is missing.
std::optional<std::string> PalmDesktopFolder();
// RemoveLeftoversOfEndedRuns (platform/Home.h) in the home and, when the
// store names one, in the Palm Desktop folder's user folders: what a run
// killed while it queued files or rewrote a title left there.
void RemoveLeftoversOfEndedRunsEverywhere();
// <Palm Desktop folder>/Users.dat ("" folder: "Users.dat").
std::string UsersDatPath(const std::string& desktopFolder);

// Looks the user's name up in Users.dat and stores what it found in the
// object: the short name (empty unless found) and, when found, the user ID.
// Answers kLookupFound, kLookupNotOpened (after the error box; the object
// is unchanged), kLookupEmpty, kLookupNoShortName or kLookupNotFound.
int LookUpUser(UserInfo& user);

// <Palm Desktop folder>/<short name>/Install/ from the current registry
// contents; relative (<short name>/Install/) without a Palm Desktop folder.
std::string InstallFolderFor(const std::string& shortName);
// <Palm Desktop folder>/<short name>/; "" without a Palm Desktop folder.
std::string UserPalmFolder(const UserInfo& user);

// The install flag value of a user ID: "Install12345".
std::string InstallFlagName(const std::string& userId);
// Reads, raises or clears the user's install flag in the HotSync Manager
// key and keeps the object's copy in step. Without a user name or user ID,
// or without the key, nothing happens and the answer is false. Raising
// never overwrites an existing value (an existing 0 stays 0 and the answer
// is false); clearing deletes the value.
bool ReadInstallFlag(UserInfo& user);
bool SetInstallFlag(UserInfo& user);
bool ClearInstallFlag(UserInfo& user);

std::optional<WindowId> FindHotSyncManager();
std::optional<WindowId> FindUsbSwitcher();

// ActExecHotSync: starts HotSync Manager unless its window is there, and
// the USB switcher too when `user` (the selected node's user, may be null)
// has that option on. Each failure shows its error box. False when
// something could not be started.
bool StartHotSync(const PalmLocations& locations, const UserInfo* user);
// ActExitHotSync: asks HotSync Manager (and the USB switcher, as above) to
// quit, then waits up to 10 x 500 ms for HotSync Manager's window to go.
// True when it is gone.
bool StopHotSync(const UserInfo* user);

// The HotSync port controls without the widgets: the port combo box's items
// (the ports found at start, ascending; menu position = item index + 3),
// its selection and the checked port item of the HotSync menu.
struct PortMenu {
  static constexpr int kFirstPortPosition = 3;
  std::vector<std::string> ports;
  int comboIndex = -1;
  int checkedPosition = -1;  // menu position; -1 none
};

// Selects the combo item whose text is the HotSync port (none when it is not
// listed) and runs CmbBComPortChange; what FormShow does.
void SelectHotSyncPort(PortMenu& menu, PalmLocations& locations);
// The combo box's change handler: its text becomes the HotSync port and the
// matching menu item is checked. Writes nothing, restarts nothing.
void CmbBComPortChange(PortMenu& menu, PalmLocations& locations);
// A click on the port menu item at `menuPosition`: select it, stop HotSync
// Manager, write "DirectComPort" (only when the key exists), start HotSync
// Manager again.
void SwitchHotSyncPort(PortMenu& menu, PalmLocations& locations, int menuPosition,
                       const UserInfo* user);

}  // namespace kestrel
