// A home with one Palm Desktop user, Taro Yamada (TaroY), registered with
// Kestrel+ and his install folder made: what files are queued for.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/FileRules.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"
#include "support/PalmSetup.h"
#include "users/UserInfo.h"

namespace kestrel::test {

class QueueFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string palm = SetUpPalmDesktop(home);
    WriteUsersDat(palm, {{12345, "Taro Yamada", "TaroY"}});
    user = std::make_unique<UserInfo>();
    ASSERT_EQ(user->OpenUser("Taro Yamada", true), 0);
    user->SaveSettings();
    user->handlers().setSaveOnDestroy(false);
    install = user->installFolder();
    ASSERT_TRUE(EnsureFolder(install));
  }

  TempHome home;
  ScriptedPrompter prompter;
  std::unique_ptr<UserInfo> user;
  std::string install;
};

}  // namespace kestrel::test
