// Verbs over document text: HTML rendered as the viewer shows it, and the
// text formatting applied before a converter runs. Bytes in from FILE or
// standard input, bytes out on standard output.
#include <charconv>
#include <optional>
#include <stdexcept>

#include "BlockIo.h"
#include "Verbs.h"
#include "install/TextShape.h"
#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "viewer/HtmlRenderer.h"

namespace kestrel::tool {
namespace {

int ParseNumber(const std::string& option, const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) {
    throw UsageError(option + " needs a number, not \"" + text + "\"");
  }
  return value;
}

const std::string& OptionArgument(const VerbArgs& args, std::size_t& i) {
  if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a value");
  return args[++i];
}

// The formatting settings of a registered user, read straight from the
// user's key with the values assumed when one is absent. Kept apart so the
// per-user settings object can take its place.
ShapeSettings ReadUserShapeSettings(const std::string& user) {
  if (user.empty() || user.find('\\') != std::string::npos) {
    throw UsageError("\"" + user + "\" is not a user name");
  }
  const std::string path = "Software\\Tolva\\Kestrel+\\Users\\" + user;
  std::optional<RegKey> key = RegKey::Open(TheRegistry(), Hive::CurrentUser, path, false);
  if (!key) throw std::runtime_error("no user \"" + user + "\" (HKCU\\" + path + " is missing)");

  ShapeSettings settings;
  auto number = [&](const char* name, int& field) {
    field = static_cast<int>(key->readDword(name, static_cast<std::uint32_t>(field)));
  };
  auto table = [&](const char* name, std::string& field) {
    if (key->hasValue(name)) field = Utf8ToCp932(key->readString(name));
  };
  number("ConvKana", settings.convKana);
  number("ConvAlpha", settings.convAlpha);
  number("ConvUser1", settings.convUser1);
  number("ConvUser2", settings.convUser2);
  settings.trim = key->readBool("Trim", settings.trim);
  settings.margeLine = key->readBool("MargeLine", settings.margeLine);
  table("HanUserDef1", settings.hanUserDef1);
  table("ZenUserDef1", settings.zenUserDef1);
  table("HanUserDef2", settings.hanUserDef2);
  table("ZenUserDef2", settings.zenUserDef2);
  return settings;
}

// Rendered text in, lines ended by LF out: CR LF, CR and LF each end a line,
// and a last line without a break gets one.
class HtmlLineWriter {
 public:
  explicit HtmlLineWriter(std::string& out) : out_(out) {}
  void Add(std::string_view text) {
    while (!text.empty()) {
      if (cr_) {
        cr_ = false;
        if (text[0] == '\n') text.remove_prefix(1);  // the LF of a CR LF
        continue;
      }
      std::size_t cr = text.find('\r');
      std::string_view plain = text.substr(0, cr);
      out_.append(plain);
      if (!plain.empty()) open_ = plain.back() != '\n';
      if (cr == std::string_view::npos) break;
      out_ += '\n';
      open_ = false;
      cr_ = true;
      text.remove_prefix(cr + 1);
    }
  }
  void Finish() {
    if (open_) out_ += '\n';
    open_ = false;
  }

 private:
  std::string& out_;
  bool cr_ = false;    // the last byte was a CR: an LF next belongs to it
  bool open_ = false;  // a line has begun and not ended
};

VerbRegistration html2text(
    "html2text", "html2text [--width N] [FILE]   (Shift_JIS HTML rendered as the viewer shows it)",
    [](const VerbArgs& args) {
      int width = 80;
      std::string file;
      for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--width") {
          width = ParseNumber("--width", OptionArgument(args, i));
          if (width < 1) throw UsageError("--width must be at least 1");
        } else if (args[i].size() > 1 && args[i][0] == '-') {
          throw UsageError("unknown option " + args[i]);
        } else if (file.empty()) {
          file = args[i];
        } else {
          throw UsageError("only one FILE");
        }
      }
      // Block by block: the rendered lines go out as they come, each ended
      // by LF, as SplitHtmlLines would cut the whole rendered text.
      BlockReader in(file);
      BlockWriter out;
      THtmlParse parser;
      HtmlRenderer renderer(width);
      renderer.Attach(parser);
      HtmlLineWriter lines(out.Buffer());
      parser.Begin();
      for (std::string_view block = in.Next(); !block.empty(); block = in.Next()) {
        parser.Feed(block);
        lines.Add(renderer.TakeRenderedText());
        out.MaybeFlush();
      }
      parser.End();
      lines.Add(renderer.TakeRenderedText());
      lines.Finish();
      out.Flush();
      return 0;
    });

VerbRegistration shape(
    "shape",
    "shape [--user NAME] [--kana N] [--alpha N] [--user1 N] [--user2 N] [--trim|--no-trim] "
    "[--join|--no-join] [FILE]   (formatted text, lines ending in CR LF; N: 0 none, 1 full "
    "width, 2 half width)",
    [](const VerbArgs& args) {
      // The user's settings first, then the options over them, whatever
      // their order on the command line.
      std::optional<std::string> user;
      for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--user") user = OptionArgument(args, i);
      }
      ShapeSettings settings = user ? ReadUserShapeSettings(*user) : ShapeSettings();

      std::string file;
      bool haveFile = false;
      for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--user") {
          ++i;
        } else if (arg == "--kana") {
          settings.convKana = ParseNumber(arg, OptionArgument(args, i));
        } else if (arg == "--alpha") {
          settings.convAlpha = ParseNumber(arg, OptionArgument(args, i));
        } else if (arg == "--user1") {
          settings.convUser1 = ParseNumber(arg, OptionArgument(args, i));
        } else if (arg == "--user2") {
          settings.convUser2 = ParseNumber(arg, OptionArgument(args, i));
        } else if (arg == "--trim" || arg == "--no-trim") {
          settings.trim = arg == "--trim";
        } else if (arg == "--join" || arg == "--no-join") {
          settings.margeLine = arg == "--join";
        } else if (arg.size() > 1 && arg[0] == '-') {
          throw UsageError("unknown option " + arg);
        } else if (!haveFile) {
          file = arg;
          haveFile = true;
        } else {
          throw UsageError("only one FILE");
        }
      }
      WriteOutput(ShapeText(ReadInput(file), settings));
      return 0;
    });

}  // namespace
}  // namespace kestrel::tool
