// Starting programs. A command line is one text, split into words with the
// Windows command-line rules, so one template serves every platform.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

// Splits a command line the way the Microsoft C runtime does: blanks
// separate words, double quotes group, 2n backslashes before a quote give n
// backslashes and an opening/closing quote, 2n+1 give n and a literal quote,
// and "" inside a quoted word is a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Quotes one word so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(const std::string& word);

struct ProcessResult {
  bool started = false;
  int exitCode = -1;
  std::string error;  // the system's reason when it could not be started
};

// Starts the program named by the first word and waits until it ends. An
// empty `workDir` keeps the current folder. `showWindow` false starts it
// without a window where the platform has windows (no effect here).
ProcessResult RunAndWait(const std::string& commandLine, const std::string& workDir,
                         bool showWindow);

}  // namespace kestrel
