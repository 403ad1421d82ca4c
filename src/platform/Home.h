// The home: the one folder that holds all state of an installation
// (registry.db, run/, AppList files, KSExt.ini, __temp__/).
#pragma once

#include <string>

namespace kestrel {

// $KESTREL_HOME, else $XDG_DATA_HOME/kestrel-plus, else
// ~/.local/share/kestrel-plus. Without a trailing separator. Created on demand.
std::string HomeFolder();

// The home with a trailing separator: what the program calls its own folder.
std::string ProgramFolder();

// A file shipped with the program: the home's copy when present, else the
// installed one, else the source tree's (for runs from the build folder).
// Empty when none exists.
std::string ShippedFile(const std::string& name);

// Removes the partial files that runs killed while copying or extracting
// left in the home's __temp__ (a run still going keeps its own).
void RemoveLeftoversOfEndedRuns();

}  // namespace kestrel
