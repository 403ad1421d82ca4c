#include "handlers/ExternalPrograms.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/MessageBoxes.h"
#include "common/Paths.h"
#include "common/Translate.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"

namespace kestrel {
namespace {

std::string NameWithoutExtension(const std::string& path) {
  std::string name = FileNameOf(path);
  return name.substr(0, name.size() - ExtensionOf(name).size());
}

std::string Placeholder(char c, const std::string& file, const std::string& installFolder) {
  switch (c) {
    case 'P': return file;
    case 'O': return FolderOf(file);
    case 'F': return FileNameOf(file);
    case 'N': return NameWithoutExtension(file);
    case 'E': return ExtensionOf(file);
    case 'I': return installFolder;
    case 'p': return ShortPath(file);
    case 'o': return FolderOf(ShortPath(file));
    case 'f': return FileNameOf(ShortPath(file));
    case 'n': return NameWithoutExtension(ShortPath(file));
    case 'e': return ExtensionOf(ShortPath(file));
    case 'i': return ShortPath(installFolder);
    default: return "";
  }
}

// The program as the command line names it: its short form where it exists,
// else as given (so a missing program is reported by its own name).
std::string ProgramPathOf(const ExtHandler& entry) {
  return TheFileSystem().exists(entry.Path) ? ShortPath(entry.Path) : entry.Path;
}

bool NamesExistingFile(const std::string& path) {
  return !path.empty() && TheFileSystem().exists(path) && !TheFileSystem().isDirectory(path);
}

std::string Run(const ExtHandler& entry, const std::string& templ, const std::string& file,
                const std::string& installFolder) {
  std::string workDir;
  if (entry.WorkDir.empty()) {
    std::string folder = FolderOf(ProgramPathOf(entry));
    workDir = folder.size() > 1 ? WithoutTrailingBackslash(folder) : folder;
  } else {
    workDir = ShortPath(entry.WorkDir);
  }
  ProcessResult r = RunAndWait(CommandLineFor(entry, templ, file, installFolder), workDir,
                               entry.ShowWindow);
  if (!r.started) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "%s が実行できません。\n\n %s"), FileNameOf(entry.Path).c_str(), r.error.c_str());
    return "";
  }
  return file;
}

// An expanded template: the text, and for each of its bytes whether it came
// from a placeholder. Such a byte is part of a path and nothing else: no
// blank, quote or angle bracket in a file name can end an argument, start
// another one or make an optional segment.
struct Expansion {
  std::string text;
  std::vector<bool> fromName;
};

// The template with its placeholders replaced, before the segments.
struct Replaced {
  enum Kind : char { kTemplate, kName, kGone };
  std::string text;
  std::vector<Kind> kinds;

  // The first '<' or '>' at or after `from` that the template wrote.
  std::size_t bracket(char c, std::size_t from) const {
    for (std::size_t i = text.find(c, from); i != std::string::npos; i = text.find(c, i + 1)) {
      if (kinds[i] == kTemplate) return i;
    }
    return std::string::npos;
  }
  // The bytes of [from, to) still there, appended to `out`.
  void copy(std::size_t from, std::size_t to, Expansion& out) const {
    for (std::size_t i = from; i < to; ++i) {
      if (kinds[i] == kGone) continue;
      out.text += text[i];
      out.fromName.push_back(kinds[i] == kName);
    }
  }
};

Expansion Expand(const std::string& templ, const std::string& file, const std::string& installFolder) {
  // Placeholders, in one pass: a replacement is not searched again (a file
  // whose name holds "$P" would otherwise grow the text without end), and
  // each letter's text is worked out once however often it is used.
  std::optional<std::string> known[256];
  auto placeholder = [&](char c) -> const std::string& {
    auto& slot = known[static_cast<unsigned char>(c)];
    if (!slot) slot = Placeholder(c, file, installFolder);
    return *slot;
  };
  Replaced s;
  s.text.reserve(templ.size());
  s.kinds.reserve(templ.size());
  for (std::size_t i = 0; i < templ.size();) {
    if (templ[i] != '$' || i + 1 >= templ.size()) {
      s.text += templ[i++];
      s.kinds.push_back(Replaced::kTemplate);
      continue;
    }
    const std::string& r = placeholder(templ[i + 1]);
    if (r.empty()) {
      ++i;  // the letter stays; "$$N" becomes "$N" and expands next
    } else {
      s.text += r;
      s.kinds.insert(s.kinds.end(), r.size(), Replaced::kName);
      i += 2;
    }
  }
  // Optional segments, from the template's own brackets: kept without them
  // when they name an existing file, and then looked at again; the ">" is
  // looked for after the "<", so a stray ">" before it cannot stop the pass
  // from ending. A kept segment's ">" is only marked gone, so keeping one
  // costs no more than the segment.
  Expansion out;
  out.text.reserve(s.text.size());
  std::size_t at = 0;
  for (;;) {
    std::size_t open = s.bracket('<', at);
    std::size_t close = open == std::string::npos ? open : s.bracket('>', open + 1);
    if (close == std::string::npos) {
      s.copy(at, s.text.size(), out);
      break;
    }
    s.copy(at, open, out);
    Expansion inner;
    s.copy(open + 1, close, inner);
    if (NamesExistingFile(inner.text)) {
      s.kinds[close] = Replaced::kGone;
      at = open + 1;
    } else {
      at = close + 1;
    }
  }
  return out;
}

}  // namespace

std::string ExpandArguments(const std::string& templ, const std::string& file,
                            const std::string& installFolder) {
  return Expand(templ, file, installFolder).text;
}

std::vector<std::string> ArgumentWords(const std::string& templ, const std::string& file,
                                       const std::string& installFolder) {
  Expansion e = Expand(templ, file, installFolder);
  return SplitCommandLine(e.text, &e.fromName);
}

std::string CommandLineFor(const ExtHandler& entry, const std::string& templ,
                           const std::string& file, const std::string& installFolder) {
  // Without 8.3 names a program path may hold blanks: quote it. Each word is
  // quoted so that the start splits exactly these words again.
  std::string line = QuoteArgument(ProgramPathOf(entry));
  for (const std::string& word : ArgumentWords(templ, file, installFolder)) line += " " + QuoteArgument(word);
  return line;
}

std::string RunForInstall(const ExtHandler& entry, const std::string& file,
                          const std::string& installFolder) {
  return Run(entry, entry.Option, file, installFolder);
}

std::string RunForRestore(const ExtHandler& entry, const std::string& file,
                          const std::string& installFolder) {
  return Run(entry, entry.RestOption, file, installFolder);
}

std::string ConvertForInstall(const ExtHandlerTable& table, int index, const std::string& file,
                              const std::string& installFolder) {
  auto entry = table.get(index);
  if (!entry) return "ERROR";
  std::string result = entry->UseExApp ? RunForInstall(*entry, file, installFolder) : file;
  if (result.empty()) return "ERROR";
  switch (entry->InstallMode) {
    case TInstallMode::CopyOriginal: return result;
    case TInstallMode::CopyConvertedPrc:
    case TInstallMode::MoveConvertedPrc: return ReplaceExtension(result, ".prc");
    case TInstallMode::CopyConvertedPdb:
    case TInstallMode::MoveConvertedPdb: return ReplaceExtension(result, ".pdb");
    case TInstallMode::DoNothing: return "";
  }
  return "";  // a stored mode we do not know queues nothing
}

}  // namespace kestrel
