// kestrel-hotsync through cradles, as programs: the fake handheld on the
// far end of a null-modem cable made of two pseudo-terminals, and on an
// emulator's serial port bridged to TCP. The queue goes over the serial
// stack at 9600 and after a rate change, through a damaged frame and a lost
// acknowledgement; a silent handheld leaves the queue; the port is let go
// when the service is stopped and a busy or missing port leaves the other
// ways served, as does a noisy one. USB through its seam: a whole sync with a device of each
// framing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "Cradles.h"
#include "hotsync/FakeHandheld.h"
#include "hotsync/NetSync.h"
#include "hotsync/PalmDatabase.h"
#include "hotsync/SerialStream.h"
#include "hotsync/SerialSync.h"
#include "platform/Registry.h"
#include "support/LocalServers.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::hotsync;
using namespace kestrel::test;

namespace {

const char* kCore = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
const char* kHotSync = "Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager";

// Two pseudo-terminals whose master sides a thread joins: what is written
// to one end's device comes out of the other's.
class NullModem {
 public:
  NullModem() {
    for (End& e : ends_) {
      e.master = posix_openpt(O_RDWR | O_NOCTTY);
      if (e.master < 0 || grantpt(e.master) != 0 || unlockpt(e.master) != 0)
        throw std::runtime_error("no pseudo-terminal");
      e.device = ptsname(e.master);
      // Held open so the master never sees the line hang up between
      // programs, and raw from the start so nothing is echoed.
      e.slave = open(e.device.c_str(), O_RDWR | O_NOCTTY);
      termios t{};
      tcgetattr(e.slave, &t);
      cfmakeraw(&t);
      tcsetattr(e.slave, TCSANOW, &t);
    }
    relay_ = std::thread([this] { relay(); });
  }
  ~NullModem() {
    stop_ = true;
    relay_.join();
    for (End& e : ends_) {
      close(e.slave);
      close(e.master);
    }
  }
  // Bytes from the handheld's end, as a line picks up noise.
  void noise(const std::string& bytes) {
    [[maybe_unused]] auto n = write(ends_[1].slave, bytes.data(), bytes.size());
  }
  const std::string& desktop() const { return ends_[0].device; }
  const std::string& handheld() const { return ends_[1].device; }

 private:
  struct End {
    int master = -1, slave = -1;
    std::string device;
  };
  void relay() {
    char buf[4096];
    while (!stop_) {
      pollfd p[2] = {{ends_[0].master, POLLIN, 0}, {ends_[1].master, POLLIN, 0}};
      if (poll(p, 2, 50) <= 0) continue;
      for (int i = 0; i < 2; ++i) {
        if (!(p[i].revents & POLLIN)) continue;
        ssize_t n = read(ends_[i].master, buf, sizeof buf);
        for (ssize_t done = 0; n > 0 && done < n;) {
          ssize_t w = write(ends_[1 - i].master, buf + done, static_cast<std::size_t>(n - done));
          if (w > 0) done += w;
        }
      }
    }
  }
  End ends_[2];
  std::atomic<bool> stop_{false};
  std::thread relay_;
};

// kestrel-hotsync with the arguments given, waiting until it says `ready`.
class Service : public ServerProcess {
 public:
  Service(std::vector<std::string> args, const std::string& ready, const std::string& env = "") {
    args.insert(args.begin(), BuiltProgram("kestrel-hotsync"));
    if (!env.empty()) {
      std::vector<std::string> prefix = {"/usr/bin/env"};
      for (std::size_t at = 0; at < env.size();) {
        std::size_t space = env.find(' ', at);
        prefix.push_back(env.substr(at, space - at));
        at = space == std::string::npos ? env.size() : space + 1;
      }
      args.insert(args.begin(), prefix.begin(), prefix.end());
    }
    Start(args);
    auto said = [&] { return output().find(ready) != std::string::npos; };
    if (!WaitFor([&] { return said() || !Running(); }, 10000) || !said()) {
      Fail("kestrel-hotsync did not say " + ready);
    }
  }

