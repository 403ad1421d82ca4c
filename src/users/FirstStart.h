// The first start on a machine that never had a Palm Desktop: the Palm
// Desktop side Kestrel+ works through (the Core and HotSync Manager keys,
// the Palm data folder with its Users.dat) set up by the program itself,
// with the installed HotSync service as HotSync Manager.
#pragma once

#include <string>
#include <vector>

#include "common/Dialogs.h"
#include "users/PalmDesktop.h"

namespace kestrel {

// Neither the Core nor the HotSync Manager key exists.
bool NeedsFirstStart();

// What the setup offers: the folder "Palm" in the person's home, the
// HotSync service installed beside the running program, the first serial
// port found (else COM1).
FirstStartRequest FirstStartOffer();

inline constexpr const char* kHotSyncServiceProgram = "kestrel-hotsync";

// Sets up what is missing: the Palm data folder, an empty Users.dat in it,
// Core "Path" and "HotSyncPath", HotSync Manager "DirectComPort" and
// "NetHotSync" (off unless asked for). Nothing that exists is
// overwritten: an existing "Path" names the folder used. Each value that
// stays other than `answer` asks (another folder, network HotSync off) is
// described in `kept`. False after an error box, with the registry
// unchanged.
bool SetUpPalmDesktopSide(const FirstStartAnswer& answer, std::vector<std::string>* kept);

}  // namespace kestrel
