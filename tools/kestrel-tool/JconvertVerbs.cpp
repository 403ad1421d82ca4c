// Verbs of the Japanese code conversion: bytes in from FILE or standard
// input, bytes out on standard output, a block at a time (the header words
// excepted, which are one header's text).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>

#include "BlockIo.h"
#include "Verbs.h"
#include "viewer/Jconvert.h"
#include "viewer/JconvertStream.h"

namespace kestrel::tool {
namespace {

// The whole input, for the header words. A regular file is mapped rather
// than copied.
class Input {
 public:
  explicit Input(const std::string& file) {
    int fd = 0;
    if (!file.empty() && file != "-") {
      fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) throw UsageError("cannot read " + file + ": " + std::strerror(errno));
    }
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
      void* p = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (p != MAP_FAILED) {
        map_ = p;
        size_ = static_cast<std::size_t>(st.st_size);
        madvise(p, size_, MADV_SEQUENTIAL);
      }
    }
    if (!map_) ReadAll(fd, file);
    if (fd != 0) close(fd);
  }
  ~Input() {
    if (map_) munmap(map_, size_);
  }
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  std::string_view bytes() const {
    return map_ ? std::string_view(static_cast<const char*>(map_), size_) : std::string_view(data_);
  }

 private:
  void ReadAll(int fd, const std::string& file) {
    char buf[1 << 16];
    while (true) {
      ssize_t got = read(fd, buf, sizeof buf);
      if (got == 0) break;
      if (got < 0) {
        if (errno == EINTR) continue;
        if (fd != 0) close(fd);
        throw UsageError("cannot read " + (file.empty() ? std::string("standard input") : file) +
                         ": " + std::strerror(errno));
      }
      data_.append(buf, static_cast<std::size_t>(got));
    }
  }

  void* map_ = nullptr;
  std::size_t size_ = 0;
  std::string data_;
};

// Writes the result; a full disk or a closed pipe is an error, not success.
void Emit(const std::string& bytes) {
  WriteOutput(bytes);
  if (std::ferror(stdout)) throw std::runtime_error("cannot write standard output");
}

// Every block of the input through a block converter, out as it comes.

template <typename Converter>
void Pump(const std::string& file, Converter& converter, BlockWriter& out) {
  BlockReader in(file);
  for (std::string_view block = in.Next(); !block.empty(); block = in.Next()) {
    converter.Feed(block, out.Buffer());
    out.MaybeFlush();
  }
  converter.Finish(out.Buffer());
  out.Flush();
}

template <typename Converter>
void Pump(const std::string& file, Converter& converter) {
  BlockWriter out;
  Pump(file, converter, out);
}

// Options of the form "--name VALUE" and at most one FILE.
struct Parsed {
  std::map<std::string, std::string> options;
  std::string file;
};

Parsed Parse(const VerbArgs& args, std::initializer_list<const char*> allowed, std::size_t from = 0) {
  Parsed parsed;
  bool haveFile = false;
  for (std::size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.rfind("--", 0) == 0) {
      bool known = false;
      for (const char* name : allowed) known = known || a == name;
      if (!known) throw UsageError("unknown option " + a);
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      parsed.options[a] = args[++i];
    } else {
      if (haveFile) throw UsageError("more than one FILE given");
      parsed.file = a;
      haveFile = true;
    }
  }
  return parsed;
}

std::optional<std::string> Option(const Parsed& p, const std::string& name) {
  auto it = p.options.find(name);
  if (it == p.options.end()) return std::nullopt;
  return it->second;
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
  }
  return s;
}

// "sjis", "CODE_SJIS" or "5" and so on.
int ParseCode(const std::string& text) {
  std::string t = Lower(text);
  if (t.rfind("code_", 0) == 0) t = t.substr(5);
  for (char& c : t) {
    if (c == '-') c = '_';
  }
  if (t.size() == 1 && t[0] >= '0' && t[0] <= '6') return t[0] - '0';
  static const std::map<std::string, int> names = {
      {"ascii", CODE_ASCII}, {"binary", CODE_BINARY},  {"jis", CODE_JIS_NEW},
      {"jis_new", CODE_JIS_NEW}, {"jis_old", CODE_JIS_OLD}, {"euc", CODE_EUC},
      {"sjis", CODE_SJIS},   {"euc_or_sjis", CODE_EUC_OR_SJIS}};
  auto it = names.find(t);
  if (it == names.end()) throw UsageError("unknown code " + text);
  return it->second;
}

int ParseTarget(const std::string& text) {
  std::string t = Lower(text);
  if (t == "sjis") return CODE_SJIS;
  if (t == "euc") return CODE_EUC;
  if (t == "jis") return CODE_JIS_NEW;
  throw UsageError("--to must be sjis, euc or jis");
}

