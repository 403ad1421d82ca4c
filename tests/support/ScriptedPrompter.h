// A prompter for tests: records every box, answers from a queue, and fails
// the test on a box that nobody expected.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/Prompter.h"

namespace kestrel::test {

struct ShownBox {
  BoxKind kind;
  std::string caption;
  std::string text;
};

class ScriptedPrompter : public Prompter {
 public:
  ScriptedPrompter();  // installs itself
  ~ScriptedPrompter() override;  // checks every answer was used, uninstalls

  // The next box must be of this kind; it is answered with `answer`.
  ScriptedPrompter& expect(BoxKind kind, Button answer);

  Button show(BoxKind kind, const std::string& caption, const std::string& text) override;

  const std::vector<ShownBox>& shown() const { return shown_; }
  // The text of the last box shown, "" if none.
  std::string lastText() const { return shown_.empty() ? "" : shown_.back().text; }

 private:
  std::deque<std::pair<BoxKind, Button>> answers_;
  std::vector<ShownBox> shown_;
};

}  // namespace kestrel::test
