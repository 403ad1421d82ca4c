// The desktop's default application per MIME type, by freedesktop's rules:
// desktop entries in $XDG_DATA_HOME/applications and
// $XDG_DATA_DIRS/*/applications, defaults in $XDG_CONFIG_HOME/mimeapps.list,
// read and set through xdg-mime (xdg-utils), which also knows the big
// desktops' own ways.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/DesktopAssociations.h"
#include "platform/Home.h"
#include "platform/Registry.h"
#include "platform/WholeFile.h"

extern char** environ;

namespace kestrel {
namespace {

constexpr const char* kDesktopId = "kestrel-plus.desktop";
// Where the default that an association replaced is kept, by MIME type.
constexpr const char* kKeptDefaultsKey = "Software\\Tolva\\Kestrel+\\DesktopDefaults";

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string HomeDir() { return Env("HOME"); }

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, sep)) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

std::string Trim(const std::string& s) {
  auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// $XDG_DATA_HOME first, then $XDG_DATA_DIRS, with their standard defaults.
std::vector<std::string> DataDirs() {
  std::vector<std::string> dirs;
  std::string home = Env("XDG_DATA_HOME");
  if (home.empty() && !HomeDir().empty()) home = HomeDir() + "/.local/share";
  if (!home.empty()) dirs.push_back(home);
  std::string list = Env("XDG_DATA_DIRS");
  if (list.empty()) list = "/usr/local/share:/usr/share";
  for (const std::string& d : Split(list, ':')) dirs.push_back(d);
  return dirs;
}

std::string ConfigHome() {
  std::string dir = Env("XDG_CONFIG_HOME");
  if (dir.empty() && !HomeDir().empty()) dir = HomeDir() + "/.config";
  return dir;
}

bool DesktopEntryInstalled() {
  std::error_code ec;
  for (const std::string& d : DataDirs()) {
    if (std::filesystem::is_regular_file(d + "/applications/" + kDesktopId, ec)) return true;
  }
  return false;
}

// The MIME type of a file name's extension: the Palm types as
// shared-mime-info and our MIME package (kestrel-plus.xml) name them, else
// the desktop's glob list (globs2) with the heaviest pattern "*.ext". ""
// when the desktop knows none.
std::string MimeTypeOf(const std::string& extension) {
  std::string ext = Lower(extension);
  if (ext == ".prc" || ext == ".pdb") return "application/vnd.palm";
  if (ext == ".pnc") return "application/x-palm-network-config";
  if (ext == ".scp") return "application/x-palm-network-script";
  std::string pattern = "*" + ext;
  std::string best;
  int bestWeight = -1;
  for (const std::string& d : DataDirs()) {
    auto text = ReadWholeFile(d + "/mime/globs2");
    if (!text) continue;
    std::istringstream in(*text);
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::vector<std::string> f;
      std::string field;
      std::istringstream fields(line);
      while (std::getline(fields, field, ':')) f.push_back(field);
      if (f.size() < 3 || Lower(f[2]) != pattern) continue;
      int weight = std::atoi(f[0].c_str());
      if (weight > bestWeight) {
        bestWeight = weight;
        best = f[1];
      }
    }
  }
  return best;
}

