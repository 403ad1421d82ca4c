// USB handhelds: the model table, the connection information of the two
// kinds of answer, and the order in which a device is asked for its pipes.
#include <gtest/gtest.h>

#include <map>

#include "FakeHandheld.h"
#include "hotsync/Usb.h"

using namespace kestrel::hotsync;
using kestrel::test::Hex;

namespace {

// A device that answers the control requests it has answers for and
// stalls on the others.
class AnsweringDevice : public UsbDevice {
 public:
  std::map<std::pair<std::uint8_t, std::uint16_t>, std::string> answers;  // (request, index)
  std::vector<std::string> asked;
  HsResult<std::string> controlIn(std::uint8_t request, std::uint16_t index, std::uint16_t length) override {
    asked.push_back(std::to_string(request) + "@" + std::to_string(index) + ":" + std::to_string(length));
    auto it = answers.find({request, index});
    if (it == answers.end()) return MakeError("USB control request", kErrIo, "pipe stalled");
    return it->second;
  }
  std::vector<std::uint8_t> bulkOutEndpoints() const override { return {1, 2}; }
  UsbPipes firstBulkPipes() const override { return {1, 1}; }
  HsResult<std::size_t> bulkRead(std::uint8_t, char*, std::size_t, Millis) override {
    return MakeError("USB read", kErrClosed, "none");
  }
  HsStatus bulkWrite(std::uint8_t, std::string_view) override { return {}; }
  void close() override {}
};

TEST(Usb, TheModelDecidesTheFraming) {
  struct Case {
    std::uint16_t vendor, product;
    bool known;
    UsbFraming framing;
  } cases[] = {{0x054c, 0x0038, true, UsbFraming::Serial},  {0x082d, 0x0100, true, UsbFraming::Serial},
               {0x0830, 0x0060, true, UsbFraming::NetSync}, {0x082d, 0x0200, true, UsbFraming::NetSync},
               {0x054c, 0x0169, true, UsbFraming::NetSync}, {0x0830, 0xffff, false, UsbFraming::NetSync},
               {0x1234, 0x0038, false, UsbFraming::NetSync}};
  for (const Case& c : cases) {
    const PalmUsbModel* m = FindPalmUsbModel(c.vendor, c.product);
    ASSERT_EQ(m != nullptr, c.known) << std::hex << c.vendor << ":" << c.product;
    if (m) {
      EXPECT_EQ(m->framing, c.framing) << m->name;
    }
  }
}

TEST(Usb, ConnectionInformationOfBothKindsNamesTheHotSyncPipes) {
  // Extended: two ports, different endpoints; the second is HotSync ("cnys"),
  // IN 3 and OUT 4. Plain: a debugger port, then HotSync on port 2.
  const std::string ext = Hex("0201 0000 6762 6400 01 11 0000 636e7973 02 34 0000");
  const std::string extSame = Hex("0100 0000 636e7973 05 00 0000");
  const std::string plain = Hex("0200 0101 0202");
  EXPECT_EQ(*DecodeExtConnectionInfo(ext), (UsbPipes{3, 4}));
  EXPECT_EQ(*DecodeExtConnectionInfo(extSame), (UsbPipes{5, 5}));
  EXPECT_EQ(*DecodeConnectionInfo(plain), (UsbPipes{2, 2}));
  for (const std::string& bad : {Hex("02"), Hex("0100 0000 6762 6400 01 11 0000"), Hex("0200 0101")}) {
    EXPECT_FALSE(DecodeExtConnectionInfo(bad));
    EXPECT_FALSE(DecodeConnectionInfo(bad));
  }

  AnsweringDevice extended;
  extended.answers[{kUsbGetExtConnectionInfo, 2}] = ext;  // answers only with OUT endpoint 2
  EXPECT_EQ(FindHotSyncPipes(extended), (UsbPipes{3, 4}));
  EXPECT_EQ(extended.asked, (std::vector<std::string>{"4@1:20", "4@2:20"}));

  AnsweringDevice older;
  older.answers[{kUsbGetConnectionInfo, 1}] = plain;
  older.answers[{kUsbGetNumBytesAvailable, 1}] = Hex("0001");
  EXPECT_EQ(FindHotSyncPipes(older), (UsbPipes{2, 2}));
  EXPECT_EQ(older.asked, (std::vector<std::string>{"4@1:20", "4@2:20", "3@1:6", "1@1:2"}));

  AnsweringDevice silent;
  EXPECT_EQ(FindHotSyncPipes(silent), (UsbPipes{1, 1}));
}

}  // namespace
