#include "platform/Process.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/HelperThread.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;
using Words = std::vector<std::string>;

TEST(ProcessTest, SplitsWithTheWindowsRules) {
  EXPECT_EQ(SplitCommandLine("prog a  b"), (Words{"prog", "a", "b"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\x.exe\" \"Memo Pad.txt\""),
            (Words{"C:\\Program Files\\x.exe", "Memo Pad.txt"}));
  EXPECT_EQ(SplitCommandLine("a\\\\b \"c\\\"d\" e\\\\\\\"f"), (Words{"a\\\\b", "c\"d", "e\\\"f"}));
  EXPECT_EQ(SplitCommandLine("x \"\" y"), (Words{"x", "", "y"}));
  EXPECT_EQ(SplitCommandLine("\"a\"\"b\""), (Words{"a\"b"}));
  EXPECT_EQ(SplitCommandLine("\"unterminated arg"), (Words{"unterminated arg"}));
  EXPECT_EQ(SplitCommandLine("  "), Words{});
  for (const char* w : {"plain", "with blank", "q\"uote", "tail\\", "", "a\\\\\"b"}) {
    EXPECT_EQ(SplitCommandLine(QuoteArgument(w)), Words{w}) << w;
  }
}

TEST(ProcessTest, RunsWaitsAndReportsWhyAStartFailed) {
  TempHome home;
  ProcessResult r = RunAndWait("/bin/sh -c \"pwd > out.txt; exit 3\"", home.path(), false);
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(ReadFile(home / "out.txt"), home.path() + "\n");
  r = RunAndWait(home / "no-such-program arg", "", true);
  EXPECT_FALSE(r.started);
  EXPECT_EQ(r.error, "No such file or directory");
  EXPECT_FALSE(RunAndWait("", "", true).started);
}

TEST(ChildProcessTest, CollectsBothStreamsApartWithTheExitCodeAndTheGivenEnvironment) {
  setenv("KESTREL_KEPT", "kept", 1);
  setenv("KESTREL_REPLACED", "old", 1);
  ChildProcess child;
  ASSERT_TRUE(child.Start({"sh", "-c", "echo \"$KESTREL_KEPT $KESTREL_REPLACED $KESTREL_ADDED\"; echo oops >&2; exit 7"},
                          {"KESTREL_REPLACED=new", "KESTREL_ADDED=added"}))
      << child.error();
  EXPECT_TRUE(child.running());
  ASSERT_TRUE(child.Wait(60000));
  EXPECT_FALSE(child.running());
  EXPECT_EQ(child.exitCode(), 7);
  EXPECT_EQ(child.output(), "kept new added\n");
  EXPECT_EQ(child.errorOutput(), "oops\n");
  EXPECT_TRUE(child.Poll());  // an ended child stays ended

  ChildProcess missing;
  EXPECT_FALSE(missing.Start({"/no/such/program"}));
  EXPECT_EQ(missing.error(), "No such file or directory");
  EXPECT_FALSE(missing.running());
  EXPECT_FALSE(missing.Start({}));
}

TEST(ChildProcessTest, PollNeverWaitsForARunningChild) {
  TempHome home;
  std::string go = home / "go";
  ChildProcess child;
  // The child cannot end before the file exists, however slow the machine.
  ASSERT_TRUE(child.Start({"sh", "-c", "while [ ! -e \"$0\" ]; do sleep 0.01; done; echo went", go}));
  EXPECT_FALSE(child.Poll());
  EXPECT_FALSE(child.Poll());
  EXPECT_FALSE(child.Start({"true"}));  // one child at a time
  WriteFile(go, "");
  ASSERT_TRUE(child.Wait(60000));
  EXPECT_EQ(child.exitCode(), 0);
  EXPECT_EQ(child.output(), "went\n");

  // And it can be started again once the first has ended.
  ASSERT_TRUE(child.Start({"sh", "-c", "echo again"}));
  ASSERT_TRUE(child.Wait(60000));
  EXPECT_EQ(child.output(), "again\n");
}

TEST(ChildProcessTest, KillEndsAChildThatIgnoresTheRequestAndTheDestructorReapsIt) {
  ChildProcess child;
  ASSERT_TRUE(child.Start({"sh", "-c", "trap '' TERM; echo ready; while :; do sleep 1; done"}));
  while (child.output().empty() && !child.Poll()) child.Wait(50);
  child.Kill(100);
  EXPECT_FALSE(child.running());
  EXPECT_EQ(child.exitCode(), -1);
  EXPECT_EQ(child.output(), "ready\n");

  pid_t pid = 0;
  {
    ChildProcess left;
    ASSERT_TRUE(left.Start({"sleep", "1000"}));
    pid = left.pid();
  }
  // Ended and reaped: no such process is left, not even a zombie.
  EXPECT_EQ(kill(pid, 0), -1);
  EXPECT_EQ(errno, ESRCH);
}

TEST(ChildProcessTest, OutputBeyondTheBoundIsDroppedWithoutBlockingTheChild) {
  ChildProcess child;
  ASSERT_TRUE(child.Start({"sh", "-c", "head -c 6000000 /dev/zero; echo done >&2"}));
  ASSERT_TRUE(child.Wait(120000));
  EXPECT_EQ(child.exitCode(), 0);
  EXPECT_EQ(child.output().size(), ChildProcess::kMaxOutput);
  EXPECT_EQ(child.errorOutput(), "done\n");
}

TEST(ChildProcessTest, FindsProgramsOnThePath) {
  TempHome home;
  WriteFile(home / "bin/tool", "#!/bin/sh\n");
  chmod((home / "bin/tool").c_str(), 0755);
  WriteFile(home / "bin/plain", "not a program");
  std::string oldPath = getenv("PATH");
  setenv("PATH", ("/no/such/dir::" + home / "bin").c_str(), 1);
  EXPECT_EQ(FindOnPath("tool"), home / "bin/tool");
  EXPECT_EQ(FindOnPath("plain"), "");  // not executable
  EXPECT_EQ(FindOnPath("bin"), "");    // a folder is no program
  EXPECT_EQ(FindOnPath("missing"), "");
  EXPECT_EQ(FindOnPath(""), "");
  EXPECT_EQ(FindOnPath(home / "bin/tool"), home / "bin/tool");
  setenv("PATH", oldPath.c_str(), 1);
}

TEST(HelperThreadTest, RunsWhereverTheCallerMayRunOnOneCoreOrMore) {
  cpu_set_t mine;
  ASSERT_EQ(sched_getaffinity(0, sizeof mine, &mine), 0);
  cpu_set_t one;
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &mine)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  // Started on another core, it is not kept off the caller's; with only one
  // core allowed it still runs, there.
  for (const cpu_set_t& allowed : {mine, one}) {
    ASSERT_EQ(sched_setaffinity(0, sizeof allowed, &allowed), 0);
    cpu_set_t seen;
    CPU_ZERO(&seen);
    bool ran = false;
    StartBeside([&] {
      ran = true;
      sched_getaffinity(0, sizeof seen, &seen);
    }).join();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(CPU_EQUAL(&seen, &allowed)) << CPU_COUNT(&seen) << " of " << CPU_COUNT(&allowed);
  }
  sched_setaffinity(0, sizeof mine, &mine);
}
