#include "common/Prompter.h"

#include "common/Translate.h"

#include <cstdio>

namespace kestrel {

const char* BoxCaption(BoxKind kind) {
  switch (kind) {
    case BoxKind::Info: return QT_TRANSLATE_NOOP("Kestrel", "お知らせ");
    case BoxKind::Error: return QT_TRANSLATE_NOOP("Kestrel", "エラー");
    case BoxKind::Confirm:
    case BoxKind::ConfirmCancel: return QT_TRANSLATE_NOOP("Kestrel", "確認");
  }
  return "";
}

Button DefaultButton(BoxKind kind) {
  switch (kind) {
    case BoxKind::Info:
    case BoxKind::Error: return Button::Ok;
    case BoxKind::Confirm: return Button::No;
    case BoxKind::ConfirmCancel: return Button::Yes;
  }
  return Button::Ok;
}

Button HeadlessPrompter::show(BoxKind kind, const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
  return DefaultButton(kind);
}

namespace {
HeadlessPrompter g_headless;
Prompter* g_prompter = nullptr;
}  // namespace

Prompter& ThePrompter() { return g_prompter ? *g_prompter : g_headless; }

void SetPrompter(Prompter* prompter) { g_prompter = prompter; }

}  // namespace kestrel
