// kestrel-tool view: what the Glance viewer would show, run as a user would.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

struct ToolRun {
  int rc;
  std::string out, err;
};

ToolRun View(const std::string& args) {
  ToolRun r{};
  r.rc = RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " view " + args, &r.out, &r.err);
  return r;
}

std::string S(std::string_view utf8) { return Utf8ToCp932(utf8); }

}  // namespace

TEST(ViewVerbsTest, SuffixThenTheWrappedRowsInShiftJis) {
  TempHome home;
  WriteFile(home / "sjis.txt", S("日本語のテキストです。続きの行。\r\nhttp://example.jp/\r\n"));
  ToolRun r = View("--width 16 " + ShellQuote(home / "sjis.txt"));
  EXPECT_EQ(r.rc, 0) << r.err;
  // The address is longer than the width: broken at it.
  EXPECT_EQ(r.out, "\n" + S("日本語のテキスト\nです。続きの行。\nhttp://example.j\np/\n"));

  // EUC-JP: converted, "(OTHER)" first.
  RunCommand("printf '%s' " + ShellQuote("日本語\n") + " | iconv -f UTF-8 -t EUC-JP > " +
             ShellQuote(home / "euc.txt"));
  EXPECT_EQ(View(ShellQuote(home / "euc.txt")).out, "(OTHER)\n" + S("日本語\n"));

  WriteFile(home / "a.bin", std::string("\x01\x02zz", 4));
  EXPECT_EQ(View(ShellQuote(home / "a.bin")).out.substr(0, 9), "(BINARY)\n");
}

TEST(ViewVerbsTest, HtmlRenderedOnlyWithTheSwitch) {
  TempHome home;
  WriteFile(home / "p.html", "<title>T</title><p>one\r\ntwo</p><hr>");
  EXPECT_EQ(View(ShellQuote(home / "p.html")).out, "\n<title>T</title><p>one\ntwo</p><hr>\n");
  EXPECT_EQ(View("--html --width 30 " + ShellQuote(home / "p.html")).out,
            "\n[[ T  ]]\n\none two \n" + std::string(10, '-') + "\n");
}

TEST(ViewVerbsTest, BadArgumentsAndUnreadableFilesAreClearErrors) {
  TempHome home;
  ToolRun missing = View(ShellQuote(home / "missing.txt"));
  EXPECT_EQ(missing.rc, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
  EXPECT_EQ(missing.out, "");
  ToolRun width = View("--width x " + ShellQuote(home / "missing.txt"));
  EXPECT_EQ(width.rc, 2);
  EXPECT_NE(width.err.find("--width"), std::string::npos);
  EXPECT_EQ(View("").rc, 2);
  EXPECT_EQ(View("--colour red a.txt").rc, 2);
}

TEST(ViewVerbsTest, AFifoADeviceAndAHugeFileAreRefusedAtOnce) {
  TempHome home;
  std::string fifo = home / "pipe.txt", huge = home / "huge.txt";
  ASSERT_EQ(RunCommand("mkfifo " + ShellQuote(fifo)), 0);
  // Sparse: 65 MB on paper, nothing on disk.
  ASSERT_EQ(RunCommand("truncate -s 65M " + ShellQuote(huge)), 0);
  struct Case {
    std::string path, reason;
  } cases[] = {{fifo, "not a regular file"}, {"/dev/zero", "not a regular file"},
               {home.path(), "not a regular file"}, {huge, "larger than 64 MB"}};
  for (const Case& c : cases) {
    // `timeout` ends a run that waits on the FIFO or reads on without end.
    ToolRun r{};
    r.rc = RunCommand("timeout 20 " + ShellQuote(BuiltProgram("kestrel-tool")) + " view " + ShellQuote(c.path),
                      &r.out, &r.err);
    EXPECT_EQ(r.rc, 1) << c.path;
    EXPECT_EQ(r.err, "kestrel-tool view: cannot read " + c.path + ": " + c.reason + "\n");
    EXPECT_EQ(r.out, "");
  }
}
