// kestrel-hotsync: the desktop's HotSync service. It stands on the window
// bus as HotSync Manager (title "HotSync Manager", ending on 0xBEC5 with
// first parameter 1) and serves network HotSync: a handheld connects, and
// its user's Install queue is installed onto it. One sync at a time; a
// second handheld waits in the listening socket's queue.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "Sync.h"
#include "hotsync/TcpStream.h"
#include "platform/Desktop.h"
#include "platform/Home.h"
#include "platform/ProgramOptions.h"
#include "platform/Registry.h"
#include "platform/WholeFile.h"
#include "users/PalmDesktop.h"

using namespace kestrel;
using namespace kestrel::hotsyncd;
using kestrel::hotsync::HostPort;
using kestrel::hotsync::TcpListener;

namespace {

const char* kProgram = "kestrel-hotsync";
const char* kUsage =
    "usage: kestrel-hotsync [--net [ADDR:]PORT] [--port-file FILE] [--once]\n"
    "The desktop's HotSync service. Without --net it serves network HotSync on\n"
    "every address, port 14238, when \"NetHotSync\" is 1 under the HotSync Manager\n"
    "key (kestrel-tool hotsync network on), else nothing on the network.\n"
    "  --net [ADDR:]PORT  serve network HotSync there (port 0: any free port)\n"
    "  --port-file FILE   write the port served into FILE\n"
    "  --once             one sync, then end: 0 when it ended normally, 1 otherwise\n";

struct Options {
  std::optional<HostPort> net;
  std::string portFile;
  bool once = false;
};

// Exit code when the arguments end the program, else nullopt.
std::optional<int> ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (auto code = AnswerStandardOption(arg, kProgram, kUsage)) return code;
    bool hasValue = i + 1 < argc;
    if (arg == "--once") {
      options->once = true;
    } else if (arg == "--net" && hasValue) {
      auto address = hotsync::ParseHostPort(argv[++i], "");
      if (!address) {
        std::fprintf(stderr, "%s: --net: %s\n", kProgram, address.error().text.c_str());
        return kExitUsage;
      }
      options->net = *address;
    } else if (arg == "--port-file" && hasValue) {
      options->portFile = argv[++i];
    } else if (IsOption(arg) && arg != "--net" && arg != "--port-file") {
      return RejectOption(arg, kProgram, kUsage);
    } else {
      std::fprintf(stderr, "%s: %s\n%s", kProgram,
                   IsOption(arg) ? (arg + " needs a value").c_str() : ("unexpected " + arg).c_str(),
                   kUsage);
      return kExitUsage;
    }
  }
  return std::nullopt;
}

std::optional<RegKey> HotSyncKey() {
  return RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSyncKey, false);
}

// A self-pipe the sync thread writes to when it is done.
struct DoneSignal {
  int fds[2] = {-1, -1};
  DoneSignal() {
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  }
  ~DoneSignal() {
    ::close(fds[0]);
    ::close(fds[1]);
  }
  void raise() const { [[maybe_unused]] auto n = ::write(fds[1], "x", 1); }
  void drain() const {
    char c;
    [[maybe_unused]] auto n = ::read(fds[0], &c, 1);
  }
};

int Serve(const Options& options) {
  // One HotSync Manager per home: a second start brings the first forward.
  if (auto running = FindHotSyncManager()) {
    TheDesktop().bringToFront(*running);
    return 0;
  }
  std::unique_ptr<BusWindow> window = TheDesktop().createWindow("HotSyncManager", kHotSyncTitle);

  std::optional<RegKey> key = HotSyncKey();
  std::string port = key ? key->readString("DirectComPort", "") : "";
  std::optional<HostPort> net = options.net;
  if (!net && key && key->readDword(kNetHotSyncValue, 0) == 1) {
    net = HostPort{"", hotsync::kNetSyncPort};
  }

  std::unique_ptr<TcpListener> listener;
  if (net) {
    auto listening = TcpListener::Listen(*net);
    if (!listening) {
      std::fprintf(stderr, "%s: %s\n", kProgram, hotsync::Describe(listening.error()).c_str());
      return 1;
    }
    listener = std::move(*listening);
    std::fprintf(stderr, "%s: network HotSync on %s:%d\n", kProgram,
                 net->host.empty() ? "*" : net->host.c_str(), listener->port());
    // Written whole, so nobody reads half a number.
    if (!options.portFile.empty() &&
        !ReplaceFileContents(options.portFile, std::to_string(listener->port()) + "\n")) {
      std::fprintf(stderr, "%s: cannot write %s\n", kProgram, options.portFile.c_str());
      return 1;
    }
  } else {
    std::fprintf(stderr, "%s: network HotSync is off (kestrel-tool hotsync network on)\n",
                 kProgram);
    if (options.once) {
      std::fprintf(stderr, "%s: --once without a network to serve\n", kProgram);
      return 1;
    }
  }
  // Serial and USB cradles are not served yet; the port is shown for now.
  std::fprintf(stderr, "%s: cradle port %s not served (network only)\n", kProgram,
               port.empty() ? "(none)" : port.c_str());

  std::atomic<bool> stop{false};
  SyncSettings settings;
  settings.silenceMs = SilenceLimitMs();
  settings.stop = &stop;
  DoneSignal done;
  std::thread sync;
  bool syncing = false;
  bool lastOk = false;
  const std::string run = HomeFolder() + "/run";

  for (;;) {
    pollfd fds[3] = {{window->fd(), POLLIN, 0}, {done.fds[0], POLLIN, 0}, {-1, POLLIN, 0}};
    // While a sync runs, the next handheld waits in the socket's queue.
    if (listener && !syncing && !stop) fds[2].fd = listener->fd();
    ::poll(fds, 3, 1000);
    while (auto message = window->take()) {
      if (message->msg == kHotSyncQuitMessage && message->wparam == 1) stop = true;
    }
    // A home that disappears (a finished test) takes the service along.
    if (!std::filesystem::exists(run)) stop = true;
    if (fds[1].revents & POLLIN) {
      done.drain();
      sync.join();
      syncing = false;
      if (options.once) return lastOk ? 0 : 1;
    }
    if (stop && !syncing) {
      window->withdraw();
      return 0;
    }
    if (fds[2].fd >= 0 && (fds[2].revents & POLLIN)) {
      auto stream = listener->accept(hotsync::Millis(0));
      if (!stream) continue;
      std::string peer = (*stream)->peer();
      syncing = true;
      sync = std::thread([&, peer, s = std::move(*stream)]() mutable {
        lastOk = RunSync(std::move(s), peer, settings);
        done.raise();
      });
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (auto code = ParseOptions(argc, argv, &options)) return *code;
  try {
    return Serve(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
    return 1;
  }
}
