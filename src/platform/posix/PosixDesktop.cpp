// The window bus and named mutex on POSIX, all under the home's run/ folder:
//   run/mutex-NAME.lock     a mutex is an flock on this file
//   run/windows/ID.sock     a window's message queue (Unix datagram socket)
//   run/windows/ID.win      its class and title, replaced whole on change
//   run/atoms/XXXX          one global atom's text
// A window whose process died leaves its files behind; lookups notice that
// nobody listens on the socket any more and remove them.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <vector>

#include "platform/PercentEncoding.h"
#include "platform/Desktop.h"
#include "platform/Home.h"
#include "platform/WholeFile.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kMagic = 0x5355424B;  // "KBUS"
constexpr std::size_t kMaxText = 64 * 1024;
// A full queue holds a sender this long before the post fails.
constexpr int kSendTimeoutMs = 2000;

struct Header {
  std::uint32_t magic;
  std::uint32_t msg;
  std::uint64_t wparam;
  std::int64_t lparam;
  std::uint32_t textLength;
};

// The bus is this account's alone: another account that could write here
// could post messages (queue any file) or plant windows. The folders are
// 0700 whatever the umask, also when an older run made them wider.
void MakePrivateFolder(const std::string& dir) {
  if (mkdir(dir.c_str(), 0700) == 0) {
    chmod(dir.c_str(), 0700);  // mkdir's mode is cut by the umask, never widened
    return;
  }
  struct stat st;
  if (errno == EEXIST && lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
      (st.st_mode & 077) != 0) {
    chmod(dir.c_str(), 0700);
  }
}

std::string RunFolder(const std::string& sub = "") {
  std::string dir = HomeFolder() + "/run";
  MakePrivateFolder(dir);
  if (!sub.empty()) {
    dir += "/" + sub;
    MakePrivateFolder(dir);
  }
  return dir;
}

// A bus file counts only when this account owns it and it is of the kind
// expected; anything else was put there by someone else.
bool OwnBusFile(const std::string& path, mode_t kind) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == kind && st.st_uid == geteuid();
}

// Mutex names may hold any character; file names get the safe ones only.
std::string SafeName(const std::string& name) { return PercentEncoded(name, "._+-"); }

// A socket address for a path. A path too long for sun_path is reached
// through an open descriptor of its folder (/proc/self/fd/N/name).
class SocketAddress {
 public:
  explicit SocketAddress(const std::string& path) {
    std::memset(&addr_, 0, sizeof addr_);
    addr_.sun_family = AF_UNIX;
    std::string use = path;
    if (path.size() >= sizeof addr_.sun_path) {
      auto slash = path.rfind('/');
      if (slash == std::string::npos) return;
      dirFd_ = open(path.substr(0, slash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (dirFd_ < 0) return;
      use = "/proc/self/fd/" + std::to_string(dirFd_) + path.substr(slash);
    }
    ok_ = use.size() < sizeof addr_.sun_path;
    if (ok_) std::memcpy(addr_.sun_path, use.c_str(), use.size() + 1);
  }
  ~SocketAddress() {
    if (dirFd_ >= 0) close(dirFd_);
  }
  SocketAddress(const SocketAddress&) = delete;
  SocketAddress& operator=(const SocketAddress&) = delete;

  bool ok() const { return ok_; }
  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&addr_); }
  socklen_t size() const { return sizeof addr_; }

 private:
  sockaddr_un addr_;
  int dirFd_ = -1;
  bool ok_ = false;
};

std::string WindowFile(const std::string& name, const char* ext) {
  return RunFolder("windows") + "/" + name + ext;
}

// True when a process listens on the window's socket.
bool Listening(const std::string& sockPath) {
  SocketAddress addr(sockPath);
  if (!addr.ok()) return false;
  int s = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (s < 0) return false;
  bool alive = connect(s, addr.get(), addr.size()) == 0;
  close(s);
  return alive;
}

struct WindowEntry {
  std::string name;
  std::string className;
  std::string title;
  std::uint64_t stamp = 0;
};

std::optional<WindowEntry> ParseEntry(const std::string& name, const std::string& bytes) {
  // class NUL title NUL stamp
  auto a = bytes.find('\0');
  if (a == std::string::npos) return std::nullopt;
  auto b = bytes.find('\0', a + 1);
  if (b == std::string::npos) return std::nullopt;
  WindowEntry e;
  e.name = name;
  e.className = bytes.substr(0, a);
  e.title = bytes.substr(a + 1, b - a - 1);
  e.stamp = std::strtoull(bytes.c_str() + b + 1, nullptr, 10);
  return e;
}

