// Palm database files: what the writer makes the reader gives back, and a
// hostile file is refused with a text that says what is wrong.
#include "hotsync/PalmDatabase.h"

#include <gtest/gtest.h>

#include "FakeHandheld.h"
#include "hotsync/Bytes.h"

using namespace kestrel::hotsync;

namespace {

PalmDatabase Records() {
  PalmDatabase db = kestrel::test::OnBoardHeader();
  db.version = 3;
  db.created = 0xC0000001;
  db.hasAppInfo = db.hasSortInfo = true;
  db.appInfo = std::string(276, 'a');
  db.sortInfo = "sort";
  db.records.push_back({0x91, 0x6F8002, ""});
  db.records.push_back({0x05, 0xABCDEF, std::string(3000, 'z')});
  return db;
}

// A header of `count` entries and nothing else, for the hostile cases.
std::string Header(std::uint16_t attributes, std::uint32_t appInfo, std::uint16_t count) {
  ByteWriter out;
  out.fixed("hostile", 32).u16(attributes).u16(0).u32(0).u32(0).u32(0).u32(0).u32(appInfo).u32(0);
  out.bytes("DATAtest").u32(0).u32(0).u16(count);
  return out.take();
}

std::string Entry(std::uint32_t offset) { return ByteWriter().u32(offset).u8(0).u8(0).u16(1).take(); }

TEST(PalmDatabaseFile, WhatTheWriterMakesTheReaderGivesBack) {
  for (const PalmDatabase& db : {Records(), kestrel::test::SrcEdit(), PalmDatabase{}}) {
    std::string bytes = WritePalmDatabase(db);
    auto back = ReadPalmDatabase(bytes);
    ASSERT_TRUE(back) << Describe(back.error());
    EXPECT_EQ(back->name, db.name);
    EXPECT_EQ(back->type + back->creator, db.type + db.creator);
    EXPECT_EQ(back->attributes, db.attributes);
    EXPECT_EQ(back->version, db.version);
    EXPECT_EQ(back->created, db.created);
    EXPECT_EQ(back->hasAppInfo, db.hasAppInfo);
    EXPECT_EQ(back->appInfo, db.appInfo);
    EXPECT_EQ(back->sortInfo, db.sortInfo);
    ASSERT_EQ(back->records.size(), db.records.size());
    for (std::size_t i = 0; i < db.records.size(); ++i) {
      EXPECT_EQ(back->records[i].attributes, db.records[i].attributes);
      EXPECT_EQ(back->records[i].uniqueId, db.records[i].uniqueId);
      EXPECT_EQ(back->records[i].data, db.records[i].data);
    }
    ASSERT_EQ(back->resources.size(), db.resources.size());
    for (std::size_t i = 0; i < db.resources.size(); ++i) {
      EXPECT_EQ(back->resources[i].type, db.resources[i].type);
      EXPECT_EQ(back->resources[i].id, db.resources[i].id);
      EXPECT_EQ(back->resources[i].data, db.resources[i].data);
    }
    EXPECT_EQ(WritePalmDatabase(*back), bytes);
  }
  // The most entries a file can list, each of them empty.
  PalmDatabase many;
  many.records.resize(65535);
  auto back = ReadPalmDatabase(WritePalmDatabase(many));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->records.size(), 65535u);
}

TEST(PalmDatabaseFile, AHostileFileIsRefusedWithWhatIsWrong) {
  const std::size_t list1 = kPalmHeaderSize + 8;
  struct Case {
    const char* what;
    std::string bytes;
    const char* says;
  } cases[] = {
      {"one byte", "x", "1 bytes, shorter than its 78-byte header"},
      {"header cut", Header(0, 0, 0).substr(0, 77), "shorter than its 78-byte header"},
      {"entry list past the end", Header(0, 0, 2) + Entry(100), "list of 2 entries runs past the end"},
      {"65535 entries listed, none there", Header(0, 0, 65535), "list of 65535 entries runs past the end"},
      {"resource list past the end", Header(1, 0, 1) + Entry(88), "list of 1 entries runs past the end"},
      {"offset past the end", Header(0, 0, 1) + Entry(5000) + "data", "entry 0 starts at 5000, past the end"},
      {"offset inside the header", Header(0, 0, 1) + Entry(10) + "data", "entry 0 starts at 10, inside the header"},
      {"decreasing offsets", Header(0, 0, 2) + Entry(list1 + 8 + 4) + Entry(list1 + 8) + "datadata",
       "entry 1 starts before entry 0"},
      {"AppInfo past the end", Header(0, 9999, 0), "AppInfo starts at 9999, past the end"},
      {"AppInfo over the entries", Header(0, list1 + 2, 1) + Entry(list1) + "data",
       "AppInfo overlaps what follows it"},
      {"AppInfo inside the header", Header(0, 4, 0) + "xxxx", "AppInfo starts at 4, inside the header"},
  };
  for (const Case& c : cases) {
    auto r = ReadPalmDatabase(c.bytes);
    ASSERT_FALSE(r) << c.what;
    EXPECT_EQ(r.error().code, kErrBadFile) << c.what;
    EXPECT_NE(r.error().text.find(c.says), std::string::npos) << c.what << ": " << r.error().text;
  }
  // No entries at all is a database too.
  auto empty = ReadPalmDatabase(Header(0, 0, 0));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->name, "hostile");
  EXPECT_EQ(empty->entryCount(), 0u);
}

TEST(PalmDatabaseTitle, TheFirstLineUpToItsZeroByte) {
  EXPECT_EQ(DatabaseTitle(std::string("Vexed\0\0\0appl", 12) + std::string(60, 'x')), "Vexed");
  EXPECT_EQ(DatabaseTitle("line one\r\nline two"), "line one");
  EXPECT_EQ(DatabaseTitle(std::string(80, 'n')), std::string(50, 'n'));
  EXPECT_EQ(DatabaseTitle(""), "");
}

}  // namespace
