// The viewer's rendering of HTML as readable text: whitespace folded, a few
// entities replaced, scripts and styles dropped, structure tags turned into
// line breaks and the markers the viewer colours ("[[ title ]]",
// "[| heading |]", "<Image:src>", "・" bullets, dash rules).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "viewer/HtmlParse.h"

namespace kestrel {

class HtmlRenderer {
 public:
  // `wrapWidth` is the display's wrap width in bytes; it sets the rule length.
  explicit HtmlRenderer(int wrapWidth = 80) : wrapWidth_(wrapWidth) {}

  // Empties the rendered text, break count 0, skipping off.
  void Reset();
  void SetWrapWidth(int wrapWidth) { wrapWidth_ = wrapWidth; }
  int WrapWidth() const { return wrapWidth_; }

  // Binds the two handlers below to the parser's events, and has the
  // parser let go the tags that do nothing.
  void Attach(THtmlParse& parser);

  void HtmlParse1HtmlText(std::string_view text);
  void HtmlParse1HtmlTag(std::string_view tag, const std::vector<std::string_view>& options);

  const std::string& RenderedText() const { return rendered_; }
  // Hands over the text rendered so far and starts collecting afresh; the
  // break count and skipping carry on, so a document can be rendered and
  // written out piece by piece.
  std::string TakeRenderedText();
  // Line breaks received since the last text (counted up to 2, all that matters).
  int BreakCount() const { return breaks_; }
  bool Skipping() const { return skipping_; }

  // The dash rule of an HR tag: wrap width - 20 dashes, or the wrap width
  // itself when it is below 21.
  std::string Rule() const;

 private:
  void AddBreaks(int count);
  // Line ends until `count` of them stand before what comes next.
  void BreakTo(int count);

  int wrapWidth_;
  std::string rendered_;
  int breaks_ = 0;
  bool skipping_ = false;
};

// Splits a text at CR, LF and CR LF; a final line break adds no empty line.
std::vector<std::string> SplitHtmlLines(std::string_view text);

// Renders a Shift_JIS HTML document; answers the rendered text.
std::string RenderHtmlText(std::string_view html, int wrapWidth);
// What the viewer does with a document's lines: joins them with CR LF,
// renders them and answers the rendered text's lines.
std::vector<std::string> RenderHtmlLines(const std::vector<std::string>& lines, int wrapWidth);

}  // namespace kestrel
