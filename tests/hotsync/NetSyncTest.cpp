// NetSync: the desktop's handshake replies byte for byte as real handhelds
// require them, transaction ids, and frames a hostile peer may send.
#include "hotsync/NetSync.h"

#include <gtest/gtest.h>

#include <thread>

#include "FakeHandheld.h"
#include "hotsync/TcpStream.h"

using namespace kestrel::hotsync;
using kestrel::test::Drain;
using kestrel::test::Hex;

namespace {

constexpr Millis kWait{2000};

TEST(NetSyncHandshake, TheDesktopRepliesWithTheRecordedBytesAndThenNumbersItsRequestsFromThree) {
  auto [desktopEnd, handheldEnd] = MakeMemoryPipe();
  // A Wi-Fi handheld's own step 1 and 3 (they differ from ours, and may).
  ASSERT_TRUE(handheldEnd->writeAll(Hex("01ff00000016 90010000000000000020000000080200000000000000")));
  ASSERT_TRUE(handheldEnd->writeAll(
      Hex("010100000032 9201000000000000002000000024ffffffff003c003c4000000002000000c0a80260abea"
          "0000000000000000000000000000")));
  ASSERT_TRUE(handheldEnd->writeAll(Hex("010200000008 9300000000000000")));
  ASSERT_TRUE(handheldEnd->writeAll(Hex("010300000004 92000000")));
  NetSyncDesktop desktop(*desktopEnd, kWait);
  ASSERT_TRUE(desktop.handshake());
  auto answer = desktop.exchange(Hex("1201 2004 00010004"));
  ASSERT_TRUE(answer) << Describe(answer.error());
  EXPECT_EQ(*answer, Hex("92000000"));
  EXPECT_EQ(Drain(*handheldEnd),
            Hex("010100000032 1201000000000000002000000024ffffffff3c003c000000000000000000c0a8012104270000"
                "000000000000000000000000"
                "01020000002e 1301000000000000002000000020ffffffff003c003c0000000000000001"
                "00000000000000000000000000000000"
                "010300000008 1201200400010004"));
}

TEST(NetSyncHandshake, EitherSideFailsOnAMessageOfTheWrongLength) {
  auto [desktopEnd, handheldEnd] = MakeMemoryPipe();
  ASSERT_TRUE(WriteNetSyncFrame(*handheldEnd, 0xFF, std::string(21, '\x90')));
  NetSyncDesktop desktop(*desktopEnd, kWait);
  auto r = desktop.handshake();
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().code, kErrProtocol);

  auto [desktopEnd2, handheldEnd2] = MakeMemoryPipe();
  ASSERT_TRUE(WriteNetSyncFrame(*desktopEnd2, 1, std::string(50, '\0')));
  NetSyncHandheld handheld(*handheldEnd2, kWait);
  EXPECT_FALSE(handheld.handshake());
}

TEST(NetSyncFrames, HostileHeadersEndTheReadWithAClearError) {
  struct Case {
    const char* what;
    std::string bytes;
    int code;
  } cases[] = {
      {"type 2", Hex("020100000000"), kErrProtocol},
      {"4 GiB payload", Hex("0101ffffffff"), kErrProtocol},
      {"one byte over the bound", EncodeNetSyncHeader(1, kNetSyncMaxPayload + 1), kErrProtocol},
      {"payload cut short", Hex("010100000010 0102"), kErrClosed},
      {"header cut short", Hex("0101000000"), kErrClosed},
  };
  for (const Case& c : cases) {
    auto [a, b] = MakeMemoryPipe();
    ASSERT_TRUE(a->writeAll(c.bytes));
    a->close();
    auto frame = ReadNetSyncFrame(*b, kWait);
    ASSERT_FALSE(frame) << c.what;
    EXPECT_EQ(frame.error().code, c.code) << c.what;
  }
  auto [a, b] = MakeMemoryPipe();
  auto silent = ReadNetSyncFrame(*b, Millis(20));
  ASSERT_FALSE(silent);
  EXPECT_EQ(silent.error().code, kErrTimeout);
}

TEST(NetSyncFrames, AfterASilentHandheldTheLateAnswerIsNotTakenForTheNextCall) {
  auto [desktopEnd, handheldEnd] = MakeMemoryPipe();
  NetSyncDesktop desktop(*desktopEnd, Millis(20));
  auto first = desktop.exchange(Hex("2f00"));  // the handheld says nothing in time
  ASSERT_FALSE(first);
  EXPECT_EQ(first.error().code, kErrTimeout);
  ASSERT_TRUE(WriteNetSyncFrame(*handheldEnd, 1, Hex("af000000")));  // too late
  desktop.setTimeout(kWait);
  auto next = desktop.exchange(Hex("1900"));
  ASSERT_FALSE(next);
  EXPECT_EQ(next.error().code, kErrTimeout);
  EXPECT_EQ(Drain(*handheldEnd), Hex("010100000002 2f00"));  // nothing more was sent
}

TEST(NetSyncXids, TheCounterRunsFromOneTo254AndWrapsToOne) {
  std::uint8_t x = 0;
  for (int i = 1; i <= 254; ++i) EXPECT_EQ(x = NextXid(x), i);
  EXPECT_EQ(NextXid(x), 1);
}

TEST(NetSyncTcp, BothSidesTalkOverLoopbackAndTheHandheldChecksTheDesktopsXids) {
  auto listener = TcpListener::Listen({"127.0.0.1", 0});
  ASSERT_TRUE(listener) << Describe(listener.error());
  std::uint16_t port = (*listener)->port();
  std::string seen;
  std::thread handheldThread([&] {
    auto stream = TcpStream::Connect({"127.0.0.1", port}, kWait);
    ASSERT_TRUE(stream);
    NetSyncHandheld handheld(**stream, kWait);
    ASSERT_TRUE(handheld.handshake());
    for (int i = 0; i < 300; ++i) {  // past the xid wrap
      auto request = handheld.receiveRequest();
      ASSERT_TRUE(request) << Describe(request.error());
      seen = *request;
      ASSERT_TRUE(handheld.sendResponse("answer " + *request));
    }
    EXPECT_FALSE(handheld.receiveRequest());  // the desktop has gone
  });
  auto stream = (*listener)->accept(kWait);
  ASSERT_TRUE(stream);
  {
    NetSyncDesktop desktop(**stream, kWait);
    ASSERT_TRUE(desktop.handshake());
    std::string big(100000, 'b');
    for (int i = 0; i < 300; ++i) {
      std::string request = i == 299 ? big : std::to_string(i);
      auto answer = desktop.exchange(request);
      ASSERT_TRUE(answer) << Describe(answer.error());
      EXPECT_EQ(*answer, "answer " + request);
    }
    (*stream)->close();
  }
  handheldThread.join();
  EXPECT_EQ(seen.size(), 100000u);
  auto none = (*listener)->accept(Millis(10));
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error().code, kErrTimeout);
  EXPECT_FALSE(ParseHostPort("host:70000", ""));
  EXPECT_EQ(ParseHostPort("14238", "0.0.0.0")->host, "0.0.0.0");
}

}  // namespace
