// Opening what a person clicked: a web or mail address, or the help page,
// through the shell. When nothing on the machine can open it (no desktop,
// no browser), a box says so instead of nothing happening.
#pragma once

#include <string>

namespace kestrel {

inline constexpr const char* kHelpFile = "Kestrel.html";
// The help page of the English interface; the Japanese one without it.
inline constexpr const char* kEnglishHelpFile = "Kestrel_en.html";

// Opens the address; on failure the error box 455 "リンクの実行ができません".
bool OpenLink(const std::string& address);

// Opens the help page at a topic (0 for its start). Missing, or with no
// program to show it, an error box names the page's file.
bool OpenHelp(int topic);

// The file: address of a local file, percent-encoded.
std::string FileAddress(const std::string& path);

}  // namespace kestrel
