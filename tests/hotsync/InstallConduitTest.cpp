// The install conduit against a scripted handheld: the calls in the order
// real desktops send them, the bytes of the recorded ones, and a handheld
// error that fails the database but still closes it.
#include "hotsync/InstallConduit.h"

#include <gtest/gtest.h>

#include "FakeHandheld.h"

using namespace kestrel::hotsync;
using kestrel::test::FakeHandheld;
using kestrel::test::Hex;
using kestrel::test::OnBoardHeader;
using kestrel::test::SrcEdit;
using Calls = std::vector<std::string>;

namespace {

TEST(InstallConduit, ARecordDatabaseGoesOverInTheRecordedCallsAndBytes) {
  FakeHandheld handheld;
  // DeleteDB of a database the handheld does not have: not found, fine.
  handheld.answer = [&](const DlpRequest& r) {
    return r.func == 0x1A ? ToResponse(r.func, kDlpNotFound) : handheld.Default(r);
  };
  DlpClient client(handheld);
  ASSERT_TRUE(InstallDatabase(client, OnBoardHeader()));
  EXPECT_EQ(handheld.calls(),
            (Calls{"OpenConduit", "DeleteDB", "CreateDB", "WriteRecord", "WriteRecord", "CloseDB"}));
  EXPECT_EQ(handheld.raw[1], Hex("1a01 2012 0000 4f6e426f6172644865616465722e6800"));
  EXPECT_EQ(handheld.raw[2], Hex("1801 201e 52454164 54455874 00 00 0000 0000 4f6e426f6172644865616465722e6800"));
  EXPECT_EQ(handheld.raw[3], Hex("2101 2018 01 80 006f8000 40 00 000200000000becd000c100000000000"));
  EXPECT_EQ(handheld.raw[5], Hex("1901 2001 01"));
}

TEST(InstallConduit, AResourceDatabaseWritesItsBlocksAndResourcesAndResetsWhenAsked) {
  FakeHandheld handheld;
  DlpClient client(handheld);
  ASSERT_TRUE(InstallDatabase(client, OnBoardHeader()));  // takes handle 1
  handheld.requests.clear();
  handheld.raw.clear();
  PalmDatabase db = SrcEdit();
  db.hasAppInfo = db.hasSortInfo = true;
  db.appInfo = "app";
  db.resources.push_back({"boot", 1, "reset me"});
  ASSERT_TRUE(InstallDatabase(client, db));
  EXPECT_EQ(handheld.calls(), (Calls{"OpenConduit", "DeleteDB", "CreateDB", "WriteAppBlock", "WriteSortBlock",
                                     "WriteResource", "WriteResource", "WriteResource", "ResetSystem",
                                     "CloseDB"}));
  EXPECT_EQ(handheld.raw[2], Hex("1801 2016 4c656458 6170706c 00 00 0001 0001 53726345646974 00"));
  // The handle the handheld gave (2), not an assumed one.
  EXPECT_EQ(handheld.raw[6], Hex("2401 2010 02 00 74766572 03e8 0006 322e352e3100"));
  EXPECT_EQ(handheld.raw[9], Hex("1901 2001 02"));
}

TEST(InstallConduit, AHandheldErrorFailsTheDatabaseNamesTheCallAndStillCloses) {
  struct Case {
    PalmDatabase db;
    std::uint8_t failing;
    const char* call;
  } cases[] = {{OnBoardHeader(), 0x21, "WriteRecord"}, {SrcEdit(), 0x24, "WriteResource"}};
  for (const Case& c : cases) {
    FakeHandheld handheld;
    handheld.answer = [&](const DlpRequest& r) {
      return r.func == c.failing ? ToResponse(r.func, kDlpNotEnoughSpace) : handheld.Default(r);
    };
    DlpClient client(handheld);
    auto r = InstallDatabase(client, c.db);
    ASSERT_FALSE(r) << c.call;
    EXPECT_EQ(r.error().call, c.call);
    EXPECT_EQ(r.error().code, 16);
    EXPECT_EQ(r.error().text, "memory full");
    EXPECT_EQ(handheld.calls().back(), "CloseDB") << c.call;
    EXPECT_EQ(handheld.calls().size(), 5u) << c.call;  // nothing written after the failure
  }
  // Any other DeleteDB error stops before anything is created.
  FakeHandheld handheld;
  handheld.answer = [&](const DlpRequest& r) {
    return r.func == 0x1A ? ToResponse(r.func, kDlpDatabaseOpen) : handheld.Default(r);
  };
  DlpClient client(handheld);
  auto r = InstallDatabase(client, SrcEdit());
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().call, "DeleteDB");
  EXPECT_EQ(handheld.calls(), (Calls{"OpenConduit", "DeleteDB"}));
}

TEST(InstallConduit, ADatabaseTheHandheldCannotTakeFailsBeforeAnythingIsSent) {
  FakeHandheld handheld;
  DlpClient client(handheld);
  PalmDatabase big = OnBoardHeader(), bigResource = SrcEdit(), unnamed = SrcEdit();
  big.records[1].data = std::string(client.maxRecordSize() + 1, 'x');
  bigResource.resources[0].data = std::string(client.maxRecordSize() + 1, 'x');
  unnamed.name.clear();
  for (const PalmDatabase* db : {&big, &bigResource, &unnamed}) {
    auto r = InstallDatabase(client, *db);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().code, db == &unnamed ? kErrBadFile : kErrTooLarge) << r.error().text;
  }
  EXPECT_TRUE(handheld.calls().empty());
}

TEST(InstallConduit, RecordAttributesFollowTheDeviceConversion) {
  struct Case {
    std::uint8_t file, attributes, category;
  } cases[] = {{0x40, 0x40, 0}, {0x47, 0x40, 7}, {0x9F, 0x98, 0}, {0x2B, 0x28, 0}, {0x1C, 0x10, 12}};
  for (const Case& c : cases) {
    DlpRecordAttributes a = ToDlpRecordAttributes(c.file);
    EXPECT_EQ(a.attributes, c.attributes) << int(c.file);
    EXPECT_EQ(a.category, c.category) << int(c.file);
  }
}

}  // namespace
