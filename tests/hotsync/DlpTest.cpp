// DLP messages: answers recorded from real handhelds decode to what they
// say; every malformed message is a protocol error, never a crash.
#include "hotsync/Dlp.h"

#include <gtest/gtest.h>

#include "FakeHandheld.h"
#include "hotsync/DlpClient.h"

using namespace kestrel::hotsync;
using kestrel::test::FakeHandheld;
using kestrel::test::Hex;

namespace {

// POSE with Palm OS 4.1, user "PHEM".
const std::string kSysInfoAnswer =
    Hex("9202 0000 200e 04103000 00000100 00 04 00030000 210c 0001 0002 0003 0000 0000ffe1");
const std::string kUserInfoAnswer =
    Hex("9001 0000 2023 00000000 00000000 00000000 000000038f1c8f1c 07e7061b17273a00 05 00 5048454d00");

TEST(DlpAnswers, RecordedSysInfoAndUserInfoDecodeToWhatTheHandheldSaid) {
  FakeHandheld handheld;
  handheld.answer = [](const DlpRequest& r) {
    std::string bytes = r.func == 0x12 ? kSysInfoAnswer : kUserInfoAnswer;
    return *DecodeDlpResponse(bytes);
  };
  DlpClient client(handheld);
  auto sys = client.readSysInfo();
  ASSERT_TRUE(sys) << Describe(sys.error());
  EXPECT_EQ(sys->romVersion, 0x04103000u);
  EXPECT_EQ(RomVersionText(sys->romVersion), "4.1.0");
  EXPECT_EQ(sys->productId, Hex("00030000"));
  EXPECT_EQ(sys->dlpMajor * 10 + sys->dlpMinor, 12);
  EXPECT_EQ(client.maxRecordSize(), 65505u);
  // The desktop asked as DLP 1.4, in the recorded bytes.
  EXPECT_EQ(handheld.raw[0], Hex("12 01 20 04 0001 0004"));

  auto user = client.readUserInfo();
  ASSERT_TRUE(user) << Describe(user.error());
  EXPECT_EQ(user->userName, "PHEM");
  EXPECT_EQ(user->userId, 0u);
  EXPECT_EQ(user->successfulSync.year, 0);  // no date
  EXPECT_EQ(user->lastSync, (DlpDateTime{2023, 6, 27, 23, 39, 58}));
  EXPECT_EQ(handheld.raw[1], Hex("10 00"));

  // Our own answer encodes the way the handheld's did.
  EXPECT_EQ(EncodeDlpResponse(ToResponse(*sys)), kSysInfoAnswer);
}

TEST(DlpArguments, EachSizeTakesTheSmallestFormAndComesBackWhole) {
  for (std::size_t size : {0u, 255u, 256u, 65535u, 65536u, 200000u}) {
    DlpRequest r{0x21, {{0x20, std::string(size, 'r')}, {0x21, "x"}}};
    std::string bytes = EncodeDlpRequest(r);
    std::size_t header = size <= 255 ? 2 : size <= 65535 ? 4 : 6;
    EXPECT_EQ(bytes.size(), 2 + header + size + 3) << size;
    auto back = DecodeDlpRequest(bytes);
    ASSERT_TRUE(back) << size;
    ASSERT_EQ(back->args.size(), 2u);
    EXPECT_EQ(back->args[0].data.size(), size);
    EXPECT_EQ(back->arg(0x21)->data, "x");
  }
}

TEST(DlpAnswers, MalformedAnswersAreProtocolErrorsNamingTheCall) {
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"cut in its header", Hex("98 01 00")},
      {"answer to another call", Hex("99 00 0000")},
      {"a request, not an answer", Hex("18 00 0000")},
      {"error with arguments", Hex("98 01 0010 20 01 01")},
      {"argument past the end", Hex("98 01 0000 20 05 01")},
      {"short form cut", Hex("98 01 0000 a0 00 ff")},
      {"long form past the end", Hex("98 01 0000 60 00 7fffffff 01")},
      {"bytes after the arguments", Hex("98 01 0000 20 01 01 ff")},
      {"argument of the invalid form", Hex("98 01 0000 e0 01 01")},
      {"fewer arguments than counted", Hex("98 02 0000 20 01 01")},
  };
  for (const Case& c : cases) {
    auto r = DecodeDlpResponseTo(c.bytes, 0x18);
    ASSERT_FALSE(r) << c.what;
    EXPECT_EQ(r.error().code, kErrProtocol) << c.what;
    EXPECT_EQ(r.error().call, "CreateDB") << c.what;
  }
  // An answer whose argument is too short for its layout.
  FakeHandheld handheld;
  handheld.answer = [](const DlpRequest& r) { return DlpResponse{r.func, 0, {{0x20, Hex("0410")}}}; };
  DlpClient client(handheld);
  auto sys = client.readSysInfo();
  ASSERT_FALSE(sys);
  EXPECT_EQ(sys.error().call, "ReadSysInfo");
  EXPECT_EQ(sys.error().code, kErrProtocol);
}

