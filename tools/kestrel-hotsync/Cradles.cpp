#include "Cradles.h"

#include <poll.h>

#include <chrono>
#include <cstdio>

#include "hotsync/NetSync.h"
#include "hotsync/SerialStream.h"
#include "hotsync/SerialSync.h"
#include "hotsync/Slp.h"

namespace kestrel::hotsyncd {

using namespace kestrel::hotsync;

namespace {

using Clock = std::chrono::steady_clock;

void Log(const std::string& line) { std::fprintf(stderr, "kestrel-hotsync: %s\n", line.c_str()); }

// The port with the bytes already read off it in front.
class HeardFirst : public ByteStream {
 public:
  HeardFirst(ByteStream& port, std::string heard) : port_(port), heard_(std::move(heard)) {}
  HsResult<std::size_t> readSome(char* buffer, std::size_t max, Millis timeout) override {
    if (heard_.empty()) return port_.readSome(buffer, max, timeout);
    std::size_t n = heard_.copy(buffer, max);
    heard_.erase(0, n);
    return n;
  }
  HsStatus writeAll(std::string_view bytes) override { return port_.writeAll(bytes); }
  void close() override {}  // the port stays open for the next handheld

 private:
  ByteStream& port_;
  std::string heard_;
};

class SerialCradle : public Cradle {
 public:
  SerialCradle(std::string device, std::uint32_t maxRate)
      : device_(std::move(device)), maxRate_(maxRate) {
    open();
  }

  int fd() override {
    if (!port_ && Clock::now() >= nextTry_) open();
    return port_ ? port_->fd() : -1;
  }

  std::optional<SyncJob> take(short revents) override {
    if (!port_) return std::nullopt;
    if ((revents & (POLLHUP | POLLERR | POLLNVAL)) && !(revents & POLLIN)) {
      lost("the port went away");
      return std::nullopt;
    }
    if (!(revents & POLLIN)) return std::nullopt;
    // Line noise is no handheld: a sync starts at the first frame's
    // signature, so a noisy port cannot hold up the other ways.
    char chunk[256];
    auto n = port_->readSome(chunk, sizeof chunk, Millis(0));
    if (!n) {
      if (n.error().code != kErrTimeout) lost(n.error().text);
      return std::nullopt;
    }
    heard_.append(chunk, *n);
    std::size_t at = heard_.find(kSlpSignature);
    if (at == std::string::npos) {
      heard_.erase(0, heard_.size() - std::min<std::size_t>(heard_.size(), kSlpSignature.size() - 1));
      return std::nullopt;
    }
    auto line = std::make_shared<HeardFirst>(*port_, heard_.substr(at));
    heard_.clear();
    SerialStream* port = port_.get();
    return SyncJob{device_, [this, port, line](const SyncSettings& settings) {
                     SerialDesktop link(*line, Millis(settings.silenceMs), maxRate_,
                                        [port](std::uint32_t baud) { return port->setRate(baud); });
                     bool ok = RunSyncOver(link, device_, settings);
                     Log(device_ + ": serial link " + link.linkReport());
                     // Ready for the next handheld, which starts at 9600.
                     (void)port->setRate(kSerialInitialRate);
                     port->discardInput();
                     return ok;
                   }};
  }


 private:
  void open() {
    auto opened = SerialStream::Open(device_);
    if (!opened) {
      lost(opened.error().text);
      return;
    }
    port_ = std::move(*opened);
    Log("serial HotSync on " + device_);
    said_.clear();
  }

  void lost(const std::string& why) {
    port_.reset();
    nextTry_ = Clock::now() + std::chrono::seconds(3);
    if (why == said_) return;
    said_ = why;
    Log("serial port " + device_ + ": " + why + "; tried again while the other ways are served");
  }

  std::string device_;
  std::uint32_t maxRate_;
  std::unique_ptr<SerialStream> port_;
  std::string heard_;  // bytes read while idle, up to a frame's start
  Clock::time_point nextTry_{};
  std::string said_;
};

class SerialNetCradle : public Cradle {
 public:
  explicit SerialNetCradle(std::unique_ptr<TcpListener> listener) : listener_(std::move(listener)) {}
  int fd() override { return listener_ ? listener_->fd() : -1; }

  std::optional<SyncJob> take(short revents) override {
    if (!listener_ || !(revents & POLLIN)) return std::nullopt;
    auto accepted = listener_->accept(Millis(0));
    if (!accepted) return std::nullopt;
    std::shared_ptr<TcpStream> stream = std::move(*accepted);
    std::string peer = stream->peer() + " (serial)";
    return SyncJob{peer, [stream, peer](const SyncSettings& settings) {
                     // A line without a rate: the INIT's rate is only agreed.
                     SerialDesktop link(*stream, Millis(settings.silenceMs));
                     bool ok = RunSyncOver(link, peer, settings);
                     Log(peer + ": serial link " + link.linkReport());
                     stream->close();
                     return ok;
                   }};
  }


 private:
  std::unique_ptr<TcpListener> listener_;
};

class UsbCradle : public Cradle {
 public:
  explicit UsbCradle(std::unique_ptr<UsbWatcher> watcher) : watcher_(std::move(watcher)) {}
  int fd() override { return -1; }

  std::optional<SyncJob> take(short) override {
    if (!watcher_ || Clock::now() < nextLook_) return std::nullopt;
    nextLook_ = Clock::now() + std::chrono::seconds(1);
    auto found = watcher_->next();
    if (!found) {
      Log(Describe(found.error()));
      return std::nullopt;
    }
    if (!*found) return std::nullopt;
    std::shared_ptr<UsbHandheld> handheld = std::move(*found);
    return SyncJob{handheld->where, [handheld](const SyncSettings& settings) {
                     bool ok = RunUsbSync(*handheld->device, handheld->model, handheld->where, settings);
                     handheld->device->close();
                     return ok;
                   }};
  }


 private:
  std::unique_ptr<UsbWatcher> watcher_;
  Clock::time_point nextLook_{};
};

}  // namespace

std::unique_ptr<Cradle> MakeSerialCradle(const std::string& device, std::uint32_t maxRate) {
  return std::make_unique<SerialCradle>(device, maxRate);
}

HsResult<std::unique_ptr<Cradle>> MakeSerialNetCradle(const HostPort& at, std::uint16_t* port) {
  auto listening = TcpListener::Listen(at);
  if (!listening) return listening.error();
  *port = (*listening)->port();
  Log("serial-over-TCP HotSync on " + (at.host.empty() ? std::string("*") : at.host) + ":" +
      std::to_string(*port));
  return std::unique_ptr<Cradle>(std::make_unique<SerialNetCradle>(std::move(*listening)));
}

std::unique_ptr<Cradle> MakeUsbCradle() {
  auto watcher = MakeUsbWatcher();
  if (!watcher) {
    Log("USB HotSync is off: " + Describe(watcher.error()));
    return nullptr;
  }
  Log("USB HotSync on");
  return std::make_unique<UsbCradle>(std::move(*watcher));
}

bool RunUsbSync(UsbDevice& device, const PalmUsbModel& model, const std::string& where,
                const SyncSettings& settings) {
  UsbBulkStream stream(device, FindHotSyncPipes(device));
  if (model.framing == UsbFraming::Serial) {
    SerialDesktop link(stream, Millis(settings.silenceMs));
    return RunSyncOver(link, where, settings);
  }
  NetSyncDesktop link(stream, Millis(settings.silenceMs));
  return RunSyncOver(link, where, settings);
}

}  // namespace kestrel::hotsyncd