  // The port it wrote into `file`: its "on" line comes before the file is
  // written, so the file is waited for.
  std::string WrittenPort(const std::string& file) {
    std::string port;
    WaitFor([&] {
      port = ReadFile(file);
      return port.find('\n') != std::string::npos || !Running();
    }, 10000);
    std::size_t lf = port.find('\n');
    return lf == std::string::npos ? "" : port.substr(0, lf);
  }
};

PalmDatabase Application(const std::string& name) {
  PalmDatabase db;
  db.name = name;
  db.attributes = kAttrResourceDb;
  db.version = 2;
  db.type = "appl";
  db.creator = "CrdL";
  // Larger than one PADP fragment, so fragments and their offsets count.
  db.resources = {{"code", 1, std::string(3000, 'c')}, {"tver", 1000, std::string("2.0\0", 4)}};
  return db;
}

class HotSyncCradleTest : public ::testing::Test {
 protected:
  HotSyncCradleTest() {
    RegKey::Open(TheRegistry(), Hive::CurrentUser, kCore, true)->writeString("Path", home / "Palm");
    RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSync, true)->writeString("DirectComPort", "");
    EXPECT_EQ(Tool("usersdat add Hana HanaK 2002"), 0);
    EXPECT_EQ(Tool("register Hana"), 0);
  }
  int Tool(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " " + args, out, err);
  }
  void Queue() {
    WriteFile(home / "src/Cradle.prc", WritePalmDatabase(Application("Cradle")));
    ASSERT_EQ(Tool("queue Hana " + ShellQuote(home / "src/Cradle.prc")), 0);
  }
  // The fake handheld over `link` ("--serial DEVICE", "--serial-net HOST:PORT").
  int Handheld(const std::string& link, const std::string& extra = "", const std::string& env = "") {
    return RunCommand((env.empty() ? "" : "env " + env + " ") +
                          ShellQuote(BuiltProgram("kestrel-tool")) + " handheld sync " + link +
                          " --user Hana --id 2002 --dir " + ShellQuote(handheld) + " " + extra,
                      &handheldOut, &handheldErr);
  }
  bool Installed() { return ReadFile(handheld + "/Cradle.prc") == WritePalmDatabase(Application("Cradle")); }
  bool StillQueued() {
    auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSync, false);
    return FileExists(install + "/Cradle.prc") && key && key->hasValue("Install2002");
  }

  TempHome home;
  std::string install = home / "Palm/HanaK/Install";
  std::string handheld = home / "handheld";
  std::string handheldOut, handheldErr;
};

TEST_F(HotSyncCradleTest, TheQueueGoesOverThePortAtEveryRateAndThroughLineFaults) {
  struct Case {
    const char* what;
    std::vector<std::string> serviceArgs;
    std::string handheldArgs;
    const char* said;
  } cases[] = {
      {"9600", {}, "--rate 9600", "at 9600 baud; 0 damaged frame(s) dropped"},
      {"rate change", {"--rate", "57600"}, "--rate 115200", "at 57600 baud;"},
      {"damaged frame", {}, "--corrupt-frame 3", "; 1 damaged frame(s) dropped"},
      {"lost acknowledgement", {}, "--drop-ack 7", " sent again"},  // mid-resource
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(handheld);
    Queue();
    NullModem cable;
    std::vector<std::string> args = {"--serial", cable.desktop(), "--once"};
    args.insert(args.end(), c.serviceArgs.begin(), c.serviceArgs.end());
    Service service(args, "serial HotSync on", "KESTREL_HOTSYNC_ACK_MS=300");
    // Noise before the handheld starts no sync (which --once would end on).
    cable.noise(std::string("\0\xff\xbe\xef line noise\r\n", 18));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(Handheld("--serial " + cable.handheld(), c.handheldArgs, "KESTREL_HOTSYNC_ACK_MS=300"), 0)
        << c.what << handheldErr << service.output();
    ASSERT_TRUE(service.Ended(10000)) << c.what;
    EXPECT_EQ(service.exitCode(), 0) << c.what << service.output();
    EXPECT_TRUE(Installed()) << c.what;
    EXPECT_FALSE(StillQueued()) << c.what;
    EXPECT_NE(service.output().find(c.said), std::string::npos) << c.what << service.output();
    if (c.handheldArgs.find("--drop-ack") != std::string::npos) {
      EXPECT_EQ(service.output().find(", 0 sent again"), std::string::npos) << service.output();
    }
  }
}

TEST_F(HotSyncCradleTest, AHandheldThatFallsSilentEndsTheSyncWithinItsTimeOutAndTheFileWaits) {
  Queue();
  NullModem cable;
  // Retries a second apart: had the service gone on retrying after the
  // silence, it would take ten seconds more.
  const std::string env = "KESTREL_HOTSYNC_SILENCE_MS=1500 KESTREL_HOTSYNC_ACK_MS=1000";
  Service service({"--serial", cable.desktop(), "--once"}, "serial HotSync on", env);
  auto start = std::chrono::steady_clock::now();
  int handheldExit = -1;
  std::thread palm([&] { handheldExit = Handheld("--serial " + cable.handheld(), "--silent-at 1", env); });
  bool ended = service.Ended(15000);
  auto took = std::chrono::steady_clock::now() - start;
  palm.join();
  ASSERT_TRUE(ended);
  EXPECT_LT(took, std::chrono::seconds(7));
  EXPECT_EQ(service.exitCode(), 1);
  EXPECT_EQ(handheldExit, 1);
  EXPECT_NE(ReadFile(home / "Palm/HanaK/HotSync.log").find("went silent"), std::string::npos)
      << service.output();
  EXPECT_TRUE(StillQueued());
  EXPECT_FALSE(FileExists(handheld + "/Cradle.prc"));
}

