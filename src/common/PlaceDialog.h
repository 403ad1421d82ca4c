// Where a dialog of a given size goes: centred over the main window, kept
// inside the desktop work area.
#pragma once

namespace kestrel {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct Point {
  int x = 0;
  int y = 0;
};

Point PlaceDialog(const Rect& mainWindow, const Rect& workArea, int width, int height);

}  // namespace kestrel
