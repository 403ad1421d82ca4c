// What the console's pane makes of pilot-xfer's output and how it builds
// its command lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Codepage.h"
#include "platform/Process.h"
#include "xferlink/DosCommand.h"
#include "xferlink/KestlinkText.h"

using namespace kestrel;

namespace {
std::vector<std::string> Utf8(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines) out.push_back(Cp932ToUtf8(l));
  return out;
}
void Feed(KestlinkText& t, const std::string& bytes) {
  std::string line;
  for (char c : bytes) {
    t.OnChar(c);
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      t.OnLine(line);
      line.clear();
    } else {
      line.push_back(c);
    }
  }
}
}  // namespace

TEST(KestlinkTextTest, CommandLinesPortRateAndBlanksQuoted) {
  EXPECT_EQ(XferCommandLine(XferCommand::Backup, "/px", XferPortText(1), "/bk"),
            "/px/pilot-xfer COM2 -b /bk");
  EXPECT_EQ(XferRateText(3), "57600");
  EXPECT_EQ(XferCommandLine(XferCommand::List, "/px", "COM1", "/nowhere"), "/px/pilot-xfer COM1 -l");
  EXPECT_EQ(XferCommandLine(XferCommand::Update, "/px", "COM1", "/b").substr(15), "COM1 -u /b");
  EXPECT_EQ(XferCommandLine(XferCommand::Restore, "/px", "COM1", "/b").substr(15), "COM1 -r /b");
  // A blank in a folder would split the line there: quoted, it splits back whole.
  std::string line = XferCommandLine(XferCommand::Backup, "/my tools", "COM1", "/my backup");
  EXPECT_EQ(SplitCommandLine(line),
            (std::vector<std::string>{"/my tools/pilot-xfer", "COM1", "-b", "/my backup"}));
  EXPECT_EQ(XferPortText(4), "");
}

TEST(KestlinkTextTest, ElapsedTime) {
  EXPECT_EQ(ElapsedText(0), "0 秒");
  EXPECT_EQ(ElapsedText(59), "59 秒");
  EXPECT_EQ(ElapsedText(61), "1 分 1 秒");
  EXPECT_EQ(ElapsedText(187), "3 分 7 秒");
}

TEST(KestlinkTextTest, ElapsedSecondsFromTheStartDoNotLoseOneToAnEarlyTick) {
  using std::chrono::milliseconds;
  struct Case {
    int ms;
    long seconds;
  } cases[] = {{0, 0}, {400, 0}, {996, 1}, {1000, 1}, {1500, 1}, {1950, 2}, {58997, 59}, {59990, 60}, {61000, 61}};
  for (const Case& c : cases) EXPECT_EQ(ElapsedSeconds(milliseconds(c.ms)), c.seconds) << c.ms;
}

TEST(KestlinkTextTest, EndlessOutputWithoutLineEndsStaysBoundedAndKeepsTheNewest) {
  KestlinkText text;
  text.Announce("一覧の取得を行います・・・");
  text.OnLine("Connected");
  const std::size_t total = KestlinkText::kMaxBytes * 2;
  for (std::size_t i = 0; i < total; ++i) text.OnChar(static_cast<char>('a' + i % 26));
  text.OnChar('!');
  std::size_t held = 0;
  for (const std::string& l : text.lines()) {
    EXPECT_LE(l.size(), KestlinkText::kMaxLineBytes);
    held += l.size();
  }
  EXPECT_LE(held, KestlinkText::kMaxBytes);
  EXPECT_GE(held, KestlinkText::kMaxBytes / 2);
  EXPECT_EQ(text.lines().back().back(), '!');
}

TEST(KestlinkTextTest, ARelativeFolderIsResolvedOnceAgainstTheCurrentFolder) {
  std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(XferFolder("px"), cwd + "/px");
  EXPECT_EQ(XferFolder("./a/../px/"), cwd + "/px");
  EXPECT_EQ(XferFolder("/opt/pilot link//"), "/opt/pilot link");
  EXPECT_EQ(XferFolder(""), "");
}

TEST(KestlinkTextTest, LinesUntilConnectedThenBytesAsTheyCome) {
  KestlinkText t;
  t.Announce(XferAnnouncement(XferCommand::Backup));
  Feed(t, "   Port: COM1\nWaiting for connection on COM1 whatever\nWaiting for connectionX\n");
  EXPECT_EQ(Utf8(t.lines()),
            (std::vector<std::string>{"Palmから PCへバックアップを行います・・・", "   Port: COM1"}));
  EXPECT_TRUE(t.waiting());
  Feed(t, "Connected to handheld\r\n");
  EXPECT_FALSE(t.waiting());
  EXPECT_EQ(t.lines().back(), "") << "\"Connected\" becomes an empty line";
  // Progress before any line end is shown at once.
  Feed(t, "Backing up 'a'..");
  EXPECT_EQ(t.lines().back(), "Backing up 'a'..");
  Feed(t, ". OK\nNo change\r\nlast");
  EXPECT_EQ(std::vector<std::string>(t.lines().end() - 3, t.lines().end()),
            (std::vector<std::string>{"Backing up 'a'... OK", "No change", "last"}));
  // Lines after the connection are not added a second time.
  EXPECT_EQ(t.lines().size(), 5u);
}

