// The Glance viewer without a window: what it would show of a file.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "Verbs.h"
#include "viewer/GlanceView.h"
#include "widgets/TextLayout.h"

namespace kestrel::tool {
namespace {

int ParseWidth(const std::string& text) {
  char* end = nullptr;
  long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 2 || n > 1000000) {
    throw UsageError("--width must be a whole number from 2 to 1000000, not \"" + text + "\"");
  }
  return static_cast<int>(n);
}

VerbRegistration view(
    "view",
    "view [--html] [--width N] FILE    (the caption's suffix, then the rows the viewer shows, "
    "wrapped at N bytes (80), in Shift_JIS)",
    [](const VerbArgs& args) {
      bool html = false;
      int width = 80;
      std::string file;
      bool haveFile = false;
      for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--html") {
          html = true;
        } else if (a == "--width") {
          if (i + 1 >= args.size()) throw UsageError("--width needs a value");
          width = ParseWidth(args[++i]);
        } else if (a.size() > 1 && a[0] == '-') {
          throw UsageError("unknown option " + a);
        } else {
          if (haveFile) throw UsageError("more than one FILE given");
          file = a;
          haveFile = true;
        }
      }
      if (!haveFile) throw UsageError("FILE is required");
      std::string error;
      auto content = LoadGlanceContent(file, html, width, &error);
      if (!content) {
        std::fprintf(stderr, "kestrel-tool view: cannot read %s: %s\n", file.c_str(), error.c_str());
        return 1;
      }
      std::string out = content->suffix.empty() ? std::string() : content->suffix.substr(1);
      out.push_back('\n');
      out.reserve(out.size() + content->text.size() + content->text.size() / 16 + 64);
      AppendWrappedRows(content->text, width, true, out);
      content.reset();
      WriteOutput(out);
      if (std::ferror(stdout)) throw std::runtime_error("cannot write standard output");
      return 0;
    });

}  // namespace
}  // namespace kestrel::tool