std::uint64_t NowStamp() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ull +
         static_cast<std::uint64_t>(ts.tv_nsec);
}

class PosixMutex : public NamedMutex {
 public:
  explicit PosixMutex(int fd) : fd_(fd) {}
  ~PosixMutex() override { close(fd_); }

 private:
  int fd_;
};

class PosixBusWindow : public BusWindow {
 public:
  PosixBusWindow(const std::string& className, const std::string& title)
      : className_(className), title_(title) {
    static std::atomic<unsigned> counter{0};
    id_.name = std::to_string(getpid()) + "." + std::to_string(++counter);
    sockPath_ = WindowFile(id_.name, ".sock");
    infoPath_ = WindowFile(id_.name, ".win");
    stamp_ = NowStamp();
    sock_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // A dead process with the same id may have left its socket file.
    unlink(sockPath_.c_str());
    SocketAddress addr(sockPath_);
    if (sock_ < 0 || !addr.ok() || bind(sock_, addr.get(), addr.size()) != 0) {
      std::string why = std::strerror(errno);
      if (sock_ >= 0) close(sock_);
      throw std::runtime_error("cannot put a window on the bus (" + sockPath_ + "): " + why);
    }
    // bind gives the umask's mode; the folder keeps others out meanwhile.
    chmod(sockPath_.c_str(), 0600);
    publish();
  }

  ~PosixBusWindow() override {
    withdraw();
    close(sock_);
  }

  void withdraw() override {
    if (withdrawn_) return;
    withdrawn_ = true;
    unlink(infoPath_.c_str());
    unlink(sockPath_.c_str());
  }

  const WindowId& id() const override { return id_; }
  std::string className() const override { return className_; }
  std::string title() const override { return title_; }
  void setTitle(const std::string& title) override {
    title_ = title;
    publish();
  }
  int fd() const override { return sock_; }

  std::optional<BusMessage> take() override {
    std::vector<char>& buf = buffer_;
    buf.resize(sizeof(Header) + kMaxText);
    for (;;) {
      ssize_t n = recv(sock_, buf.data(), buf.size(), MSG_DONTWAIT);
      if (n < 0) {
        if (errno == EINTR) continue;
        return std::nullopt;
      }
      Header h;
      if (static_cast<std::size_t>(n) < sizeof h) continue;
      std::memcpy(&h, buf.data(), sizeof h);
      if (h.magic != kMagic || h.textLength != static_cast<std::size_t>(n) - sizeof h) continue;
      BusMessage m;
      m.msg = h.msg;
      m.wparam = h.wparam;
      m.lparam = h.lparam;
      m.text.assign(buf.data() + sizeof h, h.textLength);
      return m;
    }
  }

