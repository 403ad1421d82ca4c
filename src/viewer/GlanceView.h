// What the Glance viewer shows of a file, without a window: the caption
// and its suffix, the text in Shift_JIS (converted from another Japanese
// encoding, replaced by a short message for binary data, optionally
// rendered from HTML), the font switch, and the address a click opens.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "widgets/TextHighlight.h"
#include "widgets/TextTokens.h"

namespace kestrel {

struct GlanceContent {
  int code = 0;            // what InCodeCheck found (a JCode)
  std::string suffix;      // "", " (BINARY)" or " (OTHER)"
  std::string text;        // Shift_JIS, lines joined with CR LF
};

// The caption: "Glancer (ESCで終了) - " + the file's name without folder + suffix.
std::string GlanceCaption(const std::string& path, const std::string& suffix);

// The lines of a file's bytes (split at CR, LF and CR LF) joined with CR LF.
std::string JoinedLines(std::string_view bytes);

// What the viewer shows of these bytes. `fileName` decides whether HTML is
// rendered (".htm" or ".html", any case, with `htmlConv` on); `wrapWidth`
// is the display's, for the rendered rules.
GlanceContent MakeGlanceContent(std::string_view bytes, const std::string& fileName, bool htmlConv,
                                int wrapWidth);
// The same for a file; nullopt with `error` set when it cannot be read.
std::optional<GlanceContent> LoadGlanceContent(const std::string& path, bool htmlConv, int wrapWidth,
                                               std::string* error);

// Why the viewer cannot show a file: "" when it can; else the reason (not
// a regular file, larger than the bound of a whole-file read, or the
// system's). Such a file gets a message instead of a window.
std::string GlanceRefusal(const std::string& path);

// The three lines shown for binary data, in Shift_JIS.
std::string BinaryMessageText();

// Fonts: the character set decides which of the two is in use.
enum class GlanceCharset { ShiftJis, Ansi };
struct GlanceFont {
  std::string name;
  int size = 9;  // points
  GlanceCharset charset = GlanceCharset::ShiftJis;
  friend bool operator==(const GlanceFont&, const GlanceFont&) = default;
};
struct GlanceFonts {
  std::string jpName;
  int jpSize = 9;
  std::string enName;
  int enSize = 9;
  GlanceFont japanese() const { return {jpName, jpSize, GlanceCharset::ShiftJis}; }
  GlanceFont western() const { return {enName, enSize, GlanceCharset::Ansi}; }
  // The "c" key: Western after Japanese, Japanese after anything else.
  GlanceFont after(const GlanceFont& current) const {
    return current.charset != GlanceCharset::ShiftJis ? japanese() : western();
  }
};
// A font size in points as pixels on a 96-dpi screen (9 points: 12 pixels).
int PointsToPixels(int points);

// The viewer's colours: black on white; the title, heading, image and tag
// markers of rendered HTML; addresses; the words about kinds of software.
HighlightRules GlanceHighlightRules();

// What a click on a token opens: a web address unchanged, a mail address
// with "mailto:" in front unless it starts with it; "" for anything else.
std::string AddressToOpen(const TextToken& token);

}  // namespace kestrel
