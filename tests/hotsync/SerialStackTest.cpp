// The serial stack: SLP frames, PADP delivery and CMP's rate agreement,
// pinned to bytes of recorded sessions (POSE over a bridged serial port),
// and both ends over an in-memory line that loses and spoils bytes.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakeHandheld.h"
#include "hotsync/Bytes.h"
#include "hotsync/Cmp.h"
#include "hotsync/Dlp.h"
#include "hotsync/InstallConduit.h"
#include "hotsync/DlpClient.h"
#include "hotsync/SerialSync.h"
#include "hotsync/Slp.h"

using namespace kestrel::hotsync;
using kestrel::test::Drain;
using kestrel::test::Hex;

namespace {

// Recorded: the handheld's WAKEUP (115 200 baud), the desktop's ACK of it
// and its INIT, the desktop's first DLP request (ReadSysInfo, host DLP 1.4),
// the handheld's long-form ACK of it and its answer.
const std::string kWakeup = Hex("beefed030302000effaf01c0000a0110010300000001c2006d2e");
const std::string kAckOfWakeup = Hex("beefed0303020004ffa502c0000a1a85");
const std::string kInit = Hex("beefed030302000effaf01c0000a0290010100000001c20003b0");
const std::string kReadSysInfo = Hex("beefed030302000c01af01c0000812012004000100041d8b");
const std::string kAckOfReadSysInfo = Hex("beefed030302000601a902d0000000082896");
const std::string kSysInfoAnswer = Hex(
    "beefed030302002801cb01d00000002292020000200e0410300000010000000400020000210c00010002000300"
    "000000ffe1970c");
const std::string kLoopBack = Hex("beefed030303000015b8ab20");

PadpSettings Quick() {
  PadpSettings s;
  s.ackWait = Millis(100);
  s.retries = 4;
  return s;
}

TEST(SerialStack, FramesAndConnectionMessagesAreTheRecordedBytes) {
  EXPECT_EQ(EncodeSlpFrame(kSlpTypePadp, 0xFF, Hex("02c0000a")), kAckOfWakeup);
  EXPECT_EQ(EncodeSlpFrame(kSlpTypePadp, 0xFF, Hex("01c0000a0290010100000001c200")), kInit);
  EXPECT_EQ(SlpCrc16(kLoopBack.substr(0, 10)), 0xab20);

  auto wakeup = DecodeCmp(Hex("0110010300000001c200"));
  ASSERT_TRUE(wakeup);
  EXPECT_EQ(wakeup->baud, 115200u);
  struct Case {
    std::uint32_t offered, allowed;
    std::string init;
  } cases[] = {
      {115200, 115200, "0290010100000001c200"},  // recorded
      {230400, 115200, "0290010100000001c200"},  // recorded (user-info session)
      {115200, 57600, "029001010000 0000e100"},
      {9600, 115200, "02100101000000000000"},  // no change: baud 0, no flag
      {230400, 9600, "02100101000000000000"},
  };
  for (const Case& c : cases) {
    CmpMessage w = *wakeup;
    w.baud = c.offered;
    EXPECT_EQ(EncodeCmp(CmpInitFor(w, c.allowed)), Hex(c.init)) << c.offered << " " << c.allowed;
  }
  EXPECT_FALSE(DecodeCmp(Hex("0110010300")));
  EXPECT_FALSE(DecodeCmp(Hex("0710010300000001c200")));
}

TEST(SerialStack, TheReaderSkipsNoiseLoopBackAndDamagedFramesAndTakesFramesInPieces) {
  auto [a, b] = MakeMemoryPipe();
  std::string bad = kWakeup;
  bad[14] ^= 0x01;  // a payload byte: the CRC no longer fits
  std::string badHeader = kWakeup;
  badHeader[9] ^= 0x01;  // the header checksum
  std::string tooLong = EncodeSlpFrame(kSlpTypePadp, 1, std::string(kSlpMaxPayload + 1, 'x'));
  std::string line = "\x00\xbe\xef noise" + kLoopBack + bad + badHeader + tooLong + kLoopBack + kWakeup;
  for (std::size_t i = 0; i < line.size(); i += 7)
    ASSERT_TRUE(a->writeAll(std::string_view(line).substr(i, 7)));
  SlpReader reader(*b);
  auto frame = reader.read(std::chrono::steady_clock::now() + Millis(1000));
  ASSERT_TRUE(frame) << Describe(frame.error());
  EXPECT_EQ(frame->xid, 0xFF);
  EXPECT_EQ(frame->payload, Hex("01c0000a0110010300000001c200"));
  EXPECT_EQ(reader.rejected(), 3);
  auto none = reader.read(std::chrono::steady_clock::now() + Millis(50));
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error().code, kErrTimeout);
}

