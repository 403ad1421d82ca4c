#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace kestrel::test {

ScriptedPrompter::ScriptedPrompter() { SetPrompter(this); }

ScriptedPrompter::~ScriptedPrompter() {
  SetPrompter(nullptr);
  EXPECT_TRUE(answers_.empty()) << answers_.size() << " expected box(es) never shown";
}

ScriptedPrompter& ScriptedPrompter::expect(BoxKind kind, Button answer) {
  answers_.emplace_back(kind, answer);
  return *this;
}

Button ScriptedPrompter::show(BoxKind kind, const std::string& caption, const std::string& text) {
  shown_.push_back({kind, caption, text});
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected box [" << caption << "] " << text;
    return DefaultButton(kind);
  }
  auto [wanted, answer] = answers_.front();
  answers_.pop_front();
  EXPECT_EQ(static_cast<int>(wanted), static_cast<int>(kind)) << "box [" << caption << "] " << text;
  return answer;
}

}  // namespace kestrel::test
