// Serial ports on POSIX: COMn is /dev/ttyS(n-1) when the device answers
// tcgetattr; KESTREL_COM_PORTS names the ports instead (for tests and for
// machines whose ports have other device names).
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/SerialPorts.h"

namespace kestrel {
namespace {

bool ListedIn(const std::string& list, const std::string& name) {
  std::size_t start = 0;
  for (;;) {
    auto end = list.find(',', start);
    std::string item = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    while (!item.empty() && item.front() == ' ') item.erase(0, 1);
    while (!item.empty() && item.back() == ' ') item.pop_back();
    if (strcasecmp(item.c_str(), name.c_str()) == 0) return true;
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

class PosixSerialPorts : public SerialPorts {
 public:
  bool hasDefaultConfig(const std::string& name) override {
    if (const char* list = std::getenv("KESTREL_COM_PORTS")) return ListedIn(list, name);
    if (name.size() < 4 || strncasecmp(name.c_str(), "COM", 3) != 0) return false;
    std::string device = SerialPortDevice(name);
    if (device.empty()) return false;
    int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    termios t;
    bool ok = tcgetattr(fd, &t) == 0;
    close(fd);
    return ok;
  }
};

}  // namespace

std::string SerialPortDevice(const std::string& name) {
  if (name.rfind("/dev/", 0) == 0 && name.find("/../") == std::string::npos) return name;
  if (name.size() < 4 || strncasecmp(name.c_str(), "COM", 3) != 0) return "";
  char* end = nullptr;
  long n = std::strtol(name.c_str() + 3, &end, 10);
  if (*end != '\0' || n < 1 || n > 256) return "";
  return "/dev/ttyS" + std::to_string(n - 1);
}

SerialPorts& TheSerialPorts() {
  static PosixSerialPorts ports;
  return ports;
}

}  // namespace kestrel
