// Termination signals through a self-pipe (see Termination.h).
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/Termination.h"

namespace kestrel {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

volatile std::sig_atomic_t g_signal = 0;
int g_pipe[2] = {-1, -1};

void SetHandler(void (*handler)(int)) {
  struct sigaction sa {};
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int s : kSignals) sigaction(s, &sa, nullptr);
}

void OnSignal(int sig) {
  if (g_signal != 0) return;
  g_signal = sig;
  // The next one is not caught: a program that does not end can still be ended.
  SetHandler(SIG_DFL);
  int saved = errno;
  if (g_pipe[1] >= 0) {
    [[maybe_unused]] ssize_t n = write(g_pipe[1], "x", 1);
  }
  errno = saved;
}

}  // namespace

void CatchTerminationSignals() {
  if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) g_pipe[0] = g_pipe[1] = -1;
  char buf[16];
  while (g_pipe[0] >= 0 && read(g_pipe[0], buf, sizeof buf) > 0) {
  }
  g_signal = 0;
  SetHandler(OnSignal);
}

int TerminationSignal() { return g_signal; }

int TerminationFd() { return g_pipe[0]; }

}  // namespace kestrel
