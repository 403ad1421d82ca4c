// TDosCommand runs one console program at a time as a child without input,
// reads what it writes to standard output and standard error (one pipe, in
// the order written) on a reader thread (or, without a HandOver, on the
// owner's thread; see below), and hands every byte and every line to its
// owner's handlers on the owner's thread, in Shift_JIS (converted
// from the locale's encoding, see ChildText.h).
//
// The hand-over is synchronous: the reader hands over what it has read and
// reads on only after the owner's thread has run the handlers for all of it,
// so the handlers never run ahead of or behind the pipe, and memory stays
// bounded however much the child writes. The owner's thread runs the
// handlers in DeliverPending(); a HandOver tells it when to call that (the
// Qt one queues the call into the event loop).
//
// A run started without a HandOver has no reader thread: the owner pumps
// with WaitAndDeliver() or WaitForTermination(), and those read the pipe
// on the owner's thread themselves, in the same order and the same blocks,
// sparing two thread wake-ups per block. A HandOver set during such a run
// applies from the next one.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "xferlink/ChildText.h"

namespace kestrel {

enum TDosCommandPriorityType { dcpRealTime, dcpHigh, dcpNormal, dcpIdle };

// The nice value a priority asks for (lowering it below 0 needs privileges;
// where the system refuses, the child keeps the program's own).
int NiceValueOf(TDosCommandPriorityType priority);

class TDosCommand;

// Called on the reader thread when output or the end waits for the owner's
// thread; the owner's thread must then call DeliverPending().
class HandOver {
 public:
  virtual ~HandOver() = default;
  virtual void Wake() = 0;
};

class TDosCommand {
 public:
  using OutputCharEvent = std::function<void(TDosCommand& sender, char ch)>;
  using OutputLineEvent = std::function<void(TDosCommand& sender, const std::string& str)>;
  using TerminateEvent = std::function<void(TDosCommand& sender)>;
  using OutputBlockEvent = std::function<void(TDosCommand& sender, std::string_view bytes)>;

  // A line longer than this without LF is handed on in pieces of this size,
  // so a child that never ends its line cannot exhaust memory.
  static constexpr std::size_t kMaxLine = 1 << 20;
  // How long a child may take to end after Terminate before it is killed.
  static constexpr int kTerminateGraceMs = 2000;

  TDosCommand();
  ~TDosCommand();
  TDosCommand(const TDosCommand&) = delete;
  TDosCommand& operator=(const TDosCommand&) = delete;

  // Not owned. Null: the owner pumps itself. Clear it before the hand-over
  // goes away; the reader never calls one that was cleared.
  void setHandOver(HandOver* handOver) {
    std::lock_guard<std::mutex> lock(mutex_);
    handOver_ = handOver;
  }

  // Starts the child (first word of the Windows-style command line names the
  // program; a bare name is looked up on PATH) in `workDir` ("" = current
  // folder). False when one runs already or it cannot be started; then
  // lastError() says why.
  bool Execute(const std::string& commandLine, const std::string& workDir);
  // Ends a running child (its whole process group): SIGTERM, SIGKILL after
  // the grace. OnTerminate follows as after a normal end; ExitCode stays 0.
  void Terminate();
  // Delivers output until the end has been reported (owner's thread).
  void WaitForTermination();

  // Owner's thread: runs the handlers for what the reader has handed over
  // (without a reader, for what the pipe holds now). Answers whether
  // anything was delivered.
  bool DeliverPending();
  // Owner's thread: waits up to `timeoutMs` for something to deliver, then
  // delivers it. Answers whether anything was delivered.
  bool WaitAndDeliver(int timeoutMs);

  bool IsOnExecution() const { return onExecution_; }
  std::uint32_t ExitCode() const { return exitCode_; }
  TDosCommandPriorityType Priority() const { return priority_; }
  void setPriority(TDosCommandPriorityType p) { priority_ = p; }
  const std::string& lastError() const { return lastError_; }
  pid_t childPid() const { return pid_; }

  OutputCharEvent OnOutputChar;
  OutputLineEvent OnOutputLine;
  TerminateEvent OnTerminate;
  // For an owner that observes no single byte or line: when neither of
  // those events is set for a run, the output is handed over in the blocks
  // it was read in, in pipe order, and no lines are made.
  OutputBlockEvent OnOutputBlock;

 private:
  struct Mail {
    // The reader's buffer: it reads on only once this was delivered.
    std::string_view bytes;
    bool end = false;
    std::uint32_t exitCode = 0;
  };

  void ReaderLoop(int fd, pid_t pid, std::size_t chunk);
  // A run without a reader: reads what the pipe holds within `timeoutMs`
  // and delivers it, or the end. Answers whether anything was delivered.
  bool ReadOnOwnerThread(int timeoutMs);
  void DeliverBytes(std::string_view bytes);
  void DeliverEnd(std::uint32_t exitCode);
  // Reader thread: hands `mail` over and waits until it was delivered.
  // False when the runner is going away.
  bool Hand(Mail mail, bool wait);
  bool ReapIfEnded(pid_t pid, bool block, std::uint32_t* code);
  void DeliverLine();
  void JoinReader();

  HandOver* handOver_ = nullptr;
  TDosCommandPriorityType priority_ = dcpNormal;
  bool onExecution_ = false;
  bool terminated_ = false;
  std::uint32_t exitCode_ = 0;
  std::string lastError_;
  pid_t pid_ = 0;
  std::thread reader_;
  // The run without a reader: its pipe and buffer; once the child ended,
  // the pipe is drained without waiting, the exit code kept meanwhile.
  bool ownerReads_ = false;
  int fd_ = -1;
  std::size_t chunk_ = 0;
  std::unique_ptr<char[]> buffer_;
  bool draining_ = false;
  std::uint32_t drainedCode_ = 0;
  bool delivering_ = false;  // a handler that pumps again reads nothing

  // Copies of the output handlers for the current run.
  OutputCharEvent runChar_;
  OutputLineEvent runLine_;
  OutputBlockEvent runBlock_;
  std::string line_;
  ChildTextToCp932 toCp932_;
  std::string converted_;  // kept between blocks for its room

  // Shared with the reader.
  std::mutex mutex_;
  std::condition_variable cv_;
  std::optional<Mail> mail_;
  bool delivered_ = true;
  bool closing_ = false;
  bool reaped_ = false;
  bool termRequested_ = false;
  std::chrono::steady_clock::time_point termAt_{};
};

}  // namespace kestrel
