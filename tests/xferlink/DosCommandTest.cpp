// The runner against small shell children: what the owner's handlers see.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "platform/Process.h"
#include "support/TempHome.h"
#include "xferlink/DosCommand.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

// Everything the handlers saw, in order: "c:<byte>", "l:<line>", "t".
struct Recorder {
  std::vector<std::string> events;
  std::string chars;
  std::vector<std::string> lines;
  int terminates = 0;
  bool runningInTerminate = false;

  explicit Recorder(TDosCommand& dc) {
    dc.OnOutputChar = [this](TDosCommand&, char c) {
      chars.push_back(c);
      events.push_back(std::string("c:") + c);
    };
    dc.OnOutputLine = [this](TDosCommand&, const std::string& s) {
      lines.push_back(s);
      events.push_back("l:" + s);
    };
    dc.OnTerminate = [this](TDosCommand& sender) {
      ++terminates;
      runningInTerminate = sender.IsOnExecution();
      events.push_back("t");
    };
  }
};

std::string Sh(const std::string& script) { return "/bin/sh -c " + QuoteArgument(script); }

}  // namespace

TEST(DosCommandTest, BytesThenLinesInPipeOrderAndTheLastLineAtTheEnd) {
  TempHome home;
  TDosCommand dc;
  Recorder r(dc);
  ASSERT_TRUE(dc.Execute(Sh("printf 'abc\\r\\ndef'"), ""));
  EXPECT_TRUE(dc.IsOnExecution());
  dc.WaitForTermination();
  std::vector<std::string> want = {"c:a", "c:b", "c:c", "c:\r", "c:\n", "l:abc",
                                   "c:d", "c:e", "c:f", "l:def", "t"};
  EXPECT_EQ(r.events, want);
  EXPECT_TRUE(r.runningInTerminate);
  EXPECT_FALSE(dc.IsOnExecution());
  EXPECT_EQ(dc.ExitCode(), 0u);
}

TEST(DosCommandTest, EmptyLinesAndACrInsideALine) {
  TempHome home;
  TDosCommand dc;
  Recorder r(dc);
  ASSERT_TRUE(dc.Execute(Sh("printf '\\n\\n'"), ""));
  dc.WaitForTermination();
  EXPECT_EQ(r.lines, (std::vector<std::string>{"", ""}));

  Recorder again(dc);
  ASSERT_TRUE(dc.Execute(Sh("printf 'a\\rb\\n'"), ""));
  dc.WaitForTermination();
  EXPECT_EQ(again.lines, (std::vector<std::string>{"a\rb"}));
  EXPECT_EQ(again.chars, "a\rb\n");
}

TEST(DosCommandTest, StandardErrorInterleavedInWriteOrderAndTheExitCodeKept) {
  TempHome home;
  TDosCommand dc;
  Recorder r(dc);
  ASSERT_TRUE(dc.Execute(Sh("echo out1; echo err1 >&2; echo out2; echo err2 >&2; exit 3"), ""));
  dc.WaitForTermination();
  EXPECT_EQ(r.lines, (std::vector<std::string>{"out1", "err1", "out2", "err2"}));
  EXPECT_EQ(dc.ExitCode(), 3u);
  EXPECT_EQ(r.terminates, 1);
}

TEST(DosCommandTest, WorkingFolderEnvironmentAndNoInput) {
  TempHome home;
  WriteFile(home / "sub dir/marker", "");
  TDosCommand dc;
  Recorder r(dc);
  setenv("PILOTRATE", "57600", 1);
  // Reading standard input ends at once instead of waiting for a terminal.
  ASSERT_TRUE(dc.Execute(Sh("pwd; echo $PILOTRATE; cat; echo done"), home / "sub dir"));
  dc.WaitForTermination();
  EXPECT_EQ(r.lines, (std::vector<std::string>{home / "sub dir", "57600", "done"}));

  // An empty folder keeps the caller's own.
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  Recorder here(dc);
  ASSERT_TRUE(dc.Execute("/bin/pwd", ""));
  dc.WaitForTermination();
  EXPECT_EQ(here.lines, (std::vector<std::string>{cwd}));
}

