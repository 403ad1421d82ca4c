// Dial-up networking: the phone-book entries a fetch may dial first.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kestrel {

class DialUp {
 public:
  virtual ~DialUp() = default;
  // The names of the phone-book entries, in the phone book's order.
  virtual std::vector<std::string> phoneBookEntries() = 0;
};

// The platform's dial-up; here it has no phone book yet (an empty list).
DialUp& TheDialUp();
// Tests may swap it (nullptr restores the default).
void SetDialUp(std::unique_ptr<DialUp> dialUp);

}  // namespace kestrel