TEST(DlpRequests, TheHandheldReadsBackEveryCallTheDesktopSends) {
  CreateDbRequest create{"LedX", "appl", 0, 1, 1, "SrcEdit"};
  CreateDbRequest create2;
  ASSERT_TRUE(Parse(*DecodeDlpRequest(EncodeDlpRequest(ToRequest(create))), create2));
  EXPECT_EQ(create2.name, "SrcEdit");
  EXPECT_EQ(create2.creator + create2.type, "LedXappl");
  EXPECT_EQ(create2.attributes, 1);

  WriteResourceRequest res{2, "tver", 1000, "2.5.1\0"}, res2;
  ASSERT_TRUE(Parse(*DecodeDlpRequest(EncodeDlpRequest(ToRequest(res))), res2));
  EXPECT_EQ(res2.type, "tver");
  EXPECT_EQ(res2.id, 1000);
  EXPECT_EQ(res2.data, res.data);

  WriteUserInfoRequest user, user2;
  user.userId = 0x12345678;
  user.modFlags = kModUserId;
  user.userName = "\x8e\x52\x93\x63";  // 山田 in Shift_JIS
  ASSERT_TRUE(Parse(*DecodeDlpRequest(EncodeDlpRequest(ToRequest(user))), user2));
  EXPECT_EQ(user2.userId, 0x12345678u);
  EXPECT_EQ(user2.modFlags, kModUserId);
  EXPECT_EQ(user2.userName, user.userName);

  CloseDbRequest all{true, 0}, all2;
  ASSERT_TRUE(Parse(ToRequest(all), all2));
  EXPECT_TRUE(all2.all);

  DbList list{42, true, {{0x40, 8, 1, 0, "DATA", "memo", 3, {}, {}, {}, "MemoDB"}}}, list2;
  ASSERT_TRUE(Parse(*DecodeDlpResponse(EncodeDlpResponse(ToResponse(list))), list2));
  ASSERT_EQ(list2.databases.size(), 1u);
  EXPECT_EQ(list2.databases[0].name, "MemoDB");
  EXPECT_TRUE(list2.more);

  // A handheld sees a broken request as an error, not as a call.
  WriteResourceRequest cut;
  EXPECT_FALSE(Parse(*DecodeDlpRequest(Hex("24 01 20 0b 02 00 74766572 03e8 0006 32")), cut));
  CreateDbRequest noName;
  EXPECT_FALSE(Parse(*DecodeDlpRequest(Hex("18 01 20 0e 52454164 54455874 00 00 0000 0000")), noName));
}

TEST(DlpErrors, TheHandheldsCodeReachesTheCallerWithItsText) {
  FakeHandheld handheld;
  handheld.answer = [](const DlpRequest& r) { return ToResponse(r.func, kDlpNotEnoughSpace); };
  DlpClient client(handheld);
  auto id = client.writeRecord({1, 0, 0, 0, "x"});
  ASSERT_FALSE(id);
  EXPECT_EQ(Describe(id.error()), "WriteRecord: memory full (16)");
}

}  // namespace
