// TCP for network HotSync (POSIX sockets).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "hotsync/ByteStream.h"

namespace kestrel::hotsync {

// The port network HotSync listens on.
constexpr std::uint16_t kNetSyncPort = 14238;

// "[ADDR:]PORT" (or "HOST:PORT"); `defaultHost` when no address is given.
struct HostPort {
  std::string host;
  std::uint16_t port = 0;
};
HsResult<HostPort> ParseHostPort(std::string_view text, std::string_view defaultHost);

class TcpStream : public ByteStream {
 public:
  explicit TcpStream(int fd);  // takes ownership of a connected socket
  ~TcpStream() override;
  TcpStream(const TcpStream&) = delete;
  TcpStream& operator=(const TcpStream&) = delete;

  // Connects to HOST:PORT (numeric or a name), waiting up to `timeout`.
  static HsResult<std::unique_ptr<TcpStream>> Connect(const HostPort& to, Millis timeout);

  HsResult<std::size_t> readSome(char* buffer, std::size_t max, Millis timeout) override;
  HsStatus writeAll(std::string_view bytes) override;
  HsStatus writeAll2(std::string_view first, std::string_view second) override;
  void close() override;

  int fd() const { return fd_; }
  // The other end as "ADDR:PORT", for the logs.
  std::string peer() const;

 private:
  int fd_;
};

class TcpListener {
 public:
  ~TcpListener();
  TcpListener(const TcpListener&) = delete;
  TcpListener& operator=(const TcpListener&) = delete;

  // Listens on the address (all addresses when host is "" or "0.0.0.0") and
  // port (0 picks a free one; see port()).
  static HsResult<std::unique_ptr<TcpListener>> Listen(const HostPort& at);

  // The next connection; kErrTimeout when none came within `timeout`.
  HsResult<std::unique_ptr<TcpStream>> accept(Millis timeout);

  // For poll() beside other event sources: readable when a connection waits.
  int fd() const { return fd_; }
  std::uint16_t port() const { return port_; }

 private:
  TcpListener(int fd, std::uint16_t port) : fd_(fd), port_(port) {}
  int fd_;
  std::uint16_t port_;
};

}  // namespace kestrel::hotsync