std::string LineBreak(const Parsed& p, bool allowNone) {
  std::string eol = Lower(Option(p, "--eol").value_or("lf"));
  if (eol == "lf") return "\n";
  if (eol == "crlf") return "\r\n";
  if (allowNone && eol == "none") return "";
  throw UsageError(allowNone ? "--eol must be crlf, lf or none" : "--eol must be crlf or lf");
}

VerbRegistration guess("guess", "guess [FILE]    (prints the Japanese encoding: CODE_SJIS, ...)",
                       [](const VerbArgs& args) {
                         Parsed p = Parse(args, {});
                         // Read only as far as the guess needs.
                         BlockReader in(p.file);
                         JcodeGuesser guesser;
                         for (std::string_view block = in.Next(); !block.empty() && !guesser.Decided();
                              block = in.Next()) {
                           guesser.Feed(block);
                         }
                         std::printf("%s\n", JCodeName(guesser.Finish()));
                         return 0;
                       });

VerbRegistration conv(
    "conv", "conv --to sjis|euc|jis [--from CODE] [FILE]    (converts the Japanese encoding)",
    [](const VerbArgs& args) {
      Parsed p = Parse(args, {"--to", "--from"});
      auto to = Option(p, "--to");
      if (!to) throw UsageError("--to is required");
      int target = ParseTarget(*to);
      auto from = Option(p, "--from");
      int source = from ? ParseCode(*from) : -1;
      if (from) {
        JcodeConverter converter(source, target);
        Pump(p.file, converter);
      } else {
        AutoJcodeConverter converter(target);
        BlockWriter out;
        converter.SetDrain([&out](std::string&) { out.Flush(); });
        Pump(p.file, converter, out);
      }
      return 0;
    });

VerbRegistration eol("eol", "eol --to crlf|cr|lf [FILE]    (converts the line ends)",
                     [](const VerbArgs& args) {
                       Parsed p = Parse(args, {"--to"});
                       auto to = Option(p, "--to");
                       if (!to) throw UsageError("--to is required");
                       std::string t = Lower(*to);
                       int target = t == "crlf" ? LINE_END_CRLF
                                    : t == "cr" ? LINE_END_CR
                                    : t == "lf" ? LINE_END_LF
                                                : -1;
                       if (target < 0) throw UsageError("--to must be crlf, cr or lf");
                       LineEndConverter converter(target);
                       Pump(p.file, converter);
                       return 0;
                     });

// "encode" or "decode" as the first argument; answers true for encode.
bool Direction(const VerbArgs& args) {
  if (args.empty()) throw UsageError("encode or decode expected");
  if (args[0] == "encode") return true;
  if (args[0] == "decode") return false;
  throw UsageError("encode or decode expected, not " + args[0]);
}

enum class Transfer { Base64, UU, BinHex };

int RunTransfer(const VerbArgs& args, Transfer kind) {
  bool encoding = Direction(args);
  Parsed p = encoding ? Parse(args, {"--eol"}, 1) : Parse(args, {}, 1);
  if (!encoding) {
    if (kind == Transfer::Base64) {
      Base64Decoder decoder;
      Pump(p.file, decoder);
    } else if (kind == Transfer::UU) {
      UUDecoder decoder;
      Pump(p.file, decoder);
    } else {
      BinHexDecoder decoder;
      Pump(p.file, decoder);
    }
    return 0;
  }
  std::string lineBreak = LineBreak(p, kind == Transfer::Base64);
  if (kind == Transfer::Base64) {
    // A Base64 text in one line has no line break at all.
    Base64Encoder encoder(lineBreak, !lineBreak.empty());
    Pump(p.file, encoder);
  } else if (kind == Transfer::UU) {
    UUEncoder encoder(lineBreak);
    Pump(p.file, encoder);
  } else {
    BinHexEncoder encoder(lineBreak);
    Pump(p.file, encoder);
  }
  return 0;
}

VerbRegistration base64(
    "base64", "base64 encode|decode [--eol crlf|lf|none] [FILE]    (Base64 body, 76 a line)",
    [](const VerbArgs& args) { return RunTransfer(args, Transfer::Base64); });

VerbRegistration uu("uu", "uu encode|decode [--eol crlf|lf] [FILE]    (uuencode body lines)",
                    [](const VerbArgs& args) { return RunTransfer(args, Transfer::UU); });

VerbRegistration binhex(
    "binhex", "binhex encode|decode [--eol crlf|lf] [FILE]    (BinHex 4.0 6-bit body)",
    [](const VerbArgs& args) {
      return RunTransfer(args, Transfer::BinHex);
    });

VerbRegistration header(
    "header",
    "header encode|decode [FILE]    (Shift_JIS to =?ISO-2022-JP?B?...?= words, or back to JIS)",
    [](const VerbArgs& args) {
      bool encoding = Direction(args);
      Parsed p = Parse(args, {}, 1);
      Input in(p.file);
      Emit(encoding ? CreateHeaderString(in.bytes()) : DecodeHeaderString(in.bytes()));
      return 0;
    });

}  // namespace
}  // namespace kestrel::tool
