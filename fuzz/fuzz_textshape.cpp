// The text formatter with arbitrary settings, user tables and paragraph
// lists: nothing may read outside the text or either side of a table.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "install/TextShape.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  kestrel::ShapeSettings settings;
  settings.convKana = input.ConsumeIntegralInRange(-1, 3);
  settings.convAlpha = input.ConsumeIntegralInRange(-1, 3);
  settings.convUser1 = input.ConsumeIntegralInRange(-1, 3);
  settings.convUser2 = input.ConsumeIntegralInRange(-1, 3);
  settings.trim = input.ConsumeBool();
  settings.margeLine = input.ConsumeBool();
  if (input.ConsumeBool()) {
    settings.hanUserDef1 = input.ConsumeRandomLengthString(64);
    settings.zenUserDef1 = input.ConsumeRandomLengthString(64);
    settings.hanUserDef2 = input.ConsumeRandomLengthString(16);
    settings.zenUserDef2 = input.ConsumeRandomLengthString(16);
  }
  std::string endChars = input.ConsumeRandomLengthString(16);
  std::string startChars = input.ConsumeRandomLengthString(16);
  std::string text = input.ConsumeRemainingBytesAsString();

  kestrel::ShapeText(text, settings);

  // The conversions on their own, with the tables exactly as given.
  std::string full = kestrel::ToFullWidth(text, settings.hanUserDef1, settings.zenUserDef1);
  std::string half = kestrel::ToHalfWidth(text, settings.hanUserDef1, settings.zenUserDef1);
  if (full.size() > 2 * text.size() || half.size() > text.size()) __builtin_trap();
  kestrel::JoinLines(kestrel::SplitTextLines(text), endChars, startChars);
  return 0;
}
