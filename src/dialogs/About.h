// The About box TAboutBox ("バージョン情報") without widgets: its texts.
#pragma once

#include <string>

namespace kestrel {

inline constexpr const char* kProductName = "Kestrel Plus";
inline constexpr const char* kRightsNotice = "Copyright (C) 2026 The Kestrel+ Project";
// Our own home page and mail address, as the About box shows them.
inline constexpr const char* kMakerWeb = "http://kestrel-plus.example.org/";
inline constexpr const char* kMakerMail = "mailto:kestrel-plus@example.org";

// The version shown for a file version: the part before its last "."
// ("1.5.2.0" gives "1.5.2"), "（不明）" when that is empty.
std::string VersionShown(const std::string& fileVersion);
// The Version label: its design text "Version " and the version shown.
std::string VersionLabel(const std::string& fileVersion);

}  // namespace kestrel
