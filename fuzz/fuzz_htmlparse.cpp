// The HTML tokenizer with the viewer's renderer on arbitrary bytes: the
// first byte picks the wrap width, the second whether a tag stops parsing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/HtmlParse.h"
#include "viewer/HtmlRenderer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int width = static_cast<int>(data[0]) - 8;
  const bool stopAtTag = (data[1] & 1) != 0;
  std::string_view html(reinterpret_cast<const char*>(data + 2), size - 2);

  kestrel::THtmlParse parser;
  kestrel::HtmlRenderer renderer(width);
  renderer.Attach(parser);
  auto render = parser.OnHtmlTagView;
  std::size_t tags = 0;
  parser.OnHtmlTagView = [&](kestrel::THtmlParse& sender, std::string_view tag,
                             const std::vector<std::string_view>& options) {
    for (std::string_view option : options) {
      if (option.empty() || option.size() > kestrel::THtmlParse::kMaxToken) __builtin_trap();
    }
    render(sender, tag, options);
    if (stopAtTag && ++tags == 3) sender.Terminate();
  };
  parser.ContentFromBytes(html);
  kestrel::SplitHtmlLines(renderer.RenderedText());

  // The same document in two blocks renders the same.
  if (!stopAtTag) {
    const std::size_t cut = data[1] % (html.size() + 1);
    kestrel::THtmlParse blocks;
    kestrel::HtmlRenderer pieces(width);
    pieces.Attach(blocks);
    blocks.Begin();
    blocks.Feed(html.substr(0, cut));
    blocks.Feed(html.substr(cut));
    blocks.End();
    if (pieces.RenderedText() != renderer.RenderedText()) __builtin_trap();
  }
  return 0;
}
