#include "hotsync/Usb.h"

#include <algorithm>

#include "hotsync/Bytes.h"

namespace kestrel::hotsync {

namespace {
constexpr UsbFraming kNet = UsbFraming::NetSync;
constexpr UsbFraming kSerial = UsbFraming::Serial;
}  // namespace

const std::vector<PalmUsbModel>& KnownPalmUsbModels() {
  static const std::vector<PalmUsbModel> models = {
      // Early handhelds speak the serial stack over USB.
      {0x054c, 0x0038, "Sony CLIE (Palm OS 3.5)", kSerial},
      {0x082d, 0x0100, "Handspring Visor, Treo 300", kSerial},
      // Every other one NetSync.
      {0x082d, 0x0200, "Handspring Treo", kNet},
      {0x082d, 0x0300, "Handspring Treo 600", kNet},
      {0x0830, 0x0001, "Palm m500", kNet},
      {0x0830, 0x0002, "Palm m505", kNet},
      {0x0830, 0x0003, "Palm m515", kNet},
      {0x0830, 0x0020, "Palm i705", kNet},
      {0x0830, 0x0031, "Palm Tungsten|Z", kNet},
      {0x0830, 0x0040, "Palm m125", kNet},
      {0x0830, 0x0050, "Palm m130", kNet},
      {0x0830, 0x0060, "Palm Tungsten|T, Zire 71", kNet},
      {0x0830, 0x0061, "Palm Treo 650, Tungsten, Zire 72", kNet},
      {0x0830, 0x0070, "Palm Zire", kNet},
      {0x0830, 0x0080, "Palm m100", kNet},
      {0x054c, 0x0066, "Sony CLIE (Palm OS 4.0)", kNet},
      {0x054c, 0x0095, "Sony CLIE S360", kNet},
      {0x054c, 0x009a, "Sony CLIE (Palm OS 4.1), NR", kNet},
      {0x054c, 0x00da, "Sony CLIE NX", kNet},
      {0x054c, 0x00e9, "Sony CLIE NZ", kNet},
      {0x054c, 0x0144, "Sony CLIE UX", kNet},
      {0x054c, 0x0169, "Sony CLIE TJ", kNet},
      {0x081e, 0xdf00, "AlphaSmart Dana", kNet},
      {0x12ef, 0x0100, "Tapwave Zodiac", kNet},
      {0x091e, 0x0004, "Garmin iQue 3600", kNet},
      {0x0c88, 0x0021, "Kyocera 7135", kNet},
      {0x04e8, 0x8001, "Samsung i330", kNet},
      {0x0e67, 0x0002, "Fossil Wrist PDA", kNet},
      {0x04e8, 0x6601, "Samsung SPH-i500", kNet},
      {0x0502, 0x0001, "Acer S10", kNet},
      {0x4766, 0x0001, "Aceeca Meazura", kNet},
      {0x115e, 0xf100, "GSPDA Xplore M68", kNet},
  };
  return models;
}

const PalmUsbModel* FindPalmUsbModel(std::uint16_t vendor, std::uint16_t product) {
  for (const PalmUsbModel& m : KnownPalmUsbModels())
    if (m.vendor == vendor && m.product == product) return &m;
  return nullptr;
}

HsResult<UsbPipes> DecodeExtConnectionInfo(std::string_view answer) {
  ByteReader in(answer);
  std::uint8_t ports = in.u8();
  bool different = in.u8() != 0;
  in.u16();
  for (std::uint8_t i = 0; i < std::min<std::uint8_t>(ports, 2) && !in.failed(); ++i) {
    std::string_view type = in.bytes(4);
    std::uint8_t port = in.u8();
    std::uint8_t endpoints = in.u8();
    in.u16();
    if (!in.failed() && type == "cnys") {
      if (different) return UsbPipes{static_cast<std::uint8_t>(endpoints >> 4),
                                     static_cast<std::uint8_t>(endpoints & 0x0F)};
      return UsbPipes{port, port};
    }
  }
  if (in.failed()) return MakeError("USB connection information", kErrProtocol, "an answer cut short");
  return MakeError("USB connection information", kErrProtocol, "no HotSync port");
}

HsResult<UsbPipes> DecodeConnectionInfo(std::string_view answer) {
  ByteReader in(answer);
  std::uint8_t ports = in.u8();
  in.u8();
  for (std::uint8_t i = 0; i < std::min<std::uint8_t>(ports, 2) && !in.failed(); ++i) {
    std::uint8_t function = in.u8();
    std::uint8_t port = in.u8();
    if (!in.failed() && function == 2) return UsbPipes{port, port};
  }
  if (in.failed()) return MakeError("USB connection information", kErrProtocol, "an answer cut short");
  return MakeError("USB connection information", kErrProtocol, "no HotSync port");
}

UsbPipes FindHotSyncPipes(UsbDevice& device) {
  std::vector<std::uint8_t> outs = device.bulkOutEndpoints();
  if (outs.empty()) outs.push_back(0);
  for (std::uint8_t index : outs) {
    auto ext = device.controlIn(kUsbGetExtConnectionInfo, index, kUsbExtConnectionInfoSize);
    if (ext) {
      if (auto pipes = DecodeExtConnectionInfo(*ext)) return *pipes;
    }
  }
  for (std::uint8_t index : outs) {
    auto info = device.controlIn(kUsbGetConnectionInfo, index, kUsbConnectionInfoSize);
    if (info) {
      if (auto pipes = DecodeConnectionInfo(*info)) {
        (void)device.controlIn(kUsbGetNumBytesAvailable, index, 2);
        return *pipes;
      }
    }
  }
  return device.firstBulkPipes();
}

HsResult<std::size_t> UsbBulkStream::readSome(char* buffer, std::size_t max, Millis timeout) {
  return device_.bulkRead(pipes_.in, buffer, max, timeout);
}

}  // namespace kestrel::hotsync
