#include "users/UsersDat.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"

using namespace kestrel;

namespace {

// One record as the lookup reads it: ID, length, name, length, short name.
std::string Record(std::string id4, const std::string& name, const std::string& shortName) {
  return id4 + static_cast<char>(name.size()) + name + static_cast<char>(shortName.size()) +
         shortName;
}
std::string Id(std::int32_t id) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((static_cast<std::uint32_t>(id) >> (8 * i)) & 0xFF);
  return out;
}

TEST(UsersDatTest, TheLookupMatchesTheWholeNameAndTakesTheFirstOccurrence) {
  std::string header = "HDR.";  // any bytes before the first record
  std::string file = header + Record(Id(1), "Taro Yamada2", "TaroY2") + "\x01\x02" +
                     Record(std::string("\x39\x30\x00\x00", 4), "Hanako", "HanakoS") +
                     Record(Id(-2), "Hanako", "Second");

  UsersDatMatch m = FindUserInUsersDat(file, "Taro Yamada");
  EXPECT_EQ(m.answer, kLookupNotFound);  // only the longer name is there
  EXPECT_EQ(m.shortName, "");

  m = FindUserInUsersDat(file, "Taro Yamada2");
  EXPECT_EQ(m.answer, kLookupFound);
  EXPECT_EQ(m.shortName, "TaroY2");
  EXPECT_EQ(m.userId, 1);

  m = FindUserInUsersDat(file, "Hanako");
  EXPECT_EQ(m.answer, kLookupFound);
  EXPECT_EQ(m.shortName, "HanakoS");
  EXPECT_EQ(m.userId, 12345);  // bytes 39 30 00 00

  EXPECT_EQ(FindUserInUsersDat(file, "hanako").answer, kLookupNotFound);  // case counts
  EXPECT_EQ(FindUserInUsersDat(header + Record(Id(-2), "Neg", "N"), "Neg").userId, -2);
}

TEST(UsersDatTest, BrokenRecordsAreNotReadBeyondTheFile) {
  EXPECT_EQ(FindUserInUsersDat("", "Taro").answer, kLookupEmpty);
  EXPECT_EQ(FindUserInUsersDat("HDR." + Record(Id(5), "Taro", ""), "Taro").answer,
            kLookupNoShortName);
  // The short name's length points past the end of the file.
  std::string cut = "HDR." + Id(5) + "\x04Taro\x0CTaro";
  EXPECT_EQ(FindUserInUsersDat(cut, "Taro").answer, kLookupNotFound);
  // A name at the very start has no user ID before it.
  EXPECT_EQ(FindUserInUsersDat(std::string("\x04Taro\x01T", 7), "Taro").answer, kLookupNotFound);
  EXPECT_EQ(FindUserInUsersDat("HDR." + Record(Id(5), "Taro", "T"), "").answer, kLookupNotFound);
  // The name runs up to the last byte: no short name length byte.
  EXPECT_EQ(FindUserInUsersDat("HDR." + Id(5) + "\x04Taro", "Taro").answer, kLookupNotFound);
}

TEST(UsersDatTest, WrittenFilesParseBackAndAreFoundByTheLookup) {
  std::vector<UsersDatRecord> records = {{12345, "Taro Yamada", "TaroY"},
                                         {-1, Utf8ToCp932("山田表示"), Utf8ToCp932("表示")}};
  std::string error;
  auto bytes = FormatUsersDat(records, &error);
  ASSERT_TRUE(bytes) << error;
  EXPECT_EQ(bytes->substr(0, 8), std::string("UDAT\x01\x00\x02\x00", 8));
  auto back = ParseUsersDat(*bytes, &error);
  ASSERT_TRUE(back) << error;
  ASSERT_EQ(back->size(), 2u);
  EXPECT_EQ((*back)[1].userId, -1);
  EXPECT_EQ(Cp932ToUtf8((*back)[1].name), "山田表示");
  UsersDatMatch m = FindUserInUsersDat(*bytes, Utf8ToCp932("山田表示"));
  EXPECT_EQ(m.answer, kLookupFound);
  EXPECT_EQ(Cp932ToUtf8(m.shortName), "表示");
  EXPECT_EQ(m.userId, -1);
}

