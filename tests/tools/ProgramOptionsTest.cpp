// --help, --version and an unknown option, alike for every program.
#include <gtest/gtest.h>

#include "support/TempHome.h"

using namespace kestrel::test;

namespace {

class ProgramOptionsTest : public ::testing::TestWithParam<const char*> {
 protected:
  int Run(const std::string& args, std::string* out, std::string* err) {
    // The home is named but not there yet: asking for help must not make it.
    return RunCommand("KESTREL_HOME=" + ShellQuote(home / "unused") + " " + ShellQuote(BuiltProgram(GetParam())) +
                          " " + args,
                      out, err);
  }
  TempHome home;
};

TEST_P(ProgramOptionsTest, HelpVersionAndUnknownOptions) {
  const std::string program = GetParam();
  std::string out, err;
  ASSERT_EQ(Run("--help", &out, &err), 0) << err;
  EXPECT_TRUE(out.starts_with("usage: " + program + " ")) << out;
  EXPECT_EQ(err, "");

  ASSERT_EQ(Run("--version", &out, &err), 0) << err;
  EXPECT_EQ(out, program + " " KESTREL_PROJECT_VERSION "\n");
  EXPECT_EQ(err, "");

  ASSERT_EQ(Run("--no-such-option", &out, &err), 2);
  EXPECT_EQ(out, "");
  EXPECT_TRUE(err.starts_with(program + ": unknown option --no-such-option\nusage: " + program + " ")) << err;
  EXPECT_FALSE(FileExists(home / "unused"));
}

std::string TestName(const ::testing::TestParamInfo<const char*>& param) {
  std::string name = param.param;
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, ProgramOptionsTest,
                         ::testing::Values("kestrel-plus", "kestrel-tool", "kestrel-reg", "kestrel-hotsync",
                                           "usb-switcher"),
                         TestName);

TEST(ProgramOptions, ToolsWithoutArgumentsShowTheirUsageAsAnError) {
  TempHome home;
  for (const char* program : {"kestrel-tool", "kestrel-reg"}) {
    std::string out, err;
    EXPECT_EQ(RunCommand(ShellQuote(BuiltProgram(program)), &out, &err), 2) << program;
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find(std::string("usage: ") + program + " "), std::string::npos) << err;
  }
}

TEST(ProgramOptions, AnOptionNoCommandKnowsShowsTheUsage) {
  TempHome home;
  std::string out, err;
  EXPECT_EQ(RunCommand(ShellQuote(BuiltProgram("kestrel-reg")) + " query 'HKCU\\Software' --recursve", &out, &err),
            2);
  EXPECT_TRUE(err.starts_with("kestrel-reg: unknown option --recursve\nusage: kestrel-reg ")) << err;
}

}  // namespace
