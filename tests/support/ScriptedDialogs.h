// Dialogs for tests: each dialog the program opens takes the next answer of
// a queue and is recorded; a dialog nobody expected, or one of another kind
// than the next answer, fails the test and is cancelled.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/Dialogs.h"

namespace kestrel::test {

struct ShownDialog {
  DialogKind kind;
  std::string caption;
  std::string prompt;               // text dialogs
  std::string initial;              // the start folder or the pre-filled text
  std::vector<std::string> filters; // file dialogs
  FontSpec font;                    // font dialogs
};

class ScriptedDialogs : public Dialogs {
 public:
  ScriptedDialogs();   // installs itself
  ~ScriptedDialogs() override;  // checks every answer was used, uninstalls

  // The next dialog is a file-open dialog; these files are chosen (none:
  // cancelled).
  ScriptedDialogs& expectFiles(std::vector<std::string> files);
  // The next is a folder choice / a text question / a font dialog;
  // nullopt cancels it.
  ScriptedDialogs& expectFolder(std::optional<std::string> folder);
  ScriptedDialogs& expectText(std::optional<std::string> text);
  ScriptedDialogs& expectFont(std::optional<FontSpec> font);
  // The next is the first start's setup; nullopt cancels it. The offer is
  // recorded in the shown dialog (folder as `initial`, program and port in
  // `filters`).
  ScriptedDialogs& expectFirstStart(std::optional<FirstStartAnswer> answer);

  std::vector<std::string> openFiles(const FileOpenRequest& request) override;
  std::optional<std::string> chooseFolder(const FolderRequest& request) override;
  std::optional<std::string> askText(const TextRequest& request) override;
  std::optional<FontSpec> chooseFont(const FontRequest& request) override;
  std::optional<FirstStartAnswer> firstStart(const FirstStartRequest& request) override;

  // Called with each dialog as it opens, before it is answered.
  void onShow(std::function<void(const ShownDialog&)> hook) { hook_ = std::move(hook); }

  const std::vector<ShownDialog>& shown() const { return shown_; }
  std::size_t pending() const { return answers_.size(); }

 private:
  struct Answer {
    DialogKind kind;
    std::vector<std::string> files;
    std::optional<std::string> text;
    std::optional<FontSpec> font;
    std::optional<FirstStartAnswer> setup;
  };
  // The next answer when it is of `kind`; nullopt (after failing) otherwise.
  std::optional<Answer> Take(const ShownDialog& shown);

  std::deque<Answer> answers_;
  std::vector<ShownDialog> shown_;
  std::function<void(const ShownDialog&)> hook_;
};

}  // namespace kestrel::test