  std::optional<BusMessage> wait(int timeoutMs) override {
    if (auto m = take()) return m;
    pollfd p{sock_, POLLIN, 0};
    int rc;
    do {
      rc = poll(&p, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    return take();
  }

 private:
  void publish() {
    if (withdrawn_) return;
    std::string info = className_;
    info += '\0';
    info += title_;
    info += '\0';
    info += std::to_string(stamp_);
    // Deleted when the window goes.
    ReplaceFileContents(infoPath_, info, true);
  }

  WindowId id_;
  std::string className_;
  std::string title_;
  std::string sockPath_;
  std::string infoPath_;
  std::uint64_t stamp_ = 0;
  int sock_ = -1;
  bool withdrawn_ = false;
  std::vector<char> buffer_;
};

class PosixDesktop : public Desktop {
 public:
  bool mutexExists(const std::string& name) override {
    int fd = open(MutexFile(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
  }

  std::unique_ptr<NamedMutex> createMutex(const std::string& name) override {
    // Close-on-exec: a program started from here must not keep the mutex
    // alive after we end.
    std::string file = MutexFile(name);
    int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A lock file left in a home that is read-only now still locks.
    if (fd < 0 && (errno == EACCES || errno == EROFS)) fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      throw std::runtime_error("cannot take the single-instance lock " + file + ": " +
                               std::strerror(errno));
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      return nullptr;
    }
    return std::make_unique<PosixMutex>(fd);
  }

  std::unique_ptr<BusWindow> createWindow(const std::string& className,
                                          const std::string& title) override {
    return std::make_unique<PosixBusWindow>(className, title);
  }

  std::optional<WindowId> findWindowByClass(const std::string& className) override {
    return find([&](const WindowEntry& e) { return e.className == className; });
  }
  std::optional<WindowId> findWindowByTitle(const std::string& title) override {
    return find([&](const WindowEntry& e) { return e.title == title; });
  }

  bool postMessage(const WindowId& window, const BusMessage& message) override {
    if (message.text.size() > kMaxText || window.name.empty()) return false;
    if (window.name.find('/') != std::string::npos) return false;
    if (!OwnBusFile(WindowFile(window.name, ".sock"), S_IFSOCK)) return false;
    Header h{kMagic, message.msg, message.wparam, message.lparam,
             static_cast<std::uint32_t>(message.text.size())};
    std::string bytes(reinterpret_cast<const char*>(&h), sizeof h);
    bytes += message.text;
    SocketAddress addr(WindowFile(window.name, ".sock"));
    if (!addr.ok()) return false;
    int s = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) return false;
    timeval tv{kSendTimeoutMs / 1000, (kSendTimeoutMs % 1000) * 1000};
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    ssize_t n;
    do {
      n = sendto(s, bytes.data(), bytes.size(), 0, addr.get(), addr.size());
    } while (n < 0 && errno == EINTR);
    close(s);
    return n == static_cast<ssize_t>(bytes.size());
  }

  bool bringToFront(const WindowId& window) override {
    BusMessage m;
    m.msg = kWmActivate;
    m.wparam = 1;
    return postMessage(window, m);
  }

  std::uint16_t addAtom(const std::string& text) override {
    std::string dir = RunFolder("atoms");
    std::random_device rd;
    unsigned start = rd() % 0x4000;
    for (unsigned i = 0; i < 0x4000; ++i) {
      auto atom = static_cast<std::uint16_t>(0xC000 + (start + i) % 0x4000);
      std::string path = AtomFile(atom);
      int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd < 0) {
        if (errno == EEXIST) continue;
        return 0;
      }
      bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
      close(fd);
      if (!ok) {
        unlink(path.c_str());
        return 0;
      }
      return atom;
    }
    return 0;
  }

  std::optional<std::string> atomName(std::uint16_t atom) override {
    if (atom < 0xC000) return std::nullopt;
    std::string path = AtomFile(atom);
    if (!OwnBusFile(path, S_IFREG)) return std::nullopt;
    return ReadWholeFile(path);
  }

  bool deleteAtom(std::uint16_t atom) override {
    if (atom < 0xC000) return false;
    return unlink(AtomFile(atom).c_str()) == 0;
  }

 private:
  static std::string MutexFile(const std::string& name) {
    return RunFolder() + "/mutex-" + SafeName(name) + ".lock";
  }
  static std::string AtomFile(std::uint16_t atom) {
    char name[8];
    std::snprintf(name, sizeof name, "%04X", atom);
    return RunFolder("atoms") + "/" + name;
  }

  template <typename Match>
  std::optional<WindowId> find(Match match) {
    std::optional<WindowEntry> best;
    std::error_code ec;
    std::string dir = RunFolder("windows");
    std::vector<WindowEntry> candidates;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
      std::string file = entry.path().filename().string();
      if (file.size() < 5 || file.compare(file.size() - 4, 4, ".win") != 0) continue;
      if (!OwnBusFile(entry.path().string(), S_IFREG)) continue;
      auto bytes = ReadWholeFile(entry.path().string());
      if (!bytes) continue;
      auto e = ParseEntry(file.substr(0, file.size() - 4), *bytes);
      if (e && match(*e)) candidates.push_back(*e);
    }
    for (const WindowEntry& e : candidates) {
      std::string sock = dir + "/" + e.name + ".sock";
      if (!OwnBusFile(sock, S_IFSOCK)) continue;
      if (!Listening(sock)) {
        // Left behind by a process that died.
        unlink((dir + "/" + e.name + ".win").c_str());
        unlink(sock.c_str());
        continue;
      }
      if (!best || e.stamp > best->stamp) best = e;
    }
    if (!best) return std::nullopt;
    return WindowId{best->name};
  }
};

}  // namespace

Desktop& TheDesktop() {
  static PosixDesktop desktop;
  return desktop;
}

}  // namespace kestrel
