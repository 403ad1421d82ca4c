// The main window's geometry record, Software\Tolva\Kestrel+\Window: one
// integer value each for left, top, width, height and the splitter (the
// user tree's width).
#pragma once

#include <optional>

namespace kestrel {

inline constexpr const char* kWindowKey = "Software\\Tolva\\Kestrel+\\Window";

// The window's geometry when nothing is stored: left 176, top 105, client
// area 645 x 432, user tree 169 wide. It cannot be made smaller than 555 x 300.
struct DesignGeometry {
  static constexpr int kLeft = 176;
  static constexpr int kTop = 105;
  static constexpr int kWidth = 645;
  static constexpr int kHeight = 432;
  static constexpr int kTreeWidth = 169;
  static constexpr int kMinWidth = 555;
  static constexpr int kMinHeight = 300;
};

// What is stored and counts: a position of -9999 and a size of 0 count as
// not stored.
struct WindowState {
  std::optional<int> left;
  std::optional<int> top;
  std::optional<int> width;
  std::optional<int> height;
  std::optional<int> splitter;
};

WindowState LoadWindowState();
// Opens or creates the key and writes all five; a store that refuses is
// ignored.
void SaveWindowState(int left, int top, int width, int height, int splitter);

}  // namespace kestrel