TEST(KestlinkTextTest, NeverConnectedShowsEveryLineAndRulerOnlyAfterTheFirstLine) {
  KestlinkText t;
  t.Announce(XferAnnouncement(XferCommand::List));
  EXPECT_EQ(t.lines().size(), 1u) << "no ruler in an empty pane";
  t.Announce(XferAnnouncement(XferCommand::List));
  EXPECT_EQ(t.lines().size(), 2u) << "no ruler after one line";
  Feed(t, "pilot-xfer: no handheld\nsecond line\n");
  t.Announce(XferAnnouncement(XferCommand::Restore));
  std::vector<std::string> lines = Utf8(t.lines());
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[2], "pilot-xfer: no handheld");
  EXPECT_EQ(lines[3], "second line");
  EXPECT_EQ(lines[4], kKestlinkRuler);
  EXPECT_EQ(lines[4].size(), 80u);
  EXPECT_EQ(lines[5], "PCから Palmへのリストアを行います・・・");
  EXPECT_EQ(t.Joined("\n").substr(0, 1), Utf8ToCp932("一").substr(0, 1));
}

namespace {

// The runner's byte and line events for `bytes`, a line cut at its longest
// and the last one given at the end.
KestlinkText ByteByByte(const std::string& bytes) {
  KestlinkText t;
  t.Announce("一覧の取得を行います・・・");
  std::string line;
  auto deliver = [&] {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    t.OnLine(line);
    line.clear();
  };
  for (char c : bytes) {
    t.OnChar(c);
    if (c == '\n') {
      deliver();
    } else {
      line.push_back(c);
      if (line.size() >= TDosCommand::kMaxLine) deliver();
    }
  }
  if (!line.empty()) deliver();
  return t;
}

TEST(KestlinkTextTest, OutputInBlocksShowsWhatBytesAndLinesShow) {
  std::string longLine(TDosCommand::kMaxLine - 3, 'x');
  std::vector<std::string> outputs = {
      "Waiting for connection on COM1\nPort: COM1\r\nConnected\r\nBacking up 'a'... OK\n"
      "dots...\r..\rNo change,\r\n\n\nConnected again\nlast",
      "never connected\r\n a\rb \n\nConnected",
      "Connected\n" + longLine + "abcConnected\r\nConnected\r" + std::string(30, 'y') + "\nend\r",
      "line\n" + longLine + "\r\r\r\rConnected\n" + "tail",
      "Connected\nab\ncd\n\nef\nConnected again\ngh\r\nij\n\rkl\n" + longLine + "abc\nx\n" + longLine +
          "abcd\ny\n",
      "Connected\nab\n" + longLine + "ab\n" + longLine + "abc\nx\n" + longLine + "abcd\ny\n",
  };
  // Runs of listing lines with now and then what ends a run of finished
  // lines: a CR, an empty line, a line beginning "C" or "Connected"; the
  // block sizes put them at many places in a block.
  const char* const pieces[] = {"Database 'MemoDB' listed\n", "ok\n", "x", "\n", "\r", "\r\n", "C", "Connected", "Cab\n"};
  std::srand(7);
  for (int n = 0; n < 40; ++n) {
    std::string bytes = "Connected\n";
    while (bytes.size() < 600) bytes += pieces[std::rand() % 20 < 14 ? std::rand() % 2 : 2 + std::rand() % 7];
    outputs.push_back(bytes);
  }
  for (const std::string& bytes : outputs) {
    std::vector<std::string> want = ByteByByte(bytes).lines();
    for (std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{40}, std::size_t{65536}, bytes.size()}) {
      SCOPED_TRACE(block);
      KestlinkText t;
      t.Announce("一覧の取得を行います・・・");
      for (std::size_t at = 0; at < bytes.size(); at += block) t.OnOutput(std::string_view(bytes).substr(at, block));
      t.EndOfOutput();
      EXPECT_TRUE(t.lines() == want) << bytes.substr(0, 40);

      // Finished lines passed on as they come: the same lines, in order,
      // and the same again with CR LF for the log, taken a part at a time
      // as a writer that keeps back a tail takes them.
      KestlinkText passing;
      std::vector<std::string> passed;
      GatheredBytes log;
      std::string logged;
      passing.setFinishedLines(
          [&](std::string_view text) {
            ASSERT_EQ(text.back(), '\n');
            for (std::size_t at = 0, lf; at < text.size(); at = lf + 1) {
              lf = text.find('\n', at);
              passed.emplace_back(text.substr(at, lf - at));
            }
          },
          &log);
      passing.Announce("一覧の取得を行います・・・");
      for (std::size_t at = 0; at < bytes.size(); at += block) {
        passing.OnOutput(std::string_view(bytes).substr(at, block));
        std::string_view part = log.View().substr(0, log.View().size() / 3 * 2);
        logged += part;
        log.Take(part.size());
      }
      passing.EndOfOutput();
      EXPECT_LE(passing.lines().size(), 1u);
      passing.PassKeptLines();
      EXPECT_TRUE(passing.lines().empty());
      EXPECT_TRUE(passed == want) << bytes.substr(0, 40);
      logged += log.View();
      std::string wantLog;
      for (const std::string& l : want) wantLog += l + "\r\n";
      EXPECT_TRUE(logged == wantLog) << bytes.substr(0, 40);
    }
  }
}

}  // namespace
