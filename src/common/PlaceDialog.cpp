#include "common/PlaceDialog.h"

namespace kestrel {

Point PlaceDialog(const Rect& main, const Rect& work, int width, int height) {
  // Integer division truncates toward zero, as the halves must.
  int left = main.left + (main.width - width) / 2;
  int top = main.top + (main.height - height) / 2;
  int right = work.left + work.width;
  int bottom = work.top + work.height;
  if (left + width > right) left = right - width;
  if (top + height > bottom) top = bottom - height;
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  return {left, top};
}

}  // namespace kestrel
