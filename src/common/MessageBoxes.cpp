#include "common/MessageBoxes.h"

#include <cstdio>

#include "common/Translate.h"

namespace kestrel {
namespace {

constexpr std::size_t kTextLimit = 1024;

// Cuts a UTF-8 text to the limit without splitting a character.
void Limit(std::string& text) {
  if (text.size() < kTextLimit) return;
  std::size_t n = kTextLimit - 1;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  text.resize(n);
}

// A marked format is shown in the interface language; its arguments
// (names, paths) never are.
Button Show(BoxKind kind, const char* format, std::va_list args) {
  return ThePrompter().show(kind, Tr(BoxCaption(kind)), FormatTextV(Tr(format), args));
}

}  // namespace

std::string FormatTextV(const char* format, std::va_list args) {
  std::va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n < 0) return format;
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<std::size_t>(n));
  Limit(text);
  return text;
}

std::string FormatText(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = FormatTextV(format, args);
  va_end(args);
  return text;
}

#define KESTREL_BOX(Name, Kind)                  \
  Button Name(const char* format, ...) {         \
    std::va_list args;                           \
    va_start(args, format);                      \
    Button b = Show(Kind, format, args);         \
    va_end(args);                                \
    return b;                                    \
  }

KESTREL_BOX(InfoBox, BoxKind::Info)
KESTREL_BOX(ErrorBox, BoxKind::Error)
KESTREL_BOX(ConfirmBox, BoxKind::Confirm)
KESTREL_BOX(ConfirmCancelBox, BoxKind::ConfirmCancel)

}  // namespace kestrel
