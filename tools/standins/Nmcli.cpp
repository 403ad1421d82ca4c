// Stand-in for NetworkManager's `nmcli`: plays a few connection profiles
// (the dial-up phone book on Linux) for the tests and the demo, with the
// output formats and exit statuses of the real program for what Kestrel+
// asks of it.
//
// The profiles come from "$HOME/.config/kestrel-standins/nmcli.ini":
//
//   # full-line comments start with '#' or ';'
//   running = yes            (before any section; "no" plays a NetworkManager
//                             that is not running: every command exits 8)
//   [Office ISP]             one section per profile, in the phone book's
//                            order; the title is the profile's name
//   time = 1500              activation time in ms (default 1000)
//   states = prepare, need-auth, ip-config
//                            the device states an activation passes through,
//                            spread evenly over its time; any of prepare,
//                            config, need-auth, ip-config, ip-check,
//                            secondaries (default "prepare, config, ip-config")
//   fail = yes               the activation fails at its end (default no)
//   reason = No carrier      what nmcli says of that failure
//   active = yes             active before anything was done (default no)
//   type = gsm               the profile's type (default gsm)
//   device = ttyUSB0         the device it is activated on (default ttySn,
//                            n its position from 0)
//
// What is active lives in "nmcli.state" beside the ini file, one line per
// profile that was brought up or down: "active SINCE-MS NAME" or
// "inactive 0 NAME" (SINCE-MS in wall-clock milliseconds, so every
// invocation agrees). It is replaced by writing beside it and renaming,
// under a lock on "nmcli.lock", so that two invocations at once lose
// nothing. A profile counts as activating until its time has passed since
// SINCE-MS, then as activated (or, when it fails, as inactive).
//
// Commands: connection show [--active] [[id|uuid] NAME], connection up
// [id|uuid] NAME, connection down [id|uuid] NAME..., device status, and
// the global options -t, -f/-g FIELDS, -e yes|no, -m, -w SECONDS, -v, -h.
#include <fcntl.h>
#include <langinfo.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// nmcli's exit statuses.
constexpr int kOk = 0;
constexpr int kUnknownError = 1;
constexpr int kUserInput = 2;
constexpr int kTimeout = 3;
constexpr int kActivationFailed = 4;
constexpr int kNotRunning = 8;
constexpr int kNotFound = 10;

struct Profile {
  std::string name;
  std::string type = "gsm";
  std::string device;
  long timeMs = 1000;
  std::vector<std::string> states{"prepare", "config", "ip-config"};
  bool fail = false;
  std::string reason = "The device could not be readied for configuration";
  bool activeAtStart = false;
};

struct Config {
  bool running = true;
  std::vector<Profile> profiles;
};

struct Entry {
  bool active = false;
  long long sinceMs = 0;
};

struct Failure : std::runtime_error {
  Failure(int code, const std::string& text) : std::runtime_error(text), code(code) {}
  int code;
};

const std::map<std::string, std::string> kDeviceStates = {
    {"prepare", "connecting (prepare)"},
    {"config", "connecting (configuring)"},
    {"need-auth", "connecting (need authentication)"},
    {"ip-config", "connecting (getting IP configuration)"},
    {"ip-check", "connecting (checking IP connectivity)"},
    {"secondaries", "connecting (starting secondary connections)"},
};

// Like nmcli (through GLib), output is in the locale's character set: under
// a locale that is not UTF-8 ("C" for one) every character beyond ASCII is
// printed as '?'.
bool gUtf8 = true;

std::string Local(const std::string& text) {
  if (gUtf8) return text;
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += text[i];
      continue;
    }
    out += '?';
    while (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) ++i;
  }
  return out;
}

void Say(std::FILE* to, const std::string& line) { std::fputs(Local(line + "\n").c_str(), to); }

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

std::string Folder() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) throw Failure(kUnknownError, "Error: HOME is not set.");
  return std::string(home) + "/.config/kestrel-standins";
}

