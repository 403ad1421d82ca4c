#include "viewer/GlanceCommand.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <stdexcept>

#include "install/ArchiveFolder.h"
#include "install/ArchiveZipWriter.h"
#include "platform/WholeFile.h"
#include "support/ScriptedPrompter.h"
#include "support/PalmSetup.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class GlanceCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpPalmDesktop(home);
    RegKey k = CurrentUserKey(JoinKeyPath(kUsersKey, "Taro"));
    k.writeString("User", "TaroY");
    k.writeString("UserID", "3001");
    user = std::make_unique<UserInfo>("Taro");
    user->setGlanceHtmlConv(true);
    user->setGlanceJpFontName("IPAGothic");
    user->setGlanceEnFontSize(11);
    WriteZip(archive, {{"docs/readme.txt", "hello\r\n"}, {"page.html", "<p>x</p>"}});
  }
  // Shows nothing; remembers what it was handed and what it found.
  Rect Show(const GlanceRequest& r) {
    seen = r;
    shown++;
    auto bytes = ReadWholeFileOrEmpty(r.path);
    contentWhileShown = bytes;
    return closeAt;
  }
  static std::string ReadWholeFileOrEmpty(const std::string& path) {
    return FileExists(path) ? ReadFile(path) : std::string();
  }
  std::vector<std::string> UnpackFolderFiles() {
    std::string out;
    RunCommand("ls -A " + ShellQuote(ArchiveUnpackFolder()) + " 2>/dev/null", &out);
    std::vector<std::string> names;
    std::size_t from = 0;
    while (from < out.size()) {
      std::size_t nl = out.find('\n', from);
      names.push_back(out.substr(from, nl - from));
      from = nl + 1;
    }
    return names;
  }
  bool Open(const std::string& member) {
    return OpenGlance(*user, archive, member, mainWindow, [this](const GlanceRequest& r) { return Show(r); });
  }

  TempHome home;
  ScriptedPrompter prompter;
  std::unique_ptr<UserInfo> user;
  std::string archive = home / "Docs.zip";
  Rect mainWindow{10, 20, 800, 600};
  Rect closeAt{30, 40, 500, 400};
  GlanceRequest seen;
  int shown = 0;
  std::string contentWhileShown;
};

}  // namespace

TEST_F(GlanceCommandTest, ShowsTheExtractedCopyAndDeletesItAfterwards) {
  ASSERT_TRUE(Open("docs/readme.txt"));
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(contentWhileShown, "hello\r\n");
  EXPECT_EQ(seen.path, ArchiveUnpackFolder() + "/readme.txt");
  EXPECT_TRUE(seen.htmlConv);
  EXPECT_EQ(seen.fonts.jpName, "IPAGothic");
  EXPECT_EQ(seen.fonts.enSize, 11);
  EXPECT_FALSE(FileExists(seen.path));
  EXPECT_TRUE(UnpackFolderFiles().empty());
}

TEST_F(GlanceCommandTest, PlacementAndTheSavedRectangle) {
  // Position not kept: over the main window, and nothing stored.
  ASSERT_TRUE(Open("page.html"));
  EXPECT_EQ(seen.place.left, 10);
  EXPECT_EQ(seen.place.width, 800);
  EXPECT_EQ(UserInfo("Taro").glanceRect().width, 0);

  // Kept, but a saved width of 0: still over the main window; the closing
  // rectangle is then stored.
  user->setGlanceSavePos(true);
  user->setGlanceRect({1, 2, 0, 300});
  ASSERT_TRUE(Open("page.html"));
  EXPECT_EQ(seen.place.left, 10);
  EXPECT_EQ(seen.place.height, 600);
  Rect stored = UserInfo("Taro").glanceRect();
  EXPECT_EQ(stored.left, 30);
  EXPECT_EQ(stored.top, 40);
  EXPECT_EQ(stored.width, 500);
  EXPECT_EQ(stored.height, 400);
  // Next time it opens where it closed.
  ASSERT_TRUE(Open("page.html"));
  EXPECT_EQ(seen.place.left, 30);
  EXPECT_EQ(seen.place.width, 500);
}

TEST_F(GlanceCommandTest, AMemberThatCannotBeExtractedOpensNoWindowAndLeavesNothing) {
  // A member whose stored bytes were damaged fails its check.
  WriteZip(archive, {{"bad.txt", std::string(200, 'a'), (20 << 9) | (1 << 5) | 31, 0, true}});
  std::string bytes = ReadFile(archive);
  std::size_t at = bytes.find(std::string(200, 'a'));
  ASSERT_NE(at, std::string::npos);
  bytes[at + 100] = 'b';
  WriteFile(archive, bytes);
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(Open("bad.txt"));
  EXPECT_EQ(shown, 0);
  EXPECT_TRUE(UnpackFolderFiles().empty());

  // A member that is not there at all.
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(Open("missing.txt"));
  EXPECT_EQ(shown, 0);
  EXPECT_TRUE(UnpackFolderFiles().empty());
}

TEST_F(GlanceCommandTest, TheCopyGoesEvenWhenTheWindowFails) {
  std::string path;
  EXPECT_THROW(OpenGlance(*user, archive, "docs/readme.txt", mainWindow,
                          [&](const GlanceRequest& r) -> Rect {
                            path = r.path;
                            throw std::runtime_error("no window");
                          }),
               std::runtime_error);
  EXPECT_FALSE(path.empty());
  EXPECT_FALSE(FileExists(path));
}

TEST_F(GlanceCommandTest, AMemberAboveTheBoundGetsAMessageInsteadOfAWindow) {
  std::string huge = home / "__temp__/unpack/huge.txt";
  WriteFile(huge, "");
  ASSERT_EQ(truncate(huge.c_str(), static_cast<off_t>(kMaxWholeFileBytes) + 1), 0);  // sparse
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(OpenGlance(*user, archive, "huge.txt", mainWindow, [this](const GlanceRequest& r) { return Show(r); },
                          [&](const std::string&, const std::string&) { return huge; }));
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(prompter.lastText(), "ファイルを読めません\n" + huge + "\nlarger than 64 MB");
  EXPECT_FALSE(FileExists(huge));
}
