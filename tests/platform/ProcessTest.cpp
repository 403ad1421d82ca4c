#include "platform/Process.h"

#include <gtest/gtest.h>

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
