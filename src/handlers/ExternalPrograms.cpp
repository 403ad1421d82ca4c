#include "handlers/ExternalPrograms.h"

#include "common/Translate.h"

#include <optional>

#include "common/MessageBoxes.h"
#include "common/Paths.h"
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

}  // namespace

std::string ExpandArguments(const std::string& templ, const std::string& file,
                            const std::string& installFolder) {
  // Placeholders, in one pass: a replacement is not searched again (a file
  // whose name holds "$P" would otherwise grow the text without end), and
  // each letter's text is worked out once however often it is used.
  std::optional<std::string> known[256];
  auto placeholder = [&](char c) -> const std::string& {
    auto& slot = known[static_cast<unsigned char>(c)];
    if (!slot) slot = Placeholder(c, file, installFolder);
    return *slot;
  };
  std::string s;
  s.reserve(templ.size());
  for (std::size_t i = 0; i < templ.size();) {
    if (templ[i] != '$' || i + 1 >= templ.size()) {
      s += templ[i++];
      continue;
    }
    const std::string& r = placeholder(templ[i + 1]);
    if (r.empty()) {
      ++i;  // the letter stays; "$$N" becomes "$N" and expands next
    } else {
      s += r;
      i += 2;
    }
  }
  // Optional segments: kept without brackets when they name an existing
  // file, and then looked at again; the ">" is looked for after the "<", so
  // a stray ">" before it cannot stop the pass from ending. What is still to
  // be looked at is kept reversed, so that taking from its front and putting
  // a kept segment back costs only the segment.
  std::string rest(s.rbegin(), s.rend());
  std::string out;
  out.reserve(s.size());
  for (;;) {
    std::size_t open = rest.rfind('<');
    if (open == std::string::npos || open == 0) break;
    out.append(rest.rbegin(), rest.rbegin() + static_cast<std::ptrdiff_t>(rest.size() - open - 1));
    std::size_t close = rest.rfind('>', open - 1);
    if (close == std::string::npos) {
      rest.resize(open + 1);
      break;
    }
    std::string inner(rest.rbegin() + static_cast<std::ptrdiff_t>(rest.size() - open),
                      rest.rbegin() + static_cast<std::ptrdiff_t>(rest.size() - close - 1));
    rest.resize(open);
    if (NamesExistingFile(inner)) {
      rest.erase(close, 1);
    } else {
      rest.resize(close);
    }
  }
  out.append(rest.rbegin(), rest.rend());
  return out;
}

std::string CommandLineFor(const ExtHandler& entry, const std::string& templ,
                           const std::string& file, const std::string& installFolder) {
  // Without 8.3 names a program path may hold blanks: quote it.
  return QuoteArgument(ProgramPathOf(entry)) + " " + ExpandArguments(templ, file, installFolder);
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
