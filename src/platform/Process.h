// Starting programs. A command line is one text, split into words with the
// Windows command-line rules, so one template serves every platform.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace kestrel {

// Splits a command line the way the Microsoft C runtime does: blanks
// separate words, double quotes group, 2n backslashes before a quote give n
// backslashes and an opening/closing quote, 2n+1 give n and a literal quote,
// and "" inside a quoted word is a literal quote. With `literal` (one flag
// per byte), a flagged byte is a plain byte of the word it lies in, never a
// blank, quote or backslash of the syntax.
std::vector<std::string> SplitCommandLine(const std::string& commandLine,
                                          const std::vector<bool>* literal = nullptr);

// Quotes one word so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(const std::string& word);

struct ProcessResult {
  bool started = false;
  int exitCode = -1;
  std::string error;  // the system's reason when it could not be started
};

// Starts the program named by the first word and waits until it ends. An
// empty `workDir` keeps the current folder. `showWindow` false starts it
// without a window where the platform has windows (no effect here).
ProcessResult RunAndWait(const std::string& commandLine, const std::string& workDir,
                         bool showWindow);

// The full path of a program found on PATH the way a bare name is found when
// started; "" when there is none.
std::string FindOnPath(const std::string& name);

// A child started in the background: standard input from /dev/null, standard
// output and standard error collected apart while it runs. The owner polls it
// (or waits for it) on its own thread; nothing runs behind its back.
class ChildProcess {
 public:
  // Each stream keeps at most this much; the rest is read and dropped, so a
  // chatty child neither blocks nor exhausts memory.
  static constexpr std::size_t kMaxOutput = 4 << 20;

  ChildProcess() = default;
  // A child still running is ended (SIGTERM, SIGKILL after a grace) and reaped.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts argv[0] (a bare name is looked up on PATH) with the program's own
  // environment, where each "NAME=VALUE" of `environment` replaces or adds a
  // variable. False when one runs already or it cannot be started; error()
  // says why.
  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});
  // Collects what the child wrote; answers whether it has ended. Never blocks.
  bool Poll();
  // Waits up to `timeoutMs` (negative: for ever) for the end; answers whether
  // it ended.
  bool Wait(int timeoutMs);
  // Ends the child: SIGTERM, then SIGKILL when it is still there after
  // `graceMs`; reaps it.
  void Kill(int graceMs = 2000);

  bool running() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // The exit status; -1 when it ended by a signal or has not ended.
  int exitCode() const { return exitCode_; }
  const std::string& output() const { return out_; }
  const std::string& errorOutput() const { return err_; }
  const std::string& error() const { return error_; }

 private:
  void Drain();
  void CloseStreams();
  void Reaped(int status);

  pid_t pid_ = 0;
  int outFd_ = -1;
  int errFd_ = -1;
  int exitCode_ = -1;
  std::string out_;
  std::string err_;
  std::string error_;
};

}  // namespace kestrel