TEST_F(HotSyncCradleTest, AnEmulatorsSerialPortOverTcpSyncsEndToEnd) {
  Queue();
  const std::string portFile = home / "serial-net.port";
  Service service({"--serial-net", "127.0.0.1:0", "--port-file", portFile, "--once"},
                  "serial-over-TCP HotSync on");
  std::string port = service.WrittenPort(portFile);
  ASSERT_FALSE(port.empty());
  EXPECT_EQ(Handheld("--serial-net 127.0.0.1:" + port), 0)
      << handheldErr << service.output();
  ASSERT_TRUE(service.Ended(10000));
  EXPECT_EQ(service.exitCode(), 0) << service.output();
  EXPECT_TRUE(Installed());
  EXPECT_FALSE(StillQueued());
}

TEST_F(HotSyncCradleTest, ThePortIsLetGoWhenStoppedAndTheSwitchMovesTheService) {
  NullModem first, second;
  auto key = [] { return RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSync, true); };
  key()->writeString("DirectComPort", first.desktop());
  {
    // As Kestrel+ starts it: no options, the port from "DirectComPort".
    Service service({}, "serial HotSync on " + first.desktop());
    auto taken = SerialStream::Open(first.desktop());
    ASSERT_FALSE(taken);
    EXPECT_NE(taken.error().text.find("in use"), std::string::npos);
    // As the pilot-xfer console and the port switch stop it.
    EXPECT_EQ(Tool("hotsync stop"), 0);
    EXPECT_TRUE(SerialStream::Open(first.desktop())) << "the port is still held";
    ASSERT_TRUE(service.Ended(5000));
  }
  key()->writeString("DirectComPort", second.desktop());
  Queue();
  Service service({}, "serial HotSync on " + second.desktop());
  EXPECT_EQ(Handheld("--serial " + second.handheld()), 0) << handheldErr << service.output();
  EXPECT_TRUE(Installed());
  EXPECT_EQ(Tool("hotsync stop"), 0);
}

