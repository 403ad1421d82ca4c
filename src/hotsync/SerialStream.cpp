#include "hotsync/SerialStream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrel::hotsync {

namespace {

speed_t SpeedFor(std::uint32_t baud) {
  switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
  }
}

HotSyncError SystemError(const std::string& call, int err) {
  return MakeError(call, kErrIo, std::strerror(err));
}

}  // namespace

bool IsSerialRate(std::uint32_t baud) { return SpeedFor(baud) != B0; }

HsResult<std::unique_ptr<SerialStream>> SerialStream::Open(const std::string& device) {
  int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    if (err == ENOENT || err == ENODEV || err == ENXIO)
      return MakeError(device, kErrIo, "no such port");
    if (err == EBUSY) return MakeError(device, kErrIo, "the port is in use by another program");
    return SystemError(device, err);
  }
  auto stream = std::unique_ptr<SerialStream>(new SerialStream(fd, device));
  // Two programs on one port would each take the other's bytes.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    return MakeError(device, kErrIo, "the port is in use by another program");
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return MakeError(device, kErrIo, "not a serial port");
  ::ioctl(fd, TIOCEXCL);
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  ::cfsetispeed(&t, B9600);
  ::cfsetospeed(&t, B9600);
  if (::tcsetattr(fd, TCSANOW, &t) != 0) return SystemError(device + ": tcsetattr", errno);
  ::tcflush(fd, TCIOFLUSH);
  return stream;
}

SerialStream::~SerialStream() { close(); }

void SerialStream::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

HsResult<std::size_t> SerialStream::readSome(char* buffer, std::size_t max, Millis timeout) {
  if (fd_ < 0) return MakeError("serial read", kErrClosed, "the port was closed");
  for (;;) {
    ssize_t n = ::read(fd_, buffer, max);
    if (n > 0) return static_cast<std::size_t>(n);
    if (n < 0 && errno == EINTR) continue;
    // A pseudo-terminal whose other end has gone answers EIO; a USB adapter
    // pulled out answers EIO or ENODEV.
    if (n < 0 && (errno == EIO || errno == ENODEV))
      return MakeError("serial read", kErrClosed, "the port went away");
    if (n < 0 && errno != EAGAIN) return SystemError("serial read", errno);
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, static_cast<int>(timeout.count()));
    if (r == 0) return MakeError("serial read", kErrTimeout, "no answer within the time allowed");
    if (r < 0 && errno != EINTR) return SystemError("serial poll", errno);
    if (p.revents & POLLNVAL) return MakeError("serial read", kErrClosed, "the port was closed");
    if ((p.revents & POLLHUP) && !(p.revents & POLLIN))
      return MakeError("serial read", kErrClosed, "the port went away");
  }
}

HsStatus SerialStream::writeAll(std::string_view bytes) {
  while (!bytes.empty()) {
    if (fd_ < 0) return MakeError("serial write", kErrClosed, "the port was closed");
    ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      if (errno == EIO || errno == ENODEV)
        return MakeError("serial write", kErrClosed, "the port went away");
      return SystemError("serial write", errno);
    }
    pollfd p{fd_, POLLOUT, 0};
    if (::poll(&p, 1, 30000) == 0)
      return MakeError("serial write", kErrTimeout, "the port takes no more bytes");
  }
  return {};
}

HsStatus SerialStream::setRate(std::uint32_t baud) {
  speed_t speed = SpeedFor(baud);
  if (speed == B0) return MakeError("serial rate", kErrProtocol, std::to_string(baud) + " baud is not a rate of this port");
  termios t{};
  ::tcdrain(fd_);
  if (::tcgetattr(fd_, &t) != 0) return SystemError("serial rate", errno);
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
  if (::tcsetattr(fd_, TCSANOW, &t) != 0) return SystemError("serial rate", errno);
  return {};
}

void SerialStream::discardInput() {
  if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
}

}  // namespace kestrel::hotsync
