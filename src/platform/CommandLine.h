// Command lines as Windows programs receive them: one text, split into
// arguments by the Microsoft C runtime's rules, so that one command-line
// template works on every platform.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

// Blanks separate arguments; "..." groups; 2n backslashes before a quote
// give n backslashes and the quote acts, 2n+1 give n and a literal quote;
// other backslashes are literal; "" inside a quoted part is a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& line);

}  // namespace kestrel
