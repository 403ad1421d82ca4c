#include "platform/SerialPorts.h"

namespace kestrel {

std::vector<std::string> ProbeSerialPorts() {
  std::vector<std::string> ports;
  // Probed from COM10 down and each inserted at the front, as the port menu
  // is built; the result is ascending.
  for (int n = 10; n >= 1; --n) {
    std::string name = "COM" + std::to_string(n);
    if (TheSerialPorts().hasDefaultConfig(name)) ports.insert(ports.begin(), name);
  }
  return ports;
}

}  // namespace kestrel
