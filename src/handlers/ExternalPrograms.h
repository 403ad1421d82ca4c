// Running a user's converter programs: argument templates, the install and
// restore runs, the settings launch.
#pragma once

#include <string>
#include <vector>

#include "handlers/table/ExtHandlerTable.h"

namespace kestrel {

// Expands the placeholders ($P $O $F $N $E $I, lower case for short forms)
// and the optional <segments> of an argument template. Only the template's
// own angle brackets make segments, never those of an expanded name.
std::string ExpandArguments(const std::string& templ, const std::string& file,
                            const std::string& installFolder);
// The arguments a run passes: the expanded template split by the Windows
// rules (Process.h), where a placeholder's text lies whole inside one
// argument whatever it holds (blanks, quotes, backslashes, brackets).
std::vector<std::string> ArgumentWords(const std::string& templ, const std::string& file,
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

// The command line a run uses: the program and the ArgumentWords, each
// quoted as SplitCommandLine needs to give it back.
std::string CommandLineFor(const ExtHandler& entry, const std::string& templ,
                           const std::string& file, const std::string& installFolder);

}  // namespace kestrel