bool Yes(const std::string& value, const std::string& where) {
  if (value == "yes" || value == "true" || value == "1") return true;
  if (value == "no" || value == "false" || value == "0") return false;
  throw Failure(kUnknownError, where + ": expected yes or no, found '" + value + "'");
}

Config ReadConfig() {
  Config config;
  std::string path = Folder() + "/nmcli.ini";
  std::ifstream in(path);
  std::string line;
  int number = 0;
  Profile* current = nullptr;
  while (std::getline(in, line)) {
    ++number;
    std::string t = Trim(line);
    std::string where = path + " line " + std::to_string(number);
    if (t.empty() || t[0] == '#' || t[0] == ';') continue;
    if (t[0] == '[') {
      std::size_t close = t.rfind(']');
      std::string name = close == std::string::npos ? "" : Trim(t.substr(1, close - 1));
      if (name.empty()) throw Failure(kUnknownError, where + ": a section needs a name in [ ]");
      config.profiles.push_back(Profile{});
      current = &config.profiles.back();
      current->name = name;
      current->device = "ttyS" + std::to_string(config.profiles.size() - 1);
      continue;
    }
    std::size_t eq = t.find('=');
    if (eq == std::string::npos) throw Failure(kUnknownError, where + ": expected key = value");
    std::string key = Trim(t.substr(0, eq)), value = Trim(t.substr(eq + 1));
    if (!current) {
      if (key != "running") throw Failure(kUnknownError, where + ": unknown key '" + key + "'");
      config.running = Yes(value, where);
    } else if (key == "time") {
      char* end = nullptr;
      long ms = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end || ms < 0) throw Failure(kUnknownError, where + ": time is not a number of ms");
      current->timeMs = ms;
    } else if (key == "states") {
      current->states.clear();
      std::stringstream list(value);
      std::string state;
      while (std::getline(list, state, ',')) {
        state = Trim(state);
        if (state.empty()) continue;
        if (!kDeviceStates.count(state)) throw Failure(kUnknownError, where + ": unknown state '" + state + "'");
        current->states.push_back(state);
      }
    } else if (key == "fail") {
      current->fail = Yes(value, where);
    } else if (key == "reason") {
      current->reason = value;
    } else if (key == "active") {
      current->activeAtStart = Yes(value, where);
    } else if (key == "type") {
      current->type = value;
    } else if (key == "device") {
      current->device = value;
    } else {
      throw Failure(kUnknownError, where + ": unknown key '" + key + "'");
    }
  }
  return config;
}

std::map<std::string, Entry> ReadState() {
  std::map<std::string, Entry> state;
  std::ifstream in(Folder() + "/nmcli.state");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string kind;
    long long since = 0;
    if (!(words >> kind >> since)) continue;
    std::string name;
    std::getline(words, name);
    if (!name.empty() && name[0] == ' ') name.erase(0, 1);
    if (name.empty() || (kind != "active" && kind != "inactive")) continue;
    state[name] = Entry{kind == "active", since};
  }
  return state;
}

