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
// installed one (InstalledFile). Empty when none exists.
std::string ShippedFile(const std::string& name);

// Removes the partial files that runs killed while copying, extracting or
// writing left in the home's __temp__ and the home (a run still going keeps
// its own); with the Palm Desktop folder, also those beside and in each of
// its users' Install folders.
void RemoveLeftoversOfEndedRuns(const std::string& palmFolder = "");

// A shipped file as installed, without looking into the home: the data
// folder beside the running program (<bin>/../share/kestrel-plus; in a
// build tree that folder leads to the sources' share/), else the data
// folder of the configured install prefix. Empty when none exists.
std::string InstalledFile(const std::string& name);

// The running program's own folder (its bin folder), found through /proc so
// that an installed tree may be moved as a whole; empty when unknown.
std::string ProgramBinFolder();

// Another of the installed programs: `name` in the running program's own
// folder (its bin folder), whether it is there or not; the bare name when
// that folder is unknown.
std::string ProgramBeside(const std::string& name);

}  // namespace kestrel
