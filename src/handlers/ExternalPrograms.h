// Running a user's converter programs: argument templates, the install and
// restore runs, the settings launch.
#pragma once

#include <string>

#include "handlers/table/ExtHandlerTable.h"

namespace kestrel {

// Expands the placeholders ($P $O $F $N $E $I, lower case for short forms)
// and the optional <segments> of an argument template.
std::string ExpandArguments(const std::string& templ, const std::string& file,
                            const std::string& installFolder);

// Runs the entry's program with its Option (install) or RestOption
// (restore) template on `file` and waits for it. Answers `file`, or "" when
// the program could not be started (after saying so).
std::string RunForInstall(const ExtHandler& entry, const std::string& file,
                          const std::string& installFolder);
std::string RunForRestore(const ExtHandler& entry, const std::string& file,
                          const std::string& installFolder);

// What to queue for `file` under the entry at `index`: the path, "" for
// nothing, or "ERROR".
std::string ConvertForInstall(const ExtHandlerTable& table, int index, const std::string& file,
                              const std::string& installFolder);

// The command line a run uses (program, one blank, expanded arguments).
std::string CommandLineFor(const ExtHandler& entry, const std::string& templ,
                           const std::string& file, const std::string& installFolder);

}  // namespace kestrel
