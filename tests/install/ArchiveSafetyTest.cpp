// Hostile and damaged archives: members land only in the unpack folder under
// their bare names, links are never followed, a failed extraction leaves
// nothing behind, and damage never stops the program.
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

#include "ArchiveZipWriter.h"
#include "install/ArchiveFolder.h"
#include "support/ArchiveFixtures.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;
namespace fs = std::filesystem;

namespace {

class ArchiveSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(home / "outside"); }

  std::vector<ArchiveListItem> list(const std::string& archive) {
    std::vector<ArchiveListItem> items;
    EXPECT_TRUE(ListArchive(archive, {}, &items));
    return items;
  }
  std::string unpack(const std::string& name) { return home / ("__temp__/unpack/" + name); }
  // The code of the last extraction failure shown, -1 for another box.
  int failureCode() {
    const std::string head = "解凍に失敗しました(";
    std::string text = prompter.lastText();
    if (text.rfind(head, 0) != 0) return -1;
    return std::stoi(text.substr(head.size()));
  }

  // Every file and link below the home except the registry, relative.
  std::set<std::string> files() {
    std::set<std::string> out;
    for (auto& e : fs::recursive_directory_iterator(home.path())) {
      if (e.is_directory() && !e.is_symlink()) continue;
      std::string rel = fs::relative(e.path(), home.path()).string();
      if (rel.rfind("registry.db", 0) != 0) out.insert(rel);
    }
    return out;
  }

  // Extracts every listed member; each must arrive under its caption.
  void extractAll(const std::string& archive) {
    for (const auto& item : list(archive)) {
      SCOPED_TRACE(item.path);
      EXPECT_EQ(ExtractMember(archive, item.path), unpack(item.caption));
    }
  }

  TempHome home;
  ScriptedPrompter prompter;
};

TEST_F(ArchiveSafetyTest, ZipPathsThatClimbOutLandAsBareNamesInTheUnpackFolder) {
  WriteZip(home / "evil.zip", {
                                  {.name = "../../outside/dotdot.txt", .data = "1"},
                                  {.name = home / "outside/absolute.txt", .data = "2"},
                                  {.name = "..\\..\\outside\\backslash.txt", .data = "3"},
                                  {.name = "C:\\outside\\drive.txt", .data = "4"},
                                  {.name = "C:relative.txt", .data = "5"},
                                  {.name = "a/../../../outside/middle.txt", .data = "6"},
                              });
  auto items = list(home / "evil.zip");
  std::vector<std::string> captions;
  for (const auto& i : items) captions.push_back(i.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"dotdot.txt", "absolute.txt", "backslash.txt",
                                                "drive.txt", "relative.txt", "middle.txt"}));
  EXPECT_EQ(items[2].path, "../../outside/backslash.txt");

  extractAll(home / "evil.zip");
  EXPECT_EQ(files(), (std::set<std::string>{
                         "evil.zip", "__temp__/unpack/dotdot.txt", "__temp__/unpack/absolute.txt",
                         "__temp__/unpack/backslash.txt", "__temp__/unpack/drive.txt",
                         "__temp__/unpack/relative.txt", "__temp__/unpack/middle.txt"}));
  EXPECT_EQ(ReadFile(unpack("drive.txt")), "4");
  EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(ArchiveSafetyTest, LzhPathsThatClimbOutLandAsBareNamesInTheUnpackFolder) {
  WriteFile(home / "evil.lzh",
            LzhArchive({
                {.path = "../../outside/level0.txt", .data = "0", .level = 0},
                {.path = home / "outside/level1.txt", .data = "1", .level = 1},
                {.path = "../../outside/level2.txt", .data = "2", .level = 2, .lh5 = true},
                {.path = "C:\\outside\\drive.txt", .data = "3", .level = 1},
            }));
  extractAll(home / "evil.lzh");
  EXPECT_EQ(files(), (std::set<std::string>{"evil.lzh", "__temp__/unpack/level0.txt",
                                            "__temp__/unpack/level1.txt",
                                            "__temp__/unpack/level2.txt",
                                            "__temp__/unpack/drive.txt"}));
  EXPECT_EQ(ReadFile(unpack("level2.txt")), "2");
}

TEST_F(ArchiveSafetyTest, LinksInArchivesAndInTheUnpackFolderAreNeverFollowed) {
  WriteFile(home / "outside/victim.txt", "precious");
  WriteZip(home / "link.zip", {{.name = "link.txt", .linkTarget = home / "outside/victim.txt"},
                               {.name = "readme.txt", .data = "new"}});
  WriteFile(home / "link.lzh",
            LzhArchive({{.path = "link|" + (home / "outside/victim.txt"),
                         .method = "-lhd-",
                         .unixMode = 0120777}}));

  // The zip link is listed (its target is its data) but not extracted.
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(ExtractMember(home / "link.zip", "link.txt"), "");
  EXPECT_EQ(failureCode(), 4);
  EXPECT_FALSE(fs::is_symlink(unpack("link.txt")));
  EXPECT_FALSE(fs::exists(unpack("link.txt")));
  // The lzh link has no data and is not listed; asked for anyway, it is refused.
  EXPECT_TRUE(list(home / "link.lzh").empty());
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(ExtractMember(home / "link.lzh", "link|" + (home / "outside/victim.txt")), "");
  EXPECT_EQ(failureCode(), 4);

  // A link planted in the unpack folder is replaced, not written through.
  ASSERT_EQ(symlink((home / "outside/victim.txt").c_str(), unpack("readme.txt").c_str()), 0);
  EXPECT_EQ(ExtractMember(home / "link.zip", "readme.txt"), unpack("readme.txt"));
  EXPECT_FALSE(fs::is_symlink(unpack("readme.txt")));
  EXPECT_EQ(ReadFile(unpack("readme.txt")), "new");
  EXPECT_EQ(ReadFile(home / "outside/victim.txt"), "precious");
}

