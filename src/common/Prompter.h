// Everything that asks the user goes through one Prompter, so that tests can
// answer from a script and a run without a display can still go on.
#pragma once

#include <string>

namespace kestrel {

enum class Button { Ok, Yes, No, Cancel };

enum class BoxKind { Info, Error, Confirm, ConfirmCancel };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Shows one modal box and answers the button pressed.
  virtual Button show(BoxKind kind, const std::string& caption, const std::string& text) = 0;
};

// The caption and the default button of each kind of box.
const char* BoxCaption(BoxKind kind);
Button DefaultButton(BoxKind kind);

// Prints each box to stderr and takes its default button.
class HeadlessPrompter : public Prompter {
 public:
  Button show(BoxKind kind, const std::string& caption, const std::string& text) override;
};

// The prompter in use; headless until one is installed.
Prompter& ThePrompter();
// Installs a prompter (not owned); nullptr goes back to the headless one.
void SetPrompter(Prompter* prompter);

}  // namespace kestrel
