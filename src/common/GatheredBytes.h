// Bytes gathered for a file: appended at the end, written and taken from
// the front. What is left after a take stays where it is until the room
// after it runs short, so a writer that keeps back a tail does not move it
// on every write.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace kestrel {

class GatheredBytes {
 public:
  // Where the next bytes go, with room for `n` of them and `slack` beyond,
  // for copies that overrun what they copy. Not cleared: only what Grew
  // counts is ever read.
  char* Room(std::size_t n, std::size_t slack = 32) {
    if (used_ + n + slack > room_ && taken_ > 0) {
      std::memmove(data_.get(), data_.get() + taken_, used_ - taken_);
      used_ -= taken_;
      taken_ = 0;
    }
    if (used_ + n + slack > room_) {
      std::size_t room = std::max(2 * room_, used_ + n + slack);
      auto grown = std::make_unique_for_overwrite<char[]>(room);
      if (used_ > 0) std::memcpy(grown.get(), data_.get(), used_);
      data_ = std::move(grown);
      room_ = room;
    }
    return data_.get() + used_;
  }
  // The bytes up to `to`, a place in the last Room, are gathered.
  void Grew(const char* to) { used_ = static_cast<std::size_t>(to - data_.get()); }
  void Append(std::string_view bytes) {
    char* at = Room(bytes.size(), 0);
    if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
    Grew(at + bytes.size());
  }

  std::string_view View() const { return {data_.get() + taken_, used_ - taken_}; }
  // The first `n` bytes of View are gone.
  void Take(std::size_t n) {
    taken_ += std::min(n, used_ - taken_);
    if (taken_ == used_) taken_ = used_ = 0;
  }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t taken_ = 0, used_ = 0, room_ = 0;
};

}  // namespace kestrel
