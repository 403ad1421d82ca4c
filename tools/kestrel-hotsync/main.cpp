// kestrel-hotsync: the desktop's HotSync service. It stands on the window
// bus as HotSync Manager (title "HotSync Manager", ending on 0xBEC5 with
// first parameter 1) and serves HotSync over the network, serial ports,
// serial-over-TCP and USB: a handheld connects, and its user's Install queue
// is installed onto it. One sync at a time; a second handheld waits (in the
// listening socket's queue, or its own retries on a cradle).
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
#include <vector>

#include "Cradles.h"
#include "Sync.h"
#include "hotsync/Cmp.h"
#include "hotsync/SerialStream.h"
#include "hotsync/TcpStream.h"
#include "platform/Desktop.h"
#include "platform/Home.h"
#include "platform/ProgramOptions.h"
#include "platform/Registry.h"
#include "platform/SerialPorts.h"
#include "platform/WholeFile.h"
#include "users/PalmDesktop.h"

using namespace kestrel;
using namespace kestrel::hotsyncd;
using kestrel::hotsync::HostPort;
using kestrel::hotsync::TcpListener;

namespace {

const char* kProgram = "kestrel-hotsync";
const char* kUsage =
    "usage: kestrel-hotsync [--net [ADDR:]PORT] [--serial DEVICE|COMn [--rate N]] [--usb]\n"
    "                       [--serial-net [ADDR:]PORT] [--port-file FILE] [--once]\n"
    "The desktop's HotSync service. Without a transport option it serves USB, the\n"
    "serial port \"DirectComPort\" names, and network HotSync on every address,\n"
    "port 14238, when \"NetHotSync\" is 1 under the HotSync Manager key\n"
    "(kestrel-tool hotsync network on). With one, it serves only those given.\n"
    "  --net [ADDR:]PORT         serve network HotSync there (port 0: any free port)\n"
    "  --serial DEVICE|COMn      serve a serial cradle there (COM1 is /dev/ttyS0)\n"
    "  --rate N                  the fastest serial rate agreed (9600 to 230400;\n"
    "                            115200 unless given)\n"
    "  --usb                     serve USB handhelds\n"
    "  --serial-net [ADDR:]PORT  serve an emulator's serial port bridged to TCP there\n"
    "  --port-file FILE          write the port served into FILE (--net's, else\n"
    "                            --serial-net's)\n"
    "  --once                    one sync, then end: 0 when it ended normally, 1 otherwise\n";

struct Options {
  std::optional<HostPort> net;
  std::string serial;  // a device path or COMn
  std::uint32_t rate = hotsync::kSerialDefaultMaxRate;
  bool usb = false;
  std::optional<HostPort> serialNet;
  std::string portFile;
  bool once = false;
  bool anyTransport() const { return net || !serial.empty() || usb || serialNet; }
};

// The device of --serial or "DirectComPort": COMn through the port table,
// a device path as it is; "" with a message when it is neither.
std::string SerialDevice(const std::string& port) {
  std::string device = SerialPortDevice(port);
  if (device.empty())
    std::fprintf(stderr, "%s: the serial port \"%s\" is neither COMn nor a device path\n",
                 kProgram, port.c_str());
  return device;
}

// Exit code when the arguments end the program, else nullopt.
std::optional<int> ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (auto code = AnswerStandardOption(arg, kProgram, kUsage)) return code;
    bool hasValue = i + 1 < argc;
    if (arg == "--once") {
      options->once = true;
    } else if ((arg == "--net" || arg == "--serial-net") && hasValue) {
      auto address = hotsync::ParseHostPort(argv[++i], "");
      if (!address) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, arg.c_str(), address.error().text.c_str());
        return kExitUsage;
      }
      (arg == "--net" ? options->net : options->serialNet) = *address;
    } else if (arg == "--serial" && hasValue) {
      options->serial = argv[++i];
      if (SerialDevice(options->serial).empty()) return kExitUsage;
    } else if (arg == "--rate" && hasValue) {
      char* end = nullptr;
      unsigned long rate = std::strtoul(argv[++i], &end, 10);
      if (*end != '\0' || !hotsync::IsSerialRate(static_cast<std::uint32_t>(rate))) {
        std::fprintf(stderr, "%s: --rate: %s is not 9600, 19200, 38400, 57600, 115200 or 230400\n",
                     kProgram, argv[i]);
        return kExitUsage;
      }
      options->rate = static_cast<std::uint32_t>(rate);
    } else if (arg == "--usb") {
      options->usb = true;
    } else if (arg == "--port-file" && hasValue) {
      options->portFile = argv[++i];
    } else if (IsOption(arg) && arg != "--net" && arg != "--port-file" && arg != "--serial" &&
               arg != "--rate" && arg != "--serial-net") {
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
  if (!options.anyTransport() && key && key->readDword(kNetHotSyncValue, 0) == 1) {
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
  } else if (!options.anyTransport()) {
    std::fprintf(stderr, "%s: network HotSync is off (kestrel-tool hotsync network on)\n",
                 kProgram);
  }

  // One sync names where it comes from; the cradles Kestrel+ starts the
  // service with keep waiting for handhelds.
  if (options.once && !listener && !options.anyTransport()) {
    std::fprintf(stderr, "%s: --once without a network to serve (or --serial, --usb, --serial-net)\n",
                 kProgram);
    return 1;
  }
  std::vector<std::unique_ptr<Cradle>> cradles;
  std::uint16_t servedPort = listener ? listener->port() : 0;
  if (options.serialNet) {
    std::uint16_t at = 0;
    auto cradle = MakeSerialNetCradle(*options.serialNet, &at);
    if (!cradle) {
      std::fprintf(stderr, "%s: %s\n", kProgram, hotsync::Describe(cradle.error()).c_str());
      return 1;
    }
    cradles.push_back(std::move(*cradle));
    if (!servedPort) servedPort = at;
  }
  // The cradle port: the one asked for, else the one Kestrel+'s port menu
  // wrote; a change of it takes a restart, as the port switch does.
  std::string serial = options.anyTransport() ? options.serial : port;
  if (!serial.empty()) {
    std::string device = SerialDevice(serial);
    if (!device.empty()) cradles.push_back(MakeSerialCradle(device, options.rate));
  } else if (!options.anyTransport()) {
    std::fprintf(stderr, "%s: no cradle port (\"DirectComPort\") set\n", kProgram);
  }
  if (options.usb || !options.anyTransport()) {
    if (auto usb = MakeUsbCradle()) cradles.push_back(std::move(usb));
  }
  // Written whole, so nobody reads half a number.
  if (!options.portFile.empty() && servedPort &&
      !ReplaceFileContents(options.portFile, std::to_string(servedPort) + "\n")) {
    std::fprintf(stderr, "%s: cannot write %s\n", kProgram, options.portFile.c_str());
    return 1;
  }

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
    std::vector<pollfd> fds = {{window->fd(), POLLIN, 0}, {done.fds[0], POLLIN, 0}, {-1, POLLIN, 0}};
    // While a sync runs, the next handheld waits in the socket's queue.
    if (listener && !syncing && !stop) fds[2].fd = listener->fd();
    for (auto& cradle : cradles) fds.push_back({syncing || stop ? -1 : cradle->fd(), POLLIN, 0});
    ::poll(fds.data(), fds.size(), 1000);
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
      // The port is free before the window goes: whoever waits for the
      // window (the pilot-xfer console) opens the port next.
      cradles.clear();
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
      continue;
    }
    for (std::size_t i = 0; i < cradles.size() && !syncing && !stop; ++i) {
      auto job = cradles[i]->take(fds[3 + i].revents);
      if (!job) continue;
      syncing = true;
      sync = std::thread([&, run = std::move(job->run)] {
        lastOk = run(settings);
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