TEST_F(HotSyncCradleTest, ABusyMissingOrNoisyPortLeavesTheOtherWaysServed) {
  NullModem cable, noisy;
  auto holder = SerialStream::Open(cable.desktop());  // another program has it
  ASSERT_TRUE(holder);
  struct Case {
    std::string device;
    const char* said;  // once, on standard error
    bool noise;
  } cases[] = {{cable.desktop(), "the port is in use by another program", false},
               {"/dev/ttyKestrelMissing0", "no such port", false},
               // Noise starts no sync that would wait out the silence first.
               {noisy.desktop(), "serial HotSync on", true}};
  for (const Case& c : cases) {
    std::filesystem::remove_all(handheld);
    Queue();
    const std::string portFile = home / "serial-net.port";
    std::filesystem::remove(portFile);
    Service service({"--serial", c.device, "--serial-net", "127.0.0.1:0", "--port-file", portFile, "--once"},
                    "serial-over-TCP HotSync on", "KESTREL_HOTSYNC_SILENCE_MS=20000");
    if (c.noise) {
      noisy.noise("\x7f\x03 ATZ\r\n");
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    std::string port = service.WrittenPort(portFile);
    ASSERT_FALSE(port.empty()) << c.device << service.output();
    EXPECT_EQ(Handheld("--serial-net 127.0.0.1:" + port), 0)
        << c.device << handheldErr << service.output();
    ASSERT_TRUE(service.Ended(10000)) << c.device;
    EXPECT_EQ(service.exitCode(), 0) << service.output();
    EXPECT_TRUE(Installed()) << c.device;
    std::string out = service.output();
    std::size_t at = out.find(c.said);
    EXPECT_NE(at, std::string::npos) << out;
    EXPECT_EQ(out.find(c.said, at + 1), std::string::npos) << "said more than once:\n" << out;
  }
}

TEST_F(HotSyncCradleTest, BadCradleArgumentsAreRefusedWithTheirReason) {
  const std::string service = ShellQuote(BuiltProgram("kestrel-hotsync"));
  const std::string sync = ShellQuote(BuiltProgram("kestrel-tool")) + " handheld sync --user Hana --id 1 --dir x ";
  const std::pair<std::string, const char*> cases[] = {
      {service + " --serial LPT1 --once", "neither COMn nor a device path"},
      {service + " --serial COM1 --rate 300", "--rate: 300 is not"},
      {service + " --serial-net 127.0.0.1:serial", "--serial-net"},
      {service + " --rate", "--rate needs a value"},
      {sync + "--serial /dev/null --rate 12", "--rate: 12 is not a serial rate"},
      {sync + "--serial-net 127.0.0.1:1 --drop-ack many", "--drop-ack needs a number"},
  };
  for (const auto& [command, said] : cases) {
    std::string err;
    EXPECT_EQ(RunCommand(command, nullptr, &err), 2) << command;
    EXPECT_NE(err.find(said), std::string::npos) << command << "\n" << err;
  }
  // Not a serial line: the fake handheld says so and fails.
  EXPECT_EQ(Handheld("--serial /dev/null"), 1);
  EXPECT_NE(handheldErr.find("not a serial port"), std::string::npos) << handheldErr;
}

// A USB handheld behind the seam: its HotSync pipes are IN 3 and OUT 4, as
// its extended connection information says; the bulk pipes are a memory
// line to a handheld thread.
class PipedUsbDevice : public UsbDevice {
 public:
  explicit PipedUsbDevice(std::unique_ptr<ByteStream> line) : line_(std::move(line)) {}
  HsResult<std::string> controlIn(std::uint8_t request, std::uint16_t, std::uint16_t) override {
    if (request != kUsbGetExtConnectionInfo) return MakeError("USB control request", kErrIo, "stall");
    return Hex("0101 0000 636e7973 02 34 0000");
  }
  std::vector<std::uint8_t> bulkOutEndpoints() const override { return {4}; }
  UsbPipes firstBulkPipes() const override { return {1, 1}; }
  HsResult<std::size_t> bulkRead(std::uint8_t endpoint, char* buffer, std::size_t max, Millis timeout) override {
    if (endpoint != 3) return MakeError("USB read", kErrIo, "not the HotSync pipe");
    return line_->readSome(buffer, max, timeout);
  }
  HsStatus bulkWrite(std::uint8_t endpoint, std::string_view bytes) override {
    if (endpoint != 4) return MakeError("USB write", kErrIo, "not the HotSync pipe");
    return line_->writeAll(bytes);
  }
  void close() override { line_->close(); }

 private:
  std::unique_ptr<ByteStream> line_;
};

TEST_F(HotSyncCradleTest, AUsbHandheldOfEitherFramingSyncsThroughTheSeam) {
  for (UsbFraming framing : {UsbFraming::NetSync, UsbFraming::Serial}) {
    std::filesystem::remove_all(handheld);
    Queue();
    auto [desk, hand] = MakeMemoryPipe();
    PipedUsbDevice device(std::move(desk));
    std::unique_ptr<DlpHandheldTransport> link;
    if (framing == UsbFraming::NetSync) {
      link = std::make_unique<NetSyncHandheld>(*hand, Millis(5000));
    } else {
      link = std::make_unique<SerialHandheld>(*hand, Millis(5000), 115200, RateSwitch{});
    }
    FakeHandheld fake;
    fake.answer = [&](const DlpRequest& r) {
      if (r.func == static_cast<std::uint8_t>(DlpFunc::ReadSysInfo)) return ToResponse(SysInfo{});
      if (r.func == static_cast<std::uint8_t>(DlpFunc::ReadUserInfo)) {
        UserInfo user;
        user.userId = 2002;
        user.userName = "Hana";
        return ToResponse(user);
      }
      return fake.Default(r);
    };
    std::thread palm([&] {
      if (!link->handshake()) return;
      while (auto request = link->receiveRequest()) {
        auto answer = fake.exchange(*request);
        if (!answer || !link->sendResponse(*answer)) return;
      }
    });
    const PalmUsbModel* model = framing == UsbFraming::NetSync ? FindPalmUsbModel(0x0830, 0x0060)
                                                               : FindPalmUsbModel(0x054c, 0x0038);
    ASSERT_NE(model, nullptr);
    hotsyncd::SyncSettings settings;
    settings.silenceMs = 5000;
    bool ok = hotsyncd::RunUsbSync(device, *model, "USB test", settings);
    device.close();
    palm.join();
    EXPECT_TRUE(ok) << model->name;
    EXPECT_FALSE(StillQueued()) << model->name;
    const std::vector<std::string> expected = {"ReadSysInfo", "ReadUserInfo", "OpenConduit", "DeleteDB",
                                               "CreateDB", "WriteResource", "WriteResource", "CloseDB",
                                               "AddSyncLogEntry", "EndOfSync"};
    EXPECT_EQ(fake.calls(), expected) << model->name;
    WriteResourceRequest code;
    ASSERT_GE(fake.requests.size(), 6u);
    ASSERT_TRUE(Parse(fake.requests[5], code));
    EXPECT_EQ(code.data, std::string(3000, 'c')) << model->name;
  }
}

}  // namespace
