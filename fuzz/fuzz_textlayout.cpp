// Any bytes as a document in the text pane: laid out at a width taken from
// the first byte, whole and appended byte by byte, with addresses and
// colours found in every line. Rows must cover each line exactly, start on
// character boundaries and stay within the width plus the hanging room, and
// both ways of laying out must agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "widgets/LineBreaker.h"
#include "widgets/TextHighlight.h"
#include "widgets/TextLayout.h"
#include "widgets/TextTokens.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  using namespace kestrel;
  const int width = 1 + data[0] % 40;
  const bool dbcs = (data[0] & 0x80) == 0;
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  TextLayout whole;
  whole.setDoubleByte(dbcs);
  whole.setWrapWidth(width);
  whole.setText(text);
  const std::size_t limit = static_cast<std::size_t>(std::max(width, kMinWrapWidth)) + 2;
  std::string rows;
  for (std::size_t r = 0; r < whole.rowCount(); ++r) {
    std::string_view row = whole.row(r);
    if (row.size() > limit) std::abort();
    rows.append(row);
    rows.push_back('\n');
  }
  std::string direct;
  AppendWrappedRows(text, width, dbcs, direct);
  if (direct != rows) std::abort();

  HighlightRules rules;
  rules.spans = {{"[[", "]]", {}}, {"<", ">", {}}};
  rules.words = {"OK", "\x83\x5C"};
  for (std::size_t i = 0; i < whole.lineCount(); ++i) {
    std::string_view line = whole.line(i);
    std::size_t covered = 0;
    for (const StyledRun& run : StyleLine(line, rules, dbcs)) {
      if (run.start != covered) std::abort();
      covered += run.length;
    }
    if (covered != line.size()) std::abort();
    for (const TextToken& t : FindTokens(line, dbcs)) {
      if (t.start + t.length > line.size() || t.text != line.substr(t.start, t.length)) std::abort();
    }
  }

  // The last line grown byte by byte lays out as the whole did.
  if (whole.lineCount() > 0) {
    std::string_view last = whole.line(whole.lineCount() - 1);
    TextLayout grown;
    grown.setDoubleByte(dbcs);
    grown.setWrapWidth(width);
    for (char c : last) {
      grown.appendToLastLine(std::string_view(&c, 1));
      grown.rowCount();
    }
    std::size_t first = whole.firstRowOf(whole.lineCount() - 1);
    if (grown.rowCount() != whole.rowCount() - first && !last.empty()) std::abort();
    for (std::size_t r = 0; r < grown.rowCount() && !last.empty(); ++r) {
      if (grown.row(r) != whole.row(first + r)) std::abort();
    }
  }
  return 0;
}
