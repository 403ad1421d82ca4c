// No dial-up service is reached yet: the phone book is empty, so the
// configuration dialog offers only "ダイアルしない".
#include <mutex>

#include "platform/DialUp.h"

namespace kestrel {
namespace {

class NoDialUp : public DialUp {
 public:
  std::vector<std::string> phoneBookEntries() override { return {}; }
};

std::mutex gMutex;
std::unique_ptr<DialUp> gDialUp;

}  // namespace

std::string DialUp::GetErrorString(int code) {
  return "ダイアルアップ接続のエラー(" + std::to_string(code) + ")";
}

DialUp& TheDialUp() {
  std::lock_guard lock(gMutex);
  if (!gDialUp) gDialUp = std::make_unique<NoDialUp>();
  return *gDialUp;
}

void SetDialUp(std::unique_ptr<DialUp> dialUp) {
  std::lock_guard lock(gMutex);
  gDialUp = std::move(dialUp);
}

}  // namespace kestrel
