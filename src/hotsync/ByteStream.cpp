#include "hotsync/ByteStream.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>

namespace kestrel::hotsync {

HsStatus ByteStream::writeAll2(std::string_view first, std::string_view second) {
  std::string both;
  both.reserve(first.size() + second.size());
  both.append(first).append(second);
  return writeAll(both);
}

HsStatus ReadExactly(ByteStream& stream, char* buffer, std::size_t n, Millis timeout) {
  std::size_t got = 0;
  while (got < n) {
    auto r = stream.readSome(buffer + got, n - got, timeout);
    if (!r) return r.error();
    got += *r;
  }
  return {};
}

namespace {

// The state two ends share: a byte queue each way.
struct PipeState {
  std::mutex mutex;
  std::condition_variable changed;
  std::string queue[2];
  std::size_t head[2] = {0, 0};
  bool closed = false;
};

class MemoryEnd : public ByteStream {
 public:
  MemoryEnd(std::shared_ptr<PipeState> state, int side) : state_(std::move(state)), side_(side) {}
  ~MemoryEnd() override { close(); }

  HsResult<std::size_t> readSome(char* buffer, std::size_t max, Millis timeout) override {
    std::unique_lock lock(state_->mutex);
    std::string& q = state_->queue[side_];
    std::size_t& head = state_->head[side_];
    bool ready = state_->changed.wait_for(lock, timeout, [&] { return head < q.size() || state_->closed; });
    if (head < q.size()) {
      std::size_t n = std::min(max, q.size() - head);
      std::memcpy(buffer, q.data() + head, n);
      head += n;
      if (head == q.size()) { q.clear(); head = 0; }
      return n;
    }
    if (!ready) return MakeError("read", kErrTimeout, "no answer within the time allowed");
    return MakeError("read", kErrClosed, "the connection was closed");
  }

  HsStatus writeAll(std::string_view bytes) override {
    std::lock_guard lock(state_->mutex);
    if (state_->closed) return MakeError("write", kErrClosed, "the connection was closed");
    state_->queue[1 - side_].append(bytes);
    state_->changed.notify_all();
    return {};
  }

  void close() override {
    std::lock_guard lock(state_->mutex);
    state_->closed = true;
    state_->changed.notify_all();
  }

 private:
  std::shared_ptr<PipeState> state_;
  int side_;  // reads queue[side_], writes the other
};

}  // namespace

std::pair<std::unique_ptr<ByteStream>, std::unique_ptr<ByteStream>> MakeMemoryPipe() {
  auto state = std::make_shared<PipeState>();
  return {std::make_unique<MemoryEnd>(state, 0), std::make_unique<MemoryEnd>(state, 1)};
}

}  // namespace kestrel::hotsync