TEST(DosCommandTest, ExecuteWhileRunningIsRefusedAndTheChildGoesOn) {
  TempHome home;
  TDosCommand dc;
  Recorder r(dc);
  ASSERT_EQ(RunCommand("mkfifo " + ShellQuote(home / "fifo")), 0);
  ASSERT_TRUE(dc.Execute(Sh("read x < " + QuoteArgument(home / "fifo") + "; echo first"), ""));
  EXPECT_FALSE(dc.Execute(Sh("echo second"), ""));
  EXPECT_TRUE(dc.IsOnExecution());
  ASSERT_EQ(RunCommand("echo go > " + ShellQuote(home / "fifo")), 0);
  dc.WaitForTermination();
  EXPECT_EQ(r.lines, (std::vector<std::string>{"first"}));
  EXPECT_EQ(r.terminates, 1);
}

TEST(DosCommandTest, MissingProgramOrFolderIsRefusedAndHoldsNothing) {
  TempHome home;
  TDosCommand dc;
  Recorder r(dc);
  EXPECT_FALSE(dc.Execute(home / "no-such-program", ""));
  EXPECT_FALSE(dc.lastError().empty());
  EXPECT_FALSE(dc.Execute("/bin/true", home / "no-such-folder"));
  EXPECT_FALSE(dc.Execute("", ""));
  EXPECT_FALSE(dc.IsOnExecution());
  // Still usable afterwards.
  ASSERT_TRUE(dc.Execute(Sh("echo ok"), ""));
  dc.WaitForTermination();
  EXPECT_EQ(r.lines, (std::vector<std::string>{"ok"}));
  EXPECT_EQ(r.terminates, 1);
}

TEST(DosCommandTest, TerminateIdleDoesNothingRunningEndsOnceWithExitCodeZero) {
  TempHome home;
  TDosCommand dc;
  Recorder r(dc);
  dc.Terminate();
  EXPECT_EQ(r.terminates, 0);
  ASSERT_TRUE(dc.Execute(Sh("echo started; exec sleep 600"), ""));
  // Wait for its first line, then stop it.
  while (r.lines.empty() && dc.IsOnExecution()) dc.WaitAndDeliver(1000);
  ASSERT_TRUE(dc.IsOnExecution());
  dc.Terminate();
  dc.Terminate();
  dc.WaitForTermination();
  EXPECT_EQ(r.terminates, 1);
  EXPECT_EQ(dc.ExitCode(), 0u);
  EXPECT_FALSE(dc.IsOnExecution());
}

TEST(DosCommandTest, AChildIgnoringTerminateIsKilledAndLeavesNoProcessBehind) {
  TempHome home;
  TDosCommand dc;
  Recorder r(dc);
  // The child and a grandchild both ignore SIGTERM.
  ASSERT_TRUE(dc.Execute(Sh("trap '' TERM; sleep 600 & echo $!; echo ready; wait"), ""));
  while (r.lines.size() < 2 && dc.IsOnExecution()) dc.WaitAndDeliver(1000);
  ASSERT_TRUE(dc.IsOnExecution());
  pid_t grandchild = std::stoi(r.lines[0]);
  pid_t child = dc.childPid();
  dc.Terminate();
  dc.WaitForTermination();
  EXPECT_EQ(r.terminates, 1);
  EXPECT_NE(kill(child, 0), 0);
  // The grandchild was in the child's group: gone too (give its reaper time).
  EXPECT_TRUE(ProcessGone(grandchild));
}

TEST(DosCommandTest, DestroyingTheRunnerEndsTheChild) {
  TempHome home;
  pid_t child = 0;
  {
    TDosCommand dc;
    Recorder r(dc);
    ASSERT_TRUE(dc.Execute(Sh("echo up; exec sleep 600"), ""));
    while (r.lines.empty() && dc.IsOnExecution()) dc.WaitAndDeliver(1000);
  ASSERT_TRUE(dc.IsOnExecution());
    child = dc.childPid();
  }
  EXPECT_NE(kill(child, 0), 0);
}