// Runs a program found on PATH and waits; its standard output in `out`.
// -1 when it could not be started.
int Run(const std::vector<std::string>& words, std::string* out) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<char*> argv;
  for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  std::string text;
  if (rc == 0) {
    char buf[512];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  }
  close(fds[0]);
  if (rc != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string QueryDefault(const std::string& mime) {
  std::string out;
  if (Run({"xdg-mime", "query", "default", mime}, &out) != 0) return "";
  return Trim(out);
}

bool SetDefault(const std::string& desktopId, const std::string& mime, std::string* error) {
  int rc = Run({"xdg-mime", "default", desktopId, mime}, nullptr);
  if (rc == 0) return true;
  if (error) {
    *error = rc < 0 ? std::string(kDesktopToolMissing)
                    : FillIn(kDesktopToolFailed, "xdg-mime default " + desktopId + " " + mime);
  }
  return false;
}

// The first desktop id of the user's own [Default Applications] line for
// the type ("" when there is none). xdg-mime's query skips an entry whose
// program is not on PATH; the user's list still says what was chosen.
std::string UserDefault(const std::string& mime) {
  auto text = ReadWholeFile(ConfigHome() + "/mimeapps.list");
  if (!text) return "";
  std::istringstream in(*text);
  std::string line, section;
  while (std::getline(in, line)) {
    std::string t = Trim(line);
    if (!t.empty() && t.front() == '[') section = t;
    auto eq = t.find('=');
    if (section == "[Default Applications]" && eq != std::string::npos && Trim(t.substr(0, eq)) == mime) {
      auto ids = Split(Trim(t.substr(eq + 1)), ';');
      return ids.empty() ? "" : ids.front();
    }
  }
  return "";
}

// Drops our desktop id from the [Default Applications] of the user's
// mimeapps.list, so that the desktop's own choice applies again.
bool DropOurDefault(const std::string& mime, std::string* error) {
  std::string file = ConfigHome() + "/mimeapps.list";
  auto text = ReadWholeFile(file);
  if (!text) return true;
  std::istringstream in(*text);
  std::string line, out, section;
  bool changed = false;
  while (std::getline(in, line)) {
    std::string t = Trim(line);
    if (!t.empty() && t.front() == '[') section = t;
    auto eq = t.find('=');
    if (section == "[Default Applications]" && eq != std::string::npos && Trim(t.substr(0, eq)) == mime) {
      std::string kept;
      for (const std::string& id : Split(Trim(t.substr(eq + 1)), ';')) {
        if (id != kDesktopId) kept += id + ";";
      }
      changed = true;
      if (kept.empty()) continue;
      line = mime + "=" + kept;
    }
    out += line + "\n";
  }
  if (!changed) return true;
  if (ReplaceFileContents(file, out)) return true;
  if (error) *error = FillIn(kDesktopCannotWrite, file);
  return false;
}

std::optional<RegKey> KeptDefaults(bool create) {
  return RegKey::Open(TheRegistry(), Hive::CurrentUser, kKeptDefaultsKey, create);
}

class XdgAssociations : public DesktopAssociations {
 public:
  bool associate(const std::string& extension, std::string* error) override {
    if (!DesktopEntryInstalled()) return true;
    std::string mime = MimeTypeOf(extension);
    if (mime.empty()) return true;
    std::string previous = QueryDefault(mime);
    // Only the choice before we first took the type over is kept.
    if (!previous.empty() && previous != kDesktopId) {
      auto kept = KeptDefaults(true);
      if (kept && !kept->hasValue(mime)) kept->writeString(mime, previous);
    }
    return SetDefault(kDesktopId, mime, error);
  }

  bool restore(const std::string& extension, std::string* error) override {
    if (!DesktopEntryInstalled()) return true;
    std::string mime = MimeTypeOf(extension);
    if (mime.empty()) return true;
    auto kept = KeptDefaults(false);
    std::string previous = kept ? kept->readString(mime, "") : "";
    bool ok = true;
    // A program the user chose meanwhile stays the choice.
    if (QueryDefault(mime) == kDesktopId || UserDefault(mime) == kDesktopId) {
      ok = previous.empty() ? DropOurDefault(mime, error) : SetDefault(previous, mime, error);
    }
    if (ok && kept) kept->deleteValue(mime);
    return ok;
  }
};

std::mutex gMutex;
std::unique_ptr<DesktopAssociations> gDesktop;

}  // namespace

DesktopAssociations& TheDesktopAssociations() {
  std::lock_guard lock(gMutex);
  if (!gDesktop) gDesktop = std::make_unique<XdgAssociations>();
  return *gDesktop;
}

void SetDesktopAssociations(std::unique_ptr<DesktopAssociations> desktop) {
  std::lock_guard lock(gMutex);
  gDesktop = std::move(desktop);
}

std::string AssociatedProgramPath() { return ProgramBeside("kestrel-plus"); }

}  // namespace kestrel
