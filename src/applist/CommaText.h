// The comma text of one AppList line: the splitter that reads it and the
// quoting that writes it. Works on Shift_JIS bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Splits a line into its fields:
// - characters with codes 1-32 before a field and around a separating comma
//   are skipped;
// - a field starting with a double quote runs to the next lone double quote,
//   two double quotes inside standing for one; commas and blanks inside
//   belong to the field; a quote that is never closed takes the rest of the
//   line;
// - an unquoted field ends at the first comma or character with a code from
//   1 to 32, so a blank inside it starts a new field;
// - a double-byte character is stepped over whole (its trail byte is never
//   a quote, comma or blank; a lead byte before one of those is no
//   character, and the quote, comma or blank counts).
// A comma at the very end adds no empty field; an empty line has no field.
std::vector<std::string> SplitCommaText(std::string_view line);

// The first `max` fields as views, without a copy where a field needs no
// unquoting; those that do are made in `scratch`, which is sized once so
// that the views stay valid while `line` and `scratch` are. Answers how many
// fields the views hold (at most `max`; fewer when the line has fewer).
int CommaFieldViews(std::string_view line, std::string_view* fields, int max, std::string& scratch);

// Where the first six fields of a line lie in it, found once for a line
// that is read many times (the AppList's, by the categories, the sort and
// the listing). `count` is how many fields there are, or kUnknown when one
// of them is no plain run of the line's bytes (it holds a doubled quote) or
// the line is too long for the offsets: such a line is split again when
// read.
struct CommaFieldSpans {
  static constexpr int kFields = 6;
  static constexpr std::uint8_t kUnknown = 0xFF;
  std::uint16_t at[kFields];
  std::uint16_t size[kFields];
  std::uint8_t count;

  bool known() const { return count != kUnknown; }
  // The fields as views of `line`, which must be the line the spans were
  // found in; answers their number. Only for known spans.
  int Views(std::string_view line, std::string_view* fields) const {
    for (int i = 0; i < count; ++i) fields[i] = std::string_view(line.data() + at[i], size[i]);
    return count;
  }
};
// The spans of a line's fields, with the fields' views (as CommaFieldViews
// gives them, up to six) in `fields`.
CommaFieldSpans FindCommaFieldSpans(std::string_view line, std::string_view* fields, int& count,
                                    std::string& scratch);

// Field 0 alone, as SplitCommaText would give it ("" for a line without
// fields); the look-up reads nothing else of the lines it probes.
std::string FirstCommaField(std::string_view line);

// Field 0 without copying it where it needs no unquoting; otherwise made
// in `scratch`. Valid while `line` and `scratch` are.
std::string_view FirstCommaFieldView(std::string_view line, std::string& scratch);

// Field `index` alone ("" when the line has fewer fields); the others are
// stepped over without being kept.
std::string CommaField(std::string_view line, int index);

// One field between double quotes, a double quote inside doubled so that
// SplitCommaText gives the text back.
std::string QuoteCommaField(std::string_view field);

}  // namespace kestrel
