#include "common/Dialogs.h"

#include <cstdio>

namespace kestrel {
namespace {

void Say(const char* what, const std::string& caption) {
  std::fprintf(stderr, "[%s] %s: cancelled (no display)\n", Tr(caption).c_str(), Tr(what));
}

HeadlessDialogs g_headless;
Dialogs* g_dialogs = nullptr;

}  // namespace

std::vector<std::string> HeadlessDialogs::openFiles(const FileOpenRequest& request) {
  Say("open files", request.caption);
  return {};
}

std::optional<std::string> HeadlessDialogs::chooseFolder(const FolderRequest& request) {
  Say("choose a folder", request.caption.empty() ? kChooseFolderCaption : request.caption);
  return std::nullopt;
}

std::optional<std::string> HeadlessDialogs::askText(const TextRequest& request) {
  Say(request.prompt.c_str(), request.caption);
  return std::nullopt;
}

std::optional<FontSpec> HeadlessDialogs::chooseFont(const FontRequest& request) {
  Say("choose a font", request.caption);
  return std::nullopt;
}

std::optional<FirstStartAnswer> HeadlessDialogs::firstStart(const FirstStartRequest&) {
  Say("set up the Palm Desktop side (kestrel-tool setup does it without a window)",
      kFirstStartCaption);
  return std::nullopt;
}

Dialogs& TheDialogs() { return g_dialogs ? *g_dialogs : g_headless; }

void SetDialogs(Dialogs* dialogs) { g_dialogs = dialogs; }

}  // namespace kestrel