TEST(UsersDatTest, BadFilesAndRecordsAreRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(ParseUsersDat("", &error));
  EXPECT_NE(error.find("UDAT"), std::string::npos);
  auto good = *FormatUsersDat({{1, "Taro", "TaroY"}}, nullptr);
  EXPECT_FALSE(ParseUsersDat(good.substr(0, good.size() - 1), &error));
  EXPECT_NE(error.find("record 1"), std::string::npos);
  EXPECT_FALSE(ParseUsersDat(good + "x", &error));
  std::string more = good;
  more[6] = 2;  // claims two records
  EXPECT_FALSE(ParseUsersDat(more, &error));
  EXPECT_FALSE(FormatUsersDat({{1, "Taro", "ThirteenChars"}}, &error));
  EXPECT_FALSE(FormatUsersDat({{1, "", "T"}}, &error));
  EXPECT_FALSE(FormatUsersDat({{1, std::string(256, 'a'), "T"}}, &error));
}

TEST(UsersDatTest, AShortNameIsAWholeCharacterFolderNameOfAtMost12BytesNoneHasYet) {
  const std::string hyo6 = Utf8ToCp932("表表表表表表");  // trail bytes 0x5C, a backslash
  struct Case {
    std::string name;
    std::vector<std::string> taken;
    std::string shortName;
  };
  const Case cases[] = {
      {"Taro", {}, "Taro"},
      {"Taro Yamada", {}, "TaroYamada"},
      {"Taro Yamada-san", {}, "TaroYamada-s"},  // 12 bytes
      {"Taro", {"TARO"}, "Taro2"},
      {"Taro", {"taro", "Taro2"}, "Taro3"},
      {"TaroYamadaSan", {"TaroYamadaSa"}, "TaroYamadaS2"},
      {"a/b\\c:d*e?f\"g<h>i|j\x01k\x7F", {}, "abcdefghijk"},
      {"..", {}, "User"},
      {".hidden.", {}, "hidden"},
      {"con", {}, "_con"},
      {"LPT1.x", {}, "_LPT1.x"},
      {"\x01\x02", {"User"}, "User2"},
      {"", {}, "User"},
      // Double-byte characters stay whole, also one whose trail byte is '\'.
      {Utf8ToCp932("山田表示太郎さん"), {}, Utf8ToCp932("山田表示太郎")},
      {"T" + Utf8ToCp932("山田表示太郎"), {}, "T" + Utf8ToCp932("山田表示太")},
      {hyo6, {hyo6}, hyo6.substr(0, 10) + "2"},
      {std::string("\x81"), {}, "User"},            // a lead byte without its trail
      {std::string("\x85\x40") + "Ab", {}, "Ab"},  // a pair the code page lacks
      {std::string("\xB1\xB2"), {}, std::string("\xB1\xB2")},  // half-width katakana
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeShortName(c.name, c.taken), c.shortName) << Cp932ToUtf8(c.name);
  }
}

TEST(UsersDatTest, AnAddedRecordKeepsEveryByteAndIsFound) {
  std::string error;
  std::string file = *FormatUsersDat({{1001, "Taro", "TaroY"}}, nullptr) + "unknown tail";
  auto added = AddUsersDatRecord(file, {2002, "Hanako", "Hanako"}, &error);
  ASSERT_TRUE(added) << error;
  auto both = FormatUsersDat({{1001, "Taro", "TaroY"}, {2002, "Hanako", "Hanako"}}, nullptr);
  EXPECT_EQ(*added, *both + "unknown tail");
  EXPECT_EQ(FindUserInUsersDat(*added, "Hanako").userId, 2002);
  EXPECT_EQ(ReadUsersDatRecords(*added, nullptr)->size(), 2u);
  // Another layout, or records that do not read, is not rewritten.
  EXPECT_FALSE(AddUsersDatRecord("HDR." + Record(Id(5), "Taro", "T"), {1, "H", "H"}, &error));
  EXPECT_NE(error.find("UDAT"), std::string::npos);
  EXPECT_FALSE(AddUsersDatRecord(file.substr(0, 12), {1, "H", "H"}, &error));
  EXPECT_FALSE(AddUsersDatRecord(file, {1, "H", "ThirteenChars"}, &error));
}

}  // namespace
