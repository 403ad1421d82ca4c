#include "xferlink/DosCommand.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/Process.h"

extern char** environ;

namespace kestrel {

namespace {
constexpr std::size_t kChunk = 64 * 1024;
// An owner that takes blocks takes them whole, however large: a pipe of
// kBlockPipe lets a fast child write on while a block is handled, and reads
// of up to kBlockChunk mean fewer hand-overs and wake-ups per byte, each
// block still small enough to stay in the cache through its few passes.
// (A pipe much larger than a read only lets the child run further ahead
// into memory that is then cold: measured slower.)
// (Byte and line events keep kChunk, so no one hand-over holds the owner's
// thread long.)
constexpr int kBlockPipe = 256 * 1024;
constexpr std::size_t kBlockChunk = 256 * 1024;
constexpr int kPollMs = 100;

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void ChildFails(int errorPipe) {
  int e = errno;
  [[maybe_unused]] ssize_t n = write(errorPipe, &e, sizeof e);
  _exit(127);
}

// Starts the child with its output into `out`, in a process group of its
// own (Terminate reaches whatever it starts too) and bound to the life of
// this program: were it killed outright, the child gets SIGKILL instead of
// holding the port on for ever. fork and exec rather than posix_spawn, which
// cannot ask for the parent-death signal. 0 when it cannot be started.
pid_t Spawn(std::vector<std::string>& words, const std::string& workDir, int out,
            std::string* error) {
  std::string program = words[0];
  // Looked up here: the child may not allocate.
  if (program.find('/') == std::string::npos) program = FindOnPath(program);
  if (program.empty()) {
    *error = std::strerror(ENOENT);
    return 0;
  }
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0) {
    *error = std::strerror(errno);
    return 0;
  }
  int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
  pid_t parent = getpid();
  // No handler of this program may run in the child before its exec.
  sigset_t all, old;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &old);
  pid_t pid = fork();
  if (pid == 0) {
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) sigaction(s, &dfl, nullptr);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);  // the program died before the line above
    // No input: reads see the end at once rather than the terminal.
    if (devNull < 0 || dup2(devNull, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) {
      ChildFails(errorPipe[1]);
    }
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) ChildFails(errorPipe[1]);
    execve(program.c_str(), argv.data(), environ);
    ChildFails(errorPipe[1]);
  }
  int forkError = errno;
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (devNull >= 0) close(devNull);
  close(errorPipe[1]);
  if (pid < 0) {
    close(errorPipe[0]);
    *error = std::strerror(forkError);
    return 0;
  }
  setpgid(pid, pid);  // also here, so a Terminate right away reaches the group
  int childError = 0;
  ssize_t got;
  while ((got = read(errorPipe[0], &childError, sizeof childError)) < 0 && errno == EINTR) {
  }
  close(errorPipe[0]);
  if (got == static_cast<ssize_t>(sizeof childError)) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    *error = std::strerror(childError);
    return 0;
  }
  return pid;
}

}  // namespace

int NiceValueOf(TDosCommandPriorityType priority) {
  switch (priority) {
    case dcpRealTime: return -15;
    case dcpHigh: return -5;
    case dcpNormal: return 0;
    case dcpIdle: return 19;
  }
  return 0;
}

TDosCommand::TDosCommand() = default;

TDosCommand::~TDosCommand() {
  if (ownerReads_ && onExecution_) {
    // As the reader does when its runner goes: the child must not outlive it.
    Terminate();
    close(fd_);
    std::uint32_t code = 0;
    ReapIfEnded(pid_, true, &code);
    return;
  }
  if (reader_.joinable()) {
    Terminate();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closing_ = true;
    }
    cv_.notify_all();
  }
  JoinReader();
}

void TDosCommand::JoinReader() {
  if (reader_.joinable()) reader_.join();
}

