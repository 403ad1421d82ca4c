// The four message boxes. Each formats its text printf-style (%s, %d, %u)
// into at most 1024 bytes, shows it through the prompter and answers the
// button pressed.
#pragma once

#include <cstdarg>
#include <string>

#include "common/Prompter.h"

namespace kestrel {

#define KESTREL_PRINTF(f, a) __attribute__((format(printf, f, a)))

std::string FormatText(const char* format, ...) KESTREL_PRINTF(1, 2);
std::string FormatTextV(const char* format, std::va_list args);

Button InfoBox(const char* format, ...) KESTREL_PRINTF(1, 2);
Button ErrorBox(const char* format, ...) KESTREL_PRINTF(1, 2);
// Yes or No; No is the default. Only Yes goes ahead.
Button ConfirmBox(const char* format, ...) KESTREL_PRINTF(1, 2);
// Yes, No or Cancel; Yes is the default.
Button ConfirmCancelBox(const char* format, ...) KESTREL_PRINTF(1, 2);

}  // namespace kestrel