TEST(SerialStack, TheDesktopAnswersTheRecordedWakeupAndSendsTheRecordedRequest) {
  auto [desk, hand] = MakeMemoryPipe();
  std::uint32_t switched = 0;
  // The usual acknowledgement wait: the handheld below answers after pauses,
  // and a busy machine must not stretch one into a sending again.
  SerialDesktop desktop(*desk, Millis(2000), 115200,
                        [&](std::uint32_t baud) { switched = baud; return HsStatus{}; }, PadpSettings{});
  ASSERT_TRUE(hand->writeAll(kLoopBack + kWakeup + kWakeup));  // a WAKEUP sent twice
  std::thread handheld([&] {
    std::this_thread::sleep_for(Millis(50));
    // The INIT's acknowledgement, then ReadSysInfo's acknowledgement and answer.
    (void)hand->writeAll(EncodeSlpFrame(kSlpTypePadp, 0xFF, Hex("02d00000000a")));
    std::this_thread::sleep_for(Millis(50));
    (void)hand->writeAll(kAckOfReadSysInfo + kSysInfoAnswer);
  });
  ASSERT_TRUE(desktop.handshake());
  EXPECT_EQ(switched, 115200u);
  auto answer = desktop.exchange(kReadSysInfo.substr(kSlpHeaderSize + 4, 8));
  handheld.join();
  ASSERT_TRUE(answer) << Describe(answer.error());
  auto response = DecodeDlpResponse(*answer);
  ASSERT_TRUE(response);
  SysInfo info;
  ASSERT_TRUE(Parse(*response, info));
  EXPECT_EQ(info.romVersion, 0x04103000u);
  // The duplicate WAKEUP acknowledged again while the INIT waits for its
  // acknowledgement, as recorded; the answer acknowledged in short form.
  EXPECT_EQ(Drain(*hand, Millis(200)), kAckOfWakeup + kInit + kAckOfWakeup + kReadSysInfo +
                              EncodeSlpFrame(kSlpTypePadp, 0x01, Hex("02c00022")));
}

// Both ends over the memory line; `faults` spoil the handheld's sending.
struct Line {
  explicit Line(PadpFaults faults = {}, std::uint32_t offered = 115200) {
    auto ends = MakeMemoryPipe();
    deskEnd = std::move(ends.first);
    handEnd = std::move(ends.second);
    desktop = std::make_unique<SerialDesktop>(*deskEnd, Millis(1500), 57600, RateSwitch{}, Quick());
    handheld = std::make_unique<SerialHandheld>(*handEnd, Millis(1500), offered, RateSwitch{}, Quick(), faults);
  }
  std::unique_ptr<ByteStream> deskEnd, handEnd;
  std::unique_ptr<SerialDesktop> desktop;
  std::unique_ptr<SerialHandheld> handheld;
};

// The handheld answers every request with the fake's answers until EndOfSync.
void Serve(SerialHandheld& link, kestrel::test::FakeHandheld& fake, int silentAfter = -1) {
  if (!link.handshake()) return;
  for (int n = 0;; ++n) {
    auto request = link.receiveRequest();
    if (!request || n == silentAfter) return;
    auto answer = fake.exchange(*request);
    if (!answer || !link.sendResponse(*answer)) return;
    if (static_cast<DlpFunc>((*request)[0]) == DlpFunc::EndOfSync) return;
  }
}

TEST(SerialStack, AnInstallArrivesWholeThroughDamagedFramesAndLostAcknowledgements) {
  kestrel::test::FakeHandheld fake;
  PalmDatabase db = kestrel::test::SrcEdit();
  db.resources.push_back({"code", 1, std::string(5000, 'x')});  // five fragments
  const std::pair<const char*, PadpFaults> cases[] = {
      {"clean", {}}, {"damaged frame", {2, 0}}, {"lost acknowledgement", {0, 7}}};  // of a fragment in the middle
  for (const auto& [what, faults] : cases) {
    fake = {};
    Line line(faults);
    std::thread hand([&] { Serve(*line.handheld, fake); });
    ASSERT_TRUE(line.desktop->handshake()) << what;
    DlpClient client(*line.desktop);
    HsStatus installed = InstallDatabase(client, db);
    HsStatus ended = client.endOfSync();
    hand.join();
    ASSERT_TRUE(installed) << what << ": " << Describe(installed.error());
    EXPECT_TRUE(ended) << what;
    EXPECT_EQ(line.desktop->rate(), 57600u) << what;
    EXPECT_EQ(line.handheld->rate(), 57600u) << what;
    ASSERT_EQ(fake.requests.size(), 8u) << what;
    WriteResourceRequest big;
    ASSERT_TRUE(Parse(fake.requests[5], big)) << what;
    EXPECT_EQ(big.data, std::string(5000, 'x')) << what;
    std::string report = line.desktop->linkReport();
    EXPECT_NE(report.find(std::to_string(faults.corruptData ? 1 : 0) + " damaged frame(s) dropped"),
              std::string::npos) << what << ": " << report;
    EXPECT_NE(report.find(std::string(faults.dropAck ? "1" : "0") + " sent again"), std::string::npos)
        << what << ": " << report;
  }
}

TEST(SerialStack, AHandheldThatFallsSilentEndsTheExchangeWithinItsTimeOut) {
  kestrel::test::FakeHandheld fake;
  Line line;
  std::thread hand([&] { Serve(*line.handheld, fake, 1); });
  HsStatus shaken = line.desktop->handshake();
  DlpClient client(*line.desktop);
  HsStatus first = client.openConduit();
  auto start = std::chrono::steady_clock::now();
  HsStatus second = client.openConduit();
  auto took = std::chrono::steady_clock::now() - start;
  hand.join();
  ASSERT_TRUE(shaken && first);
  ASSERT_FALSE(second);
  EXPECT_EQ(second.error().code, kErrTimeout);
  EXPECT_LT(took, Millis(4000));
  // What comes after (the install's CloseDB) fails at once, with no retries.
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(client.closeDb(1));
  EXPECT_LT(std::chrono::steady_clock::now() - start, Millis(50));
}

}  // namespace
