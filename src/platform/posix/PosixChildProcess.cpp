// Background children with collected output (see Process.h).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/Process.h"

extern char** environ;

namespace kestrel {
namespace {

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// The program's environment with `overrides` put over it.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& overrides) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    std::string entry = *e;
    bool replaced = false;
    for (const std::string& o : overrides) replaced = replaced || NameOf(o) == NameOf(entry);
    if (!replaced) env.push_back(std::move(entry));
  }
  for (const std::string& o : overrides) env.push_back(o);
  return env;
}

bool Executable(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindOnPath(const std::string& name) {
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) return Executable(name) ? name : "";
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (true) {
    std::size_t end = dirs.find(':', start);
    std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // An empty entry is the current folder, as for the shell.
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (Executable(candidate)) return candidate;
    if (end == std::string::npos) return "";
    start = end + 1;
  }
}

ChildProcess::~ChildProcess() {
  if (running()) Kill();
  CloseStreams();
}

bool ChildProcess::Start(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment) {
  if (running()) {
    error_ = "a child runs already";
    return false;
  }
  CloseStreams();
  out_.clear();
  err_.clear();
  error_.clear();
  exitCode_ = -1;
  if (argv.empty() || argv[0].empty()) {
    error_ = std::strerror(ENOENT);
    return false;
  }
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) {
    error_ = std::strerror(errno);
    return false;
  }
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    error_ = std::strerror(errno);
    close(outPipe[0]);
    close(outPipe[1]);
    return false;
  }
  std::vector<std::string> words = argv;
  std::vector<char*> args;
  for (std::string& w : words) args.push_back(w.data());
  args.push_back(nullptr);
  std::vector<std::string> env = MergedEnvironment(environment);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  pid_t pid = 0;
  // posix_spawnp looks a bare name up on this program's PATH.
  int rc = words[0].find('/') == std::string::npos
               ? posix_spawnp(&pid, words[0].c_str(), &actions, nullptr, args.data(), envp.data())
               : posix_spawn(&pid, words[0].c_str(), &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);
  if (rc != 0) {
    error_ = std::strerror(rc);
    close(outPipe[0]);
    close(errPipe[0]);
    return false;
  }
  fcntl(outPipe[0], F_SETFL, fcntl(outPipe[0], F_GETFL) | O_NONBLOCK);
  fcntl(errPipe[0], F_SETFL, fcntl(errPipe[0], F_GETFL) | O_NONBLOCK);
  pid_ = pid;
  outFd_ = outPipe[0];
  errFd_ = errPipe[0];
  return true;
}

void ChildProcess::Drain() {
  char buf[4096];
  for (auto [fd, text] : {std::pair{&outFd_, &out_}, std::pair{&errFd_, &err_}}) {
    while (*fd >= 0) {
      ssize_t n = read(*fd, buf, sizeof buf);
      if (n > 0) {
        std::size_t room = kMaxOutput - std::min(kMaxOutput, text->size());
        text->append(buf, std::min<std::size_t>(room, static_cast<std::size_t>(n)));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
        close(*fd);
        *fd = -1;
      }
      break;
    }
  }
}

void ChildProcess::CloseStreams() {
  for (int* fd : {&outFd_, &errFd_}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
}

void ChildProcess::Reaped(int status) {
  pid_ = 0;
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // What the child wrote before it ended is still in the pipes; a grandchild
  // that kept them open must not hold us, so read only what is there.
  Drain();
  CloseStreams();
}

bool ChildProcess::Poll() {
  if (!running()) return true;
  Drain();
  int status = 0;
  pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == pid_) {
    Reaped(status);
    return true;
  }
  if (r < 0 && errno == ECHILD) {  // reaped by someone else: nothing more to learn
    pid_ = 0;
    CloseStreams();
    return true;
  }
  return false;
}

bool ChildProcess::Wait(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!Poll()) {
    if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline) return false;
    pollfd fds[2];
    nfds_t n = 0;
    for (int fd : {outFd_, errFd_}) {
      if (fd >= 0) fds[n++] = pollfd{fd, POLLIN, 0};
    }
    // The end of a child is not a file event: look again every few ms.
    if (n > 0) {
      ::poll(fds, n, 10);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  return true;
}

void ChildProcess::Kill(int graceMs) {
  if (!running()) return;
  kill(pid_, SIGTERM);
  if (Wait(graceMs)) return;
  kill(pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  Reaped(status);
}

}  // namespace kestrel
