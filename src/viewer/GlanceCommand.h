// The command that opens the Glance viewer on an archive member: extract
// it, place and show the viewer modally, keep its rectangle when the user
// wants that, and delete the extracted copy when the viewer has closed.
#pragma once

#include <functional>
#include <string>

#include "common/PlaceDialog.h"
#include "viewer/GlanceView.h"

namespace kestrel {

class UserInfo;

// What the viewer window is handed before it is shown.
struct GlanceRequest {
  std::string path;      // the extracted copy
  bool htmlConv = false;
  GlanceFonts fonts;
  Rect place;            // left, top, width, height of the window
};

// Shows the viewer modally; answers its rectangle when it closed.
using GlanceShow = std::function<Rect(const GlanceRequest&)>;
// Extracts a member; the extracted file's path or "" (after telling the user).
using GlanceExtract = std::function<std::string(const std::string& archive, const std::string& member)>;

// Where the viewer opens: the saved rectangle when "GlanceSavePos" is on
// and the saved width and height are both non-zero, else the main window's.
Rect GlancePlace(const UserInfo& user, const Rect& mainWindow);
// After the viewer closed: with "GlanceSavePos" on, its rectangle becomes
// "GlancePosX", "GlancePosY", "GlanceWidth", "GlanceHeight" and the user's
// settings are saved.
void KeepGlancePlace(UserInfo& user, const Rect& closedAt);

// The whole command for one member. False when nothing was shown (the
// extraction failed: no window, nothing left in the unpack folder).
bool OpenGlance(UserInfo& user, const std::string& archive, const std::string& member,
                const Rect& mainWindow, const GlanceShow& show,
                const GlanceExtract& extract = nullptr);

}  // namespace kestrel