TEST_F(ArchiveSafetyTest, PathsThatNameNoFileAreRefused) {
  WriteZip(home / "a.zip", {{.name = "..", .data = "x"}, {.name = "dir/", .data = "y"}});
  EXPECT_EQ(list(home / "a.zip").size(), 2u);
  prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(ExtractMember(home / "a.zip", ".."), "");
  EXPECT_EQ(ExtractMember(home / "a.zip", "dir/"), "");
  EXPECT_EQ(failureCode(), 3);
  EXPECT_EQ(files(), std::set<std::string>{"a.zip"});
}

TEST_F(ArchiveSafetyTest, DamagedDataFailsAndLeavesNoPartialFile) {
  std::string big;
  for (int i = 0; i < 300000; ++i) big += static_cast<char>('a' + i % 23);
  std::string noise;
  for (unsigned i = 0, x = 1; i < 300000; ++i) noise += static_cast<char>((x = x * 1103515245 + 12345) >> 24);
  // Spoil one byte in the middle of the member's data: stored, it fails the
  // CRC; deflated, it fails to inflate or the CRC.
  WriteZip(home / "bad.zip", {{.name = "big.txt", .data = big, .store = true}});
  WriteZip(home / "packed.zip", {{.name = "big.txt", .data = noise}});
  for (const char* name : {"bad.zip", "packed.zip"}) {
    std::string bytes = ReadFile(home / name);
    bytes[bytes.size() / 2] ^= 0x55;
    WriteFile(home / name, bytes);
  }
  WriteFile(unpack("big.txt"), "old");

  prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(ExtractMember(home / "bad.zip", "big.txt"), "");
  EXPECT_EQ(failureCode(), 5);
  EXPECT_EQ(ExtractMember(home / "packed.zip", "big.txt"), "");
  EXPECT_EQ(failureCode(), 5);
  // The earlier file of that name is whole; nothing else was left.
  EXPECT_EQ(ReadFile(unpack("big.txt")), "old");
  EXPECT_EQ(files(),
            (std::set<std::string>{"bad.zip", "packed.zip", "__temp__/unpack/big.txt"}));

  // lzh: a spoilt byte fails the CRC; data cut short fail the length.
  std::string lzh = LzhArchive({{.path = "big.txt", .data = big, .lh5 = true}});
  std::string spoilt = lzh;
  spoilt[spoilt.size() / 2] ^= 0x55;
  WriteFile(home / "bad.lzh", spoilt);
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(ExtractMember(home / "bad.lzh", "big.txt"), "");
  EXPECT_EQ(failureCode(), 5);
  WriteFile(home / "bad.lzh", lzh.substr(0, lzh.size() / 2));
  EXPECT_EQ(list(home / "bad.lzh").size(), 1u);
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(ExtractMember(home / "bad.lzh", "big.txt"), "");
  EXPECT_EQ(ReadFile(unpack("big.txt")), "old");
  EXPECT_EQ(files(), (std::set<std::string>{"bad.zip", "packed.zip", "bad.lzh",
                                            "__temp__/unpack/big.txt"}));
}

TEST_F(ArchiveSafetyTest, TruncatedAndForeignArchivesListWhatCanBeReadWithoutAWord) {
  std::vector<LzhMember> members;
  for (int i = 0; i < 3; ++i) {
    members.push_back({.path = "m" + std::to_string(i) + ".prc", .data = std::string(100, 'x'),
                       .level = i});
  }
  std::string lzh = LzhArchive(members);
  // Cut inside the third member's header: the first two remain.
  std::size_t third = LzhEntry(members[0]).size() + LzhEntry(members[1]).size();
  WriteFile(home / "cut.lzh", lzh.substr(0, third + 10));
  auto items = list(home / "cut.lzh");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].path, "m1.prc");
  EXPECT_EQ(ExtractMember(home / "cut.lzh", "m1.prc"), unpack("m1.prc"));

  // A zip cut anywhere loses its directory, which sits at the end.
  WriteZip(home / "whole.zip", {{.name = "a.prc", .data = "A"}, {.name = "b.prc", .data = "B"}});
  std::string zip = ReadFile(home / "whole.zip");
  for (std::size_t cut : {std::size_t{0}, std::size_t{10}, zip.size() / 2, zip.size() - 1}) {
    WriteFile(home / "cut.zip", zip.substr(0, cut));
    EXPECT_TRUE(list(home / "cut.zip").empty()) << cut;
  }

  // Not archives at all; a folder named like one.
  std::string noise;
  for (int i = 0; i < 5000; ++i) noise += static_cast<char>(i * 7919 % 256);
  WriteFile(home / "noise.zip", noise);
  WriteFile(home / "noise.lzh", noise);
  fs::create_directories(home / "folder.lzh");
  EXPECT_TRUE(list(home / "noise.zip").empty());
  EXPECT_TRUE(list(home / "noise.lzh").empty());
  EXPECT_TRUE(list(home / "folder.lzh").empty());
  EXPECT_TRUE(list(home / "missing.zip").empty());
  EXPECT_TRUE(prompter.shown().empty());
}

}  // namespace