// Changes the state file under the lock: reads it afresh, lets `change`
// edit it, writes it beside and renames it over.
template <typename Change>
void UpdateState(Change change) {
  std::string folder = Folder();
  std::filesystem::create_directories(folder);
  struct Lock {
    int fd;
    ~Lock() {
      if (fd >= 0) close(fd);  // closing releases the lock
    }
  } lock{open((folder + "/nmcli.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)};
  if (lock.fd < 0 || flock(lock.fd, LOCK_EX) != 0) throw Failure(kUnknownError, "Error: cannot lock the state.");
  std::map<std::string, Entry> state = ReadState();
  change(state);
  std::string path = folder + "/nmcli.state";
  std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::trunc);
    for (const auto& [name, entry] : state) {
      out << (entry.active ? "active " : "inactive ") << (entry.active ? entry.sinceMs : 0) << ' ' << name
          << '\n';
    }
    if (!out.flush()) throw Failure(kUnknownError, "Error: cannot write the state.");
  }
  std::filesystem::rename(temp, path);
}

// Where a profile stands now.
struct Status {
  std::string connection;  // "", "activating", "activated"
  std::string device;      // nmcli's device state
};

Status StatusOf(const Profile& p, const std::map<std::string, Entry>& state, long long now) {
  auto it = state.find(p.name);
  bool active = it == state.end() ? p.activeAtStart : it->second.active;
  long long since = it == state.end() ? 0 : it->second.sinceMs;
  if (!active) return {"", "disconnected"};
  long long elapsed = now - since;
  if (since == 0 || elapsed >= p.timeMs) {
    if (p.fail && since != 0) return {"", "disconnected"};
    return {"activated", "connected"};
  }
  if (p.states.empty()) return {"activating", kDeviceStates.at("prepare")};
  std::size_t n = p.states.size();
  std::size_t index = std::min<std::size_t>(n - 1, static_cast<std::size_t>(elapsed * static_cast<long long>(n) / std::max(1L, p.timeMs)));
  return {"activating", kDeviceStates.at(p.states[index])};
}

struct Options {
  bool terse = false;
  bool escape = true;
  bool header = true;
  std::optional<std::string> fields;
  std::optional<long> waitSeconds;
};

std::string Escaped(const std::string& value, const Options& o) {
  if (!o.terse || !o.escape) return value;
  std::string out;
  for (char c : value) {
    if (c == ':' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::vector<std::string> SplitFields(const std::string& list) {
  std::vector<std::string> fields;
  std::stringstream in(list);
  std::string f;
  while (std::getline(in, f, ',')) {
    std::transform(f.begin(), f.end(), f.begin(), [](unsigned char c) { return std::toupper(c); });
    if (!f.empty()) fields.push_back(f);
  }
  return fields;
}

using Row = std::map<std::string, std::string>;

void PrintTable(const std::vector<std::string>& all, const std::vector<std::string>& common,
                const std::vector<Row>& rows, const Options& o) {
  std::vector<std::string> fields = common;
  if (o.fields) {
    if (*o.fields == "all") fields = all;
    else if (*o.fields != "common") fields = SplitFields(*o.fields);
  }
  for (const std::string& f : fields) {
    if (std::find(all.begin(), all.end(), f) == all.end()) {
      std::string allowed;
      for (const std::string& a : all) allowed += (allowed.empty() ? "" : ",") + a;
      throw Failure(kUserInput, "Error: invalid field '" + f + "'; allowed fields: " + allowed + ".");
    }
  }
  std::vector<std::size_t> widths;
  for (const std::string& f : fields) {
    std::size_t w = f.size();
    for (const Row& r : rows) w = std::max(w, r.at(f).empty() ? 2 : r.at(f).size());
    widths.push_back(w);
  }
  auto print = [&](const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (o.terse) {
        line += (i ? ":" : "") + Escaped(cells[i], o);
      } else {
        std::string cell = cells[i].empty() ? "--" : cells[i];
        line += cell + (i + 1 < cells.size() ? std::string(widths[i] - cell.size() + 2, ' ') : "");
      }
    }
    Say(stdout, line);
  };
  if (!o.terse && o.header) print(fields);
  for (const Row& r : rows) {
    std::vector<std::string> cells;
    for (const std::string& f : fields) cells.push_back(r.at(f));
    print(cells);
  }
}

std::string Uuid(const std::string& name) {
  unsigned long long h1 = 1469598103934665603ULL, h2 = 1099511628211ULL;
  for (unsigned char c : name) {
    h1 = (h1 ^ c) * 1099511628211ULL;
    h2 = (h2 ^ c) * 14695981039346656037ULL + 7;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08llx-%04llx-4%03llx-a%03llx-%012llx", h1 >> 32, (h1 >> 16) & 0xffff,
                h1 & 0xfff, (h2 >> 52) & 0xfff, h2 & 0xffffffffffffULL);
  return buf;
}

std::string ActivePath(const Config& c, const Profile& p) {
  std::size_t n = static_cast<std::size_t>(&p - c.profiles.data()) + 1;
  return "/org/freedesktop/NetworkManager/ActiveConnection/" + std::to_string(n);
}

const Profile* Find(const Config& c, const std::string& selector, const std::string& id) {
  for (const Profile& p : c.profiles) {
    if (selector == "uuid" ? Uuid(p.name) == id : p.name == id) return &p;
  }
  // Without a keyword nmcli also takes a UUID.
  if (selector.empty()) {
    for (const Profile& p : c.profiles) {
      if (Uuid(p.name) == id) return &p;
    }
  }
  return nullptr;
}

// Takes an optional id/uuid keyword and the profile's name from `args`.
std::pair<std::string, std::string> TakeId(std::vector<std::string>& args) {
  std::string selector;
  if (!args.empty() && (args[0] == "id" || args[0] == "uuid") && args.size() > 1) {
    selector = args[0];
    args.erase(args.begin());
  }
  if (args.empty()) throw Failure(kUserInput, "Error: No connection specified.");
  std::string id = args[0];
  args.erase(args.begin());
  return {selector, id};
}

int ConnectionShow(const Config& c, std::vector<std::string> args, const Options& o) {
  bool activeOnly = std::find(args.begin(), args.end(), "--active") != args.end();
  args.erase(std::remove(args.begin(), args.end(), "--active"), args.end());
  auto state = ReadState();
  long long now = NowMs();
  if (!args.empty()) {
    auto [selector, id] = TakeId(args);
    const Profile* p = Find(c, selector, id);
    Status s = p ? StatusOf(*p, state, now) : Status{};
    if (!p || (activeOnly && s.connection.empty())) throw Failure(kNotFound, "Error: " + id + " - no such connection profile.");
    std::vector<std::pair<std::string, std::string>> lines{
        {"connection.id", p->name}, {"connection.uuid", Uuid(p->name)}, {"connection.type", p->type}};
    if (!s.connection.empty()) {
      lines.push_back({"GENERAL.NAME", p->name});
      lines.push_back({"GENERAL.DEVICES", p->device});
      lines.push_back({"GENERAL.STATE", s.connection});
    }
    for (auto& [key, value] : lines) {
      if (o.terse) Say(stdout, key + ":" + Escaped(value, o));
      else Say(stdout, key + ":" + std::string(key.size() < 39 ? 39 - key.size() : 1, ' ') + value);
    }
    return kOk;
  }
  std::vector<const Profile*> order;
  for (const Profile& p : c.profiles) order.push_back(&p);
  // nmcli lists the active profiles first, then by name.
  std::stable_sort(order.begin(), order.end(), [&](const Profile* a, const Profile* b) {
    bool aa = !StatusOf(*a, state, now).connection.empty(), ba = !StatusOf(*b, state, now).connection.empty();
    if (aa != ba) return aa;
    return a->name < b->name;
  });
  std::vector<Row> rows;
  for (const Profile* p : order) {
    Status s = StatusOf(*p, state, now);
    if (activeOnly && s.connection.empty()) continue;
    bool up = !s.connection.empty();
    rows.push_back(Row{{"NAME", p->name},
                       {"UUID", Uuid(p->name)},
                       {"TYPE", p->type},
                       {"DEVICE", up ? p->device : ""},
                       {"STATE", s.connection},
                       {"ACTIVE", up ? "yes" : "no"},
                       {"ACTIVE-PATH", up ? ActivePath(c, *p) : ""}});
  }
  PrintTable({"NAME", "UUID", "TYPE", "DEVICE", "STATE", "ACTIVE", "ACTIVE-PATH"},
             {"NAME", "UUID", "TYPE", "DEVICE"}, rows, o);
  return kOk;
}

int ConnectionUp(const Config& c, std::vector<std::string> args, const Options& o) {
  auto [selector, id] = TakeId(args);
  const Profile* p = Find(c, selector, id);
  if (!p) throw Failure(kNotFound, "Error: unknown connection '" + id + "'.");
  long long since = NowMs();
  UpdateState([&](std::map<std::string, Entry>& state) { state[p->name] = Entry{true, since}; });
  long waitMs = o.waitSeconds ? *o.waitSeconds * 1000 : 90000;
  if (o.waitSeconds && *o.waitSeconds == 0) return kOk;
  while (true) {
    long long elapsed = NowMs() - since;
    auto state = ReadState();
    auto it = state.find(p->name);
    if (it == state.end() || !it->second.active || it->second.sinceMs != since) {
      throw Failure(kActivationFailed, "Error: Connection activation failed: The connection was deactivated.");
    }
    if (elapsed >= p->timeMs) break;
    if (elapsed >= waitMs) {
      throw Failure(kTimeout, "Error: Timeout expired (" + std::to_string(waitMs / 1000) + " seconds)");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(20, p->timeMs - elapsed)));
  }
  if (p->fail) {
    UpdateState([&](std::map<std::string, Entry>& state) {
      auto it = state.find(p->name);
      if (it != state.end() && it->second.sinceMs == since) it->second = Entry{false, 0};
    });
    throw Failure(kActivationFailed, "Error: Connection activation failed: " + p->reason +
                                         "\nHint: use 'journalctl -xe NM_CONNECTION=" + Uuid(p->name) +
                                         " + NM_DEVICE=" + p->device + "' to get more details.");
  }
  Say(stdout, "Connection successfully activated (D-Bus active path: " + ActivePath(c, *p) + ")");
  return kOk;
}

int ConnectionDown(const Config& c, std::vector<std::string> args) {
  if (args.empty()) throw Failure(kUserInput, "Error: No connection specified.");
  int result = kOk;
  bool any = false;
  while (!args.empty()) {
    auto [selector, id] = TakeId(args);
    const Profile* p = Find(c, selector, id);
    bool wasUp = false;
    if (p) {
      UpdateState([&](std::map<std::string, Entry>& state) {
        wasUp = !StatusOf(*p, state, NowMs()).connection.empty();
        if (wasUp) state[p->name] = Entry{false, 0};
      });
    }
    if (!wasUp) {
      Say(stderr, "Error: '" + id + "' is not an active connection.");
      result = kNotFound;
      continue;
    }
    any = true;
    Say(stdout, "Connection '" + p->name + "' successfully deactivated (D-Bus active path: " +
                    ActivePath(c, *p) + ")");
  }
  if (!any) throw Failure(kNotFound, "Error: no active connection provided.");
  return result;
}

int DeviceStatus(const Config& c, const Options& o) {
  auto state = ReadState();
  long long now = NowMs();
  std::vector<Row> rows;
  std::vector<std::string> seen;
  for (const Profile& p : c.profiles) {
    Status s = StatusOf(p, state, now);
    auto at = std::find(seen.begin(), seen.end(), p.device);
    if (at != seen.end()) {
      // A device shared by several profiles shows the one active on it.
      if (!s.connection.empty()) {
        Row& r = rows[static_cast<std::size_t>(at - seen.begin())];
        r["STATE"] = s.device;
        r["CONNECTION"] = p.name;
      }
      continue;
    }
    seen.push_back(p.device);
    rows.push_back(Row{{"DEVICE", p.device},
                       {"TYPE", p.type},
                       {"STATE", s.device},
                       {"CONNECTION", s.connection.empty() ? "" : p.name}});
  }
  rows.push_back(Row{{"DEVICE", "lo"}, {"TYPE", "loopback"}, {"STATE", "unmanaged"}, {"CONNECTION", ""}});
  PrintTable({"DEVICE", "TYPE", "STATE", "CONNECTION"}, {"DEVICE", "TYPE", "STATE", "CONNECTION"}, rows, o);
  return kOk;
}

// True when `word` names `full` (nmcli takes any leading part).
bool Names(const std::string& word, const std::string& full) {
  return !word.empty() && full.compare(0, word.size(), word) == 0;
}

const char* kUsage =
    "Usage: nmcli [OPTIONS] OBJECT { COMMAND | help }\n"
    "(stand-in for NetworkManager, playing $HOME/.config/kestrel-standins/nmcli.ini)\n"
    "OBJECT: connection { show [--active] [[id|uuid] NAME] | up [id|uuid] NAME | down [id|uuid] NAME... }\n"
    "        device [status]\n"
    "OPTIONS: -t[erse] -f[ields] F,F -g[et-values] F,F -e[scape] yes|no -m[ode] tabular -w[ait] SECONDS\n"
    "         -v[ersion] -h[elp]\n";

int Run(std::vector<std::string> args) {
  Options o;
  std::size_t i = 0;
  auto value = [&](const std::string& option) {
    if (i + 1 >= args.size()) throw Failure(kUserInput, "Error: missing argument for '" + option + "' option.");
    return args[++i];
  };
  for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
    std::string a = args[i];
    std::string opt = a.rfind("--", 0) == 0 ? a.substr(2) : a.substr(1);
    if (Names(opt, "terse")) o.terse = true;
    else if (Names(opt, "pretty") || Names(opt, "ask") || Names(opt, "show-secrets")) continue;
    else if (Names(opt, "mode") || Names(opt, "colors")) value(a);
    else if (Names(opt, "fields")) o.fields = value(a);
    else if (Names(opt, "get-values")) {
      o.fields = value(a);
      o.terse = true;
    } else if (Names(opt, "escape")) {
      std::string v = value(a);
      if (v != "yes" && v != "no") throw Failure(kUserInput, "Error: '" + v + "' is not a valid argument for '" + a + "' option.");
      o.escape = v == "yes";
    } else if (Names(opt, "wait")) {
      std::string v = value(a);
      char* end = nullptr;
      long s = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end || s < 0) throw Failure(kUserInput, "Error: '" + v + "' is not a valid timeout.");
      o.waitSeconds = s;
    } else if (Names(opt, "version")) {
      std::printf("nmcli tool, version 1.42.4 (Kestrel+ stand-in)\n");
      return kOk;
    } else if (Names(opt, "help")) {
      std::fputs(kUsage, stdout);
      return kOk;
    } else {
      throw Failure(kUserInput, "Error: Option '" + a + "' is unknown, try 'nmcli help'.");
    }
  }
  args.erase(args.begin(), args.begin() + static_cast<long>(i));
  if (args.empty() || Names(args[0], "help")) {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? kUserInput : kOk;
  }
  std::string object = args[0];
  args.erase(args.begin());
  Config c = ReadConfig();
  if (!c.running) throw Failure(kNotRunning, "Error: NetworkManager is not running.");
  std::string command = args.empty() ? "" : args[0];
  if (!args.empty()) args.erase(args.begin());
  if (Names(object, "connection")) {
    if (command.empty() || Names(command, "show")) return ConnectionShow(c, args, o);
    if (command == "up") return ConnectionUp(c, args, o);
    if (Names(command, "down")) return ConnectionDown(c, args);
  } else if (Names(object, "device")) {
    if (command.empty() || Names(command, "status")) return DeviceStatus(c, o);
  } else {
    throw Failure(kUserInput, "Error: argument '" + object + "' not understood. Try passing --help instead.");
  }
  throw Failure(kUserInput, "Error: argument '" + command + "' not understood. Try passing --help instead.");
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  gUtf8 = std::string(nl_langinfo(CODESET)) == "UTF-8";
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const Failure& f) {
    Say(stderr, f.what());
    return f.code;
  } catch (const std::exception& e) {
    Say(stderr, std::string("Error: ") + e.what());
    return kUnknownError;
  }
}
