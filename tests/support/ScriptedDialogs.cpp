#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace kestrel::test {
namespace {

const char* KindName(DialogKind kind) {
  switch (kind) {
    case DialogKind::OpenFiles: return "file-open";
    case DialogKind::Folder: return "folder";
    case DialogKind::Text: return "text";
    case DialogKind::Font: return "font";
    case DialogKind::FirstStart: return "first-start";
  }
  return "?";
}

}  // namespace

ScriptedDialogs::ScriptedDialogs() { SetDialogs(this); }

ScriptedDialogs::~ScriptedDialogs() {
  SetDialogs(nullptr);
  EXPECT_TRUE(answers_.empty()) << answers_.size() << " expected dialog(s) never opened";
}

ScriptedDialogs& ScriptedDialogs::expectFiles(std::vector<std::string> files) {
  answers_.push_back({DialogKind::OpenFiles, std::move(files), std::nullopt, std::nullopt});
  return *this;
}

ScriptedDialogs& ScriptedDialogs::expectFolder(std::optional<std::string> folder) {
  answers_.push_back({DialogKind::Folder, {}, std::move(folder), std::nullopt});
  return *this;
}

ScriptedDialogs& ScriptedDialogs::expectText(std::optional<std::string> text) {
  answers_.push_back({DialogKind::Text, {}, std::move(text), std::nullopt});
  return *this;
}

ScriptedDialogs& ScriptedDialogs::expectFont(std::optional<FontSpec> font) {
  answers_.push_back({DialogKind::Font, {}, std::nullopt, std::move(font)});
  return *this;
}

ScriptedDialogs& ScriptedDialogs::expectFirstStart(std::optional<FirstStartAnswer> answer) {
  answers_.push_back({DialogKind::FirstStart, {}, std::nullopt, std::nullopt, std::move(answer)});
  return *this;
}

std::optional<ScriptedDialogs::Answer> ScriptedDialogs::Take(const ShownDialog& shown) {
  shown_.push_back(shown);
  if (hook_) hook_(shown);
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected " << KindName(shown.kind) << " dialog [" << shown.caption << "] "
                  << shown.prompt;
    return std::nullopt;
  }
  Answer answer = answers_.front();
  answers_.pop_front();
  if (answer.kind != shown.kind) {
    ADD_FAILURE() << "a " << KindName(shown.kind) << " dialog [" << shown.caption
                  << "] opened where a " << KindName(answer.kind) << " dialog was expected";
    return std::nullopt;
  }
  return answer;
}

std::vector<std::string> ScriptedDialogs::openFiles(const FileOpenRequest& request) {
  auto answer = Take({DialogKind::OpenFiles, request.caption, "", request.folder, request.filters, {}});
  return answer ? answer->files : std::vector<std::string>{};
}

std::optional<std::string> ScriptedDialogs::chooseFolder(const FolderRequest& request) {
  auto answer = Take({DialogKind::Folder, request.caption, "", request.folder, {}, {}});
  return answer ? answer->text : std::nullopt;
}

std::optional<std::string> ScriptedDialogs::askText(const TextRequest& request) {
  auto answer = Take({DialogKind::Text, request.caption, request.prompt, request.initial, {}, {}});
  return answer ? answer->text : std::nullopt;
}

std::optional<FontSpec> ScriptedDialogs::chooseFont(const FontRequest& request) {
  auto answer = Take({DialogKind::Font, request.caption, "", "", {}, request.font});
  return answer ? answer->font : std::nullopt;
}

std::optional<FirstStartAnswer> ScriptedDialogs::firstStart(const FirstStartRequest& request) {
  auto answer = Take({DialogKind::FirstStart, kFirstStartCaption, "", request.palmFolder,
                      {request.hotSyncProgram, request.port}, {}});
  return answer ? answer->setup : std::nullopt;
}

}  // namespace kestrel::test
