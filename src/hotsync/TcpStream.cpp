#include "hotsync/TcpStream.h"

#include <arpa/inet.h>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace kestrel::hotsync {

namespace {

HotSyncError SysError(const char* call) {
  int e = errno;
  int code = (e == ECONNRESET || e == EPIPE) ? kErrClosed : kErrIo;
  return MakeError(call, code, std::strerror(e));
}

// Waits until fd is ready for `events`; false on timeout.
HsResult<bool> WaitFor(int fd, short events, Millis timeout, const char* call) {
  pollfd p{fd, events, 0};
  for (;;) {
    int n = ::poll(&p, 1, static_cast<int>(timeout.count()));
    if (n >= 0) return n > 0;
    if (errno != EINTR) return SysError(call);
  }
}

}  // namespace

HsResult<HostPort> ParseHostPort(std::string_view text, std::string_view defaultHost) {
  HostPort out;
  out.host = std::string(defaultHost);
  std::string_view port = text;
  if (auto colon = text.rfind(':'); colon != std::string_view::npos) {
    out.host = std::string(text.substr(0, colon));
    port = text.substr(colon + 1);
  }
  unsigned value = 0;
  auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (port.empty() || ec != std::errc() || end != port.data() + port.size() || value > 65535)
    return MakeError("address", kErrProtocol, "not a port: \"" + std::string(text) + "\"");
  out.port = static_cast<std::uint16_t>(value);
  return out;
}

TcpStream::TcpStream(int fd) : fd_(fd) {
  int one = 1;
  // A request is one write; do not hold it back waiting for an answer.
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

TcpStream::~TcpStream() { close(); }

HsResult<std::unique_ptr<TcpStream>> TcpStream::Connect(const HostPort& to, Millis timeout) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string port = std::to_string(to.port);
  if (int rc = ::getaddrinfo(to.host.c_str(), port.c_str(), &hints, &found); rc != 0)
    return MakeError("connect", kErrIo, to.host + ": " + ::gai_strerror(rc));
  HotSyncError last = MakeError("connect", kErrIo, "no address for " + to.host);
  for (addrinfo* a = found; a; a = a->ai_next) {
    int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    if (fd < 0) { last = SysError("connect"); continue; }
    int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (rc != 0 && errno == EINPROGRESS) {
      auto ready = WaitFor(fd, POLLOUT, timeout, "connect");
      int err = 0;
      socklen_t len = sizeof err;
      if (!ready || !*ready) {
        last = ready ? MakeError("connect", kErrTimeout, "no answer from " + to.host) : ready.error();
      } else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0) {
        rc = 0;
      } else {
        errno = err;
        last = SysError("connect");
      }
    } else if (rc != 0) {
      last = SysError("connect");
    }
    if (rc == 0) {
      ::freeaddrinfo(found);
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      return std::make_unique<TcpStream>(fd);
    }
    ::close(fd);
  }
  ::freeaddrinfo(found);
  return last;
}

HsResult<std::size_t> TcpStream::readSome(char* buffer, std::size_t max, Millis timeout) {
  if (fd_ < 0) return MakeError("read", kErrClosed, "the connection was closed");
  // What has arrived is taken at once; poll only when nothing has.
  for (;;) {
    ssize_t n = ::recv(fd_, buffer, max, MSG_DONTWAIT);
    if (n > 0) return static_cast<std::size_t>(n);
    if (n == 0) return MakeError("read", kErrClosed, "the connection was closed");
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return SysError("read");
    auto ready = WaitFor(fd_, POLLIN, timeout, "read");
    if (!ready) return ready.error();
    if (!*ready) return MakeError("read", kErrTimeout, "no answer within the time allowed");
  }
}

HsStatus TcpStream::writeAll(std::string_view bytes) { return writeAll2(bytes, {}); }

HsStatus TcpStream::writeAll2(std::string_view first, std::string_view second) {
  if (fd_ < 0) return MakeError("write", kErrClosed, "the connection was closed");
  iovec parts[2] = {{const_cast<char*>(first.data()), first.size()},
                    {const_cast<char*>(second.data()), second.size()}};
  iovec* part = parts;
  int count = 2;
  while (count > 0) {
    if (part->iov_len == 0) { ++part; --count; continue; }
    msghdr msg{};
    msg.msg_iov = part;
    msg.msg_iovlen = static_cast<std::size_t>(count);
    ssize_t n = ::sendmsg(fd_, &msg, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return SysError("write");
    }
    auto left = static_cast<std::size_t>(n);
    while (count > 0 && left >= part->iov_len) { left -= part->iov_len; ++part; --count; }
    if (count > 0) {
      part->iov_base = static_cast<char*>(part->iov_base) + left;
      part->iov_len -= left;
    }
  }
  return {};
}

void TcpStream::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::string TcpStream::peer() const {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return "?";
  char host[NI_MAXHOST], port[NI_MAXSERV];
  if (::getnameinfo(reinterpret_cast<sockaddr*>(&addr), len, host, sizeof host, port, sizeof port,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
    return "?";
  return std::string(host) + ":" + port;
}

TcpListener::~TcpListener() {
  if (fd_ >= 0) ::close(fd_);
}

HsResult<std::unique_ptr<TcpListener>> TcpListener::Listen(const HostPort& at) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(at.port);
  std::string host = at.host.empty() ? "0.0.0.0" : at.host;
  if (host == "localhost") host = "127.0.0.1";
  if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1)
    return MakeError("listen", kErrProtocol, "not an IPv4 address: \"" + at.host + "\"");
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return SysError("listen");
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0) {
    HotSyncError e = SysError("listen");
    e.text = host + ":" + std::to_string(at.port) + ": " + e.text;
    ::close(fd);
    return e;
  }
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  return std::unique_ptr<TcpListener>(new TcpListener(fd, ntohs(addr.sin_port)));
}

HsResult<std::unique_ptr<TcpStream>> TcpListener::accept(Millis timeout) {
  auto ready = WaitFor(fd_, POLLIN, timeout, "accept");
  if (!ready) return ready.error();
  if (!*ready) return MakeError("accept", kErrTimeout, "no handheld connected");
  for (;;) {
    int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) return std::make_unique<TcpStream>(fd);
    if (errno == EINTR) continue;
    // A connection that went away before it was taken: nobody waits.
    if (errno == ECONNABORTED || errno == EAGAIN)
      return MakeError("accept", kErrTimeout, "no handheld connected");
    return SysError("accept");
  }
}

}  // namespace kestrel::hotsync