bool TDosCommand::Execute(const std::string& commandLine, const std::string& workDir) {
  if (onExecution_) {
    lastError_ = "a child is running";
    return false;
  }
  JoinReader();
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty() || words[0].empty()) {
    lastError_ = std::strerror(ENOENT);
    return false;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    lastError_ = std::strerror(errno);
    return false;
  }
  bool blocks = !OnOutputChar && !OnOutputLine && OnOutputBlock;
  // Refused past the system's limit: the pipe keeps its size.
  if (blocks) fcntl(fds[0], F_SETPIPE_SZ, kBlockPipe);
  pid_t pid = Spawn(words, workDir, fds[1], &lastError_);
  close(fds[1]);
  if (pid <= 0) {
    close(fds[0]);
    return false;
  }
  int nice = NiceValueOf(priority_);
  if (nice != 0) setpriority(PRIO_PROCESS, static_cast<id_t>(pid), nice);  // refused: keeps ours

  lastError_.clear();
  pid_ = pid;
  runChar_ = OnOutputChar;
  runLine_ = OnOutputLine;
  runBlock_ = blocks ? OnOutputBlock : nullptr;
  line_.clear();
  toCp932_ = ChildTextToCp932();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    mail_.reset();
    delivered_ = true;
    closing_ = false;
    reaped_ = false;
    termRequested_ = false;
  }
  terminated_ = false;
  exitCode_ = 0;
  onExecution_ = true;
  std::size_t chunk = blocks ? kBlockChunk : kChunk;
  bool handOver;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    handOver = handOver_ != nullptr;
  }
  ownerReads_ = !handOver;
  if (ownerReads_) {
    fd_ = fds[0];
    if (chunk_ != chunk) buffer_ = std::make_unique_for_overwrite<char[]>(chunk);
    chunk_ = chunk;
    draining_ = false;
    return true;
  }
  reader_ = std::thread([this, fd = fds[0], pid, chunk] { ReaderLoop(fd, pid, chunk); });
  return true;
}

void TDosCommand::Terminate() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!onExecution_ || reaped_ || termRequested_) return;
  kill(-pid_, SIGTERM);
  termRequested_ = true;
  termAt_ = std::chrono::steady_clock::now();
  terminated_ = true;
}

bool TDosCommand::ReapIfEnded(pid_t pid, bool block, std::uint32_t* code) {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (termRequested_ && std::chrono::steady_clock::now() - termAt_ >
                                std::chrono::milliseconds(kTerminateGraceMs)) {
        kill(-pid, SIGKILL);
      }
      int status = 0;
      pid_t r = waitpid(pid, &status, WNOHANG);
      if (r == pid || (r < 0 && errno == ECHILD)) {
        reaped_ = true;
        if (r == pid) {
          *code = WIFEXITED(status)   ? static_cast<std::uint32_t>(WEXITSTATUS(status))
                  : WIFSIGNALED(status) ? 128u + static_cast<std::uint32_t>(WTERMSIG(status))
                                        : 0u;
        }
        return true;
      }
    }
    if (!block) return false;
    poll(nullptr, 0, kPollMs);
  }
}

bool TDosCommand::Hand(Mail mail, bool wait) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (closing_) return false;
    mail_ = std::move(mail);
    delivered_ = false;
    // Under the lock, so that a hand-over being cleared is never called.
    if (handOver_) handOver_->Wake();
  }
  cv_.notify_all();
  if (!wait) return true;
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait(lock, [this] { return delivered_ || closing_; });
  return !closing_;
}

void TDosCommand::ReaderLoop(int fd, pid_t pid, std::size_t chunk) {
  // Not cleared first: only what a read filled is handed on.
  auto buf = std::make_unique_for_overwrite<char[]>(chunk);
  std::uint32_t code = 0;
  bool alive = true;
  bool ended = false;
  while (!ended) {
    pollfd p{fd, POLLIN, 0};
    int n = poll(&p, 1, kPollMs);
    if (n > 0) {
      ssize_t got = read(fd, buf.get(), chunk);
      if (got > 0) {
        if (!Hand(Mail{std::string_view(buf.get(), static_cast<std::size_t>(got))}, true)) alive = false;
      } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        // Every writer closed the pipe: only the exit status is left.
        ReapIfEnded(pid, true, &code);
        ended = true;
      }
    }
    if (!alive) break;
    if (!ended && ReapIfEnded(pid, false, &code)) {
      // What the child wrote before it ended is in the pipe: drain it, but
      // do not wait for others that may hold the pipe open.
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
      for (;;) {
        ssize_t got = read(fd, buf.get(), chunk);
        if (got > 0) {
          if (!Hand(Mail{std::string_view(buf.get(), static_cast<std::size_t>(got))}, true)) {
            alive = false;
            break;
          }
        } else if (got < 0 && errno == EINTR) {
          continue;
        } else {
          break;
        }
      }
      ended = true;
    }
  }
  close(fd);
  if (!alive) {
    {
      // Undelivered output points into the buffer that goes now.
      std::lock_guard<std::mutex> lock(mutex_);
      mail_.reset();
    }
    // The runner is going away: the child must not outlive it.
    ReapIfEnded(pid, true, &code);
    return;
  }
  Mail end;
  end.end = true;
  end.exitCode = code;
  Hand(std::move(end), false);
}

