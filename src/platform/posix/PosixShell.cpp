// The shell's "open" on POSIX: an executable file is started directly, a
// document, folder or address goes to xdg-open ($KESTREL_OPENER when set).
// The started program is detached (its own session, reparented to init), so
// nothing waits for it and no zombie is left. The opener is given a moment
// to fail: xdg-open ends at once with an error when there is no desktop or
// no program for the address, and that must not pass for success.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

#include "platform/Process.h"
#include "platform/Shell.h"

namespace kestrel {
namespace {

// "http://...", "mailto:..." - a scheme of two or more letters, so that a
// drive letter is never taken for one.
bool IsAddress(const std::string& target) {
  auto colon = target.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    unsigned char c = static_cast<unsigned char>(target[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return std::isalpha(static_cast<unsigned char>(target[0]));
}

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// A bare program name is looked up in PATH, like the shell does.
std::string ResolveProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  for (;;) {
    auto end = dirs.find(':', start);
    std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return "";
}

// How long an opener may take to fail. One that is still running then (a
// browser started in the foreground) has shown something.
constexpr int kOpenerVerdictMs = 2000;

// In the intermediate child: waits up to `ms` for the started program and
// answers its verdict as an exit status (0: running or ended well).
// Async-signal-safe calls only.
int Verdict(pid_t started, int ms) {
  const timespec step{0, 20 * 1000 * 1000};
  for (int waited = 0; waited < ms; waited += 20) {
    int status = 0;
    pid_t r = waitpid(started, &status, WNOHANG);
    if (r == started) return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
    if (r < 0 && errno != EINTR) return 0;
    nanosleep(&step, nullptr);
  }
  return 0;
}

// Starts argv[0] (a full path) detached; true once it has been executed
// and, with `verdictMs`, has not failed within that time.
bool SpawnDetached(const std::vector<std::string>& args, const std::string& folder,
                   int verdictMs = 0) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
  int pipeFds[2];
  if (devNull < 0 || pipe2(pipeFds, O_CLOEXEC) != 0) {
    if (devNull >= 0) close(devNull);
    return false;
  }
  pid_t child = fork();
  if (child == 0) {
    // Only async-signal-safe calls from here on.
    setsid();
    pid_t grandchild = fork();
    if (grandchild < 0) _exit(1);
    if (grandchild != 0) _exit(verdictMs > 0 ? Verdict(grandchild, verdictMs) : 0);
    sigset_t all;
    sigemptyset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
    signal(SIGPIPE, SIG_DFL);
    dup2(devNull, 0);
    dup2(devNull, 1);
    dup2(devNull, 2);
    close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    int err = 0;
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
      err = errno;
    } else {
      execv(argv[0], argv.data());
      err = errno;
    }
    ssize_t ignored = write(pipeFds[1], &err, sizeof err);
    (void)ignored;
    _exit(127);
  }
  close(pipeFds[1]);
  close(devNull);
  bool started = false;
  if (child > 0) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t n;
    do {
      n = read(pipeFds[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    // End of file without an error: the program was executed.
    started = WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
  }
  close(pipeFds[0]);
  return started;
}

class PosixShell : public Shell {
 public:
  bool open(const std::string& target, const std::string& parameters,
            const std::string& folder) override {
    if (target.empty()) return false;
    std::vector<std::string> args;
    if (!IsAddress(target)) {
      std::string program = ResolveProgram(target);
      if (!program.empty() && IsExecutableFile(program)) {
        args.push_back(program);
        for (std::string& a : SplitCommandLine(parameters)) args.push_back(std::move(a));
        return SpawnDetached(args, folder);
      }
      struct stat st;
      if (stat(target.c_str(), &st) != 0) return false;
    }
    const char* opener = std::getenv("KESTREL_OPENER");
    std::string program = ResolveProgram(opener && *opener ? opener : "xdg-open");
    if (program.empty()) return false;
    args.push_back(program);
    args.push_back(target);
    return SpawnDetached(args, folder, kOpenerVerdictMs);
  }
};

std::mutex g_shellMutex;
std::unique_ptr<Shell> g_shell;

}  // namespace

Shell& TheShell() {
  std::lock_guard lock(g_shellMutex);
  if (!g_shell) g_shell = std::make_unique<PosixShell>();
  return *g_shell;
}

void SetShell(std::unique_ptr<Shell> shell) {
  std::lock_guard lock(g_shellMutex);
  g_shell = std::move(shell);
}

}  // namespace kestrel