TEST(DosCommandTest, ALotOfOutputArrivesWholeAndALongLineInBoundedPieces) {
  TempHome home;
  TDosCommand dc;
  std::size_t bytes = 0, lines = 0, longest = 0;
  dc.OnOutputChar = [&](TDosCommand&, char) { ++bytes; };
  dc.OnOutputLine = [&](TDosCommand&, const std::string& s) {
    ++lines;
    longest = std::max(longest, s.size());
  };
  // 8 MiB without a single line end.
  ASSERT_TRUE(dc.Execute(Sh("head -c 8388608 /dev/zero | tr '\\0' x"), ""));
  dc.WaitForTermination();
  EXPECT_EQ(bytes, 8388608u);
  EXPECT_EQ(longest, TDosCommand::kMaxLine);
  EXPECT_EQ(lines, 8388608u / TDosCommand::kMaxLine);
}

TEST(DosCommandTest, Utf8OutputArrivesInShiftJisInvalidBytesUnchanged) {
  TempHome home;
  setenv("LC_ALL", "C.UTF-8", 1);
  TDosCommand dc;
  Recorder r(dc);
  // A character split between two writes, a Shift_JIS byte pair that is no
  // UTF-8, and a character Shift_JIS lacks.
  ASSERT_TRUE(dc.Execute(Sh("printf '/home/\\343\\203'; sleep 0.2; printf '\\220\\343\\203\\203\\343\\202\\257"
                            "\\343\\202\\242\\343\\203\\203\\343\\203\\227\\n\\203\\101 \\360\\237\\230\\200\\n'"),
                         ""));
  dc.WaitForTermination();
  unsetenv("LC_ALL");
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0], Utf8ToCp932("/home/バックアップ"));
  EXPECT_EQ(r.lines[1], "\x83\x41 ?");
  EXPECT_EQ(r.chars, r.lines[0] + "\n" + r.lines[1] + "\n");

  // A locale in Shift_JIS writes it already: nothing changes.
  ChildTextToCp932 sjis(false);
  EXPECT_EQ(sjis.Feed("\xE3\x83\x90"), "\xE3\x83\x90");
}

TEST(DosCommandTest, BlocksGoToAnOwnerThatObservesNoByteOrLine) {
  TempHome home;
  TDosCommand dc;
  std::string blocks;
  int terminates = 0;
  dc.OnOutputBlock = [&](TDosCommand&, std::string_view b) { blocks.append(b); };
  dc.OnTerminate = [&](TDosCommand&) { ++terminates; };
  ASSERT_TRUE(dc.Execute(Sh("printf 'abc\\r\\n'; head -c 300000 /dev/zero | tr '\\0' x; printf def"), ""));
  dc.WaitForTermination();
  EXPECT_EQ(blocks, "abc\r\n" + std::string(300000, 'x') + "def");
  EXPECT_EQ(terminates, 1);

  // With a byte or line event set, those get the output and blocks none.
  Recorder r(dc);
  blocks.clear();
  ASSERT_TRUE(dc.Execute(Sh("printf 'ab\\n'"), ""));
  dc.WaitForTermination();
  EXPECT_EQ(r.lines, std::vector<std::string>{"ab"});
  EXPECT_EQ(r.chars, "ab\n");
  EXPECT_EQ(blocks, "");
}

// Read on the owner's thread (no hand-over) or handed over by the reader
// thread, the owner sees the same: the lines in order, a handler that pumps
// again gets nothing out of turn, and a child that ends while a grandchild
// still holds the pipe ends the run without waiting for the grandchild.
TEST(DosCommandTest, TheOwnersThreadReadsWhatTheReaderWouldHandOver) {
  struct NoWake : HandOver {
    void Wake() override {}
  };
  for (bool handOver : {false, true}) {
    SCOPED_TRACE(handOver ? "hand-over" : "owner reads");
    TempHome home;
    TDosCommand dc;
    NoWake wake;
    if (handOver) dc.setHandOver(&wake);
    Recorder r(dc);
    int outOfTurn = 0;
    dc.OnOutputLine = [&](TDosCommand& sender, const std::string& s) {
      r.lines.push_back(s);
      if (sender.WaitAndDeliver(0) || sender.DeliverPending()) ++outOfTurn;
    };
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(dc.Execute(Sh("echo one; printf 'two\\nthree\\n'; (sleep 30; echo late) & exit 3"), ""));
    pid_t group = dc.childPid();
    dc.WaitForTermination();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(r.lines, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(outOfTurn, 0);
    EXPECT_EQ(r.terminates, 1);
    EXPECT_EQ(dc.ExitCode(), 3u);
    kill(-group, SIGKILL);
  }
}