void TDosCommand::DeliverLine() {
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  if (runLine_) runLine_(*this, line_);
  line_.clear();
}

void TDosCommand::DeliverBytes(std::string_view bytes) {
  if (runBlock_) {
    if (!bytes.empty()) runBlock_(*this, bytes);
    return;
  }
  for (char c : bytes) {
    if (runChar_) runChar_(*this, c);
    if (c == '\n') {
      DeliverLine();
    } else {
      line_.push_back(c);
      if (line_.size() >= kMaxLine) DeliverLine();
    }
  }
}

void TDosCommand::DeliverEnd(std::uint32_t exitCode) {
  DeliverBytes(toCp932_.Flush());
  if (!line_.empty()) DeliverLine();
  if (!terminated_) exitCode_ = exitCode;
  pid_ = 0;
  if (OnTerminate) OnTerminate(*this);
  onExecution_ = false;
  JoinReader();
}

bool TDosCommand::DeliverPending() {
  if (ownerReads_) return onExecution_ && ReadOnOwnerThread(0);
  Mail mail;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!mail_) return false;
    mail = std::move(*mail_);
    mail_.reset();
  }
  if (!mail.end) {
    DeliverBytes(toCp932_.Feed(mail.bytes, converted_));
    {
      std::lock_guard<std::mutex> lock(mutex_);
      delivered_ = true;
    }
    cv_.notify_all();
    return true;
  }
  DeliverEnd(mail.exitCode);
  return true;
}

// What ReaderLoop does for one pass, on the owner's thread.
bool TDosCommand::ReadOnOwnerThread(int timeoutMs) {
  if (delivering_) return false;
  struct Delivering {
    bool& flag;
    explicit Delivering(bool& f) : flag(f) { flag = true; }
    ~Delivering() { flag = false; }
  } delivering(delivering_);
  auto deliverRead = [this](ssize_t got) {
    DeliverBytes(toCp932_.Feed(std::string_view(buffer_.get(), static_cast<std::size_t>(got)), converted_));
  };
  auto ended = [this](std::uint32_t code) {
    close(fd_);
    fd_ = -1;
    DeliverEnd(code);
    return true;
  };
  if (draining_) {
    // The child ended: what it wrote before is in the pipe, but others may
    // hold the pipe open, so it is not waited for.
    for (;;) {
      ssize_t got = read(fd_, buffer_.get(), chunk_);
      if (got > 0) {
        deliverRead(got);
        return true;
      }
      if (got < 0 && errno == EINTR) continue;
      return ended(drainedCode_);
    }
  }
  bool delivered = false;
  std::uint32_t code = 0;
  pollfd p{fd_, POLLIN, 0};
  if (poll(&p, 1, std::max(timeoutMs, 0)) > 0) {
    ssize_t got = read(fd_, buffer_.get(), chunk_);
    if (got > 0) {
      deliverRead(got);
      delivered = true;
      // A handler may have ended the run (Terminate is still reaped below).
    } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
      // Every writer closed the pipe: only the exit status is left.
      ReapIfEnded(pid_, true, &code);
      return ended(code);
    }
  }
  if (ReapIfEnded(pid_, false, &code)) {
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
    draining_ = true;
    drainedCode_ = code;
  }
  return delivered;
}

bool TDosCommand::WaitAndDeliver(int timeoutMs) {
  if (ownerReads_) return onExecution_ && ReadOnOwnerThread(timeoutMs);
  {
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return mail_.has_value(); });
  }
  return DeliverPending();
}

void TDosCommand::WaitForTermination() {
  while (onExecution_) WaitAndDeliver(kPollMs);
}

}  // namespace kestrel
