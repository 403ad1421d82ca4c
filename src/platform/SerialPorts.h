// Which serial ports the machine has, as the HotSync port menu lists them.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kestrel {

class SerialPorts {
 public:
  virtual ~SerialPorts() = default;
  // Whether a port name such as "COM1" has a default configuration, i.e.
  // the port exists and can be set up.
  virtual bool hasDefaultConfig(const std::string& name) = 0;
};

// On POSIX, COMn is /dev/ttyS(n-1) answering tcgetattr. KESTREL_COM_PORTS
// ("COM1,COM3"; empty for none) overrides the probe.
SerialPorts& TheSerialPorts();

// The device a port name stands for: COMn is /dev/ttyS(n-1); a path under
// /dev/ (a USB-serial adapter's /dev/ttyUSB0, say) is itself; else "".
std::string SerialPortDevice(const std::string& name);

// The ports among COM1..COM10 that exist, ascending.
std::vector<std::string> ProbeSerialPorts();

}  // namespace kestrel
