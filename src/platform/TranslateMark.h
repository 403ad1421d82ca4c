// Marks a fixed interface text for the translation files; the display layer
// translates it where it is shown (platform sits below the translating code).
#pragma once

#include <string>

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace kestrel {

// `format` with its "%s" replaced by `value`: a text whose fixed part the
// display layer can still find and translate.
inline std::string FillIn(const char* format, const std::string& value) {
  std::string text = format;
  auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

}  // namespace kestrel
