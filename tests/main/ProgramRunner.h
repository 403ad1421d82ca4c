// A program of the build started in the background for end-to-end tests,
// and a generous wait for what it leaves behind.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/Translate.h"
#include "support/AppFixture.h"
#include "support/TempHome.h"

extern char** environ;

namespace kestrel::test {

// A built program (kestrel-plus unless named) started in the background;
// killed if a test leaves it running.
class Program {
 public:
  explicit Program(const std::vector<std::string>& args, const std::string& name = "kestrel-plus") {
    std::vector<std::string> words{BuiltProgram(name)};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
  }
  ~Program() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // True once the program ended (within `ms`).
  bool Ended(int ms) {
    return WaitFor([this] {
      if (exited_) return true;
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
      exited_ = true;
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return true;
    }, ms);
  }
  int exitCode() const { return exitCode_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int exitCode_ = -1;
};

// kestrel-plus's home: Taro Yamada (TaroY) registered and the last user,
// no serial ports, the window offscreen.
class ProgramFixture : public AppFixture {
 protected:
  ProgramFixture() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("KESTREL_COM_PORTS", "", 1);
    AddUser("Taro Yamada", "TaroY", 12345);
    SetLastUser("TaroY");
    // The texts its tests read are the Japanese ones, whatever the locale.
    CurrentUserKey(kKestrelKey).writeString(kLanguageValue, "ja");
  }
};

}  // namespace kestrel::test
