#include "common/Translate.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace kestrel {
namespace {

std::mutex& HookMutex() {
  static std::mutex m;
  return m;
}

TranslateHook& Hook() {
  static TranslateHook hook;
  return hook;
}

}  // namespace

void SetTranslateHook(TranslateHook hook) {
  std::lock_guard<std::mutex> lock(HookMutex());
  Hook() = std::move(hook);
}

const char* Tr(const char* text) {
  if (!text || !*text) return text;
  std::lock_guard<std::mutex> lock(HookMutex());
  if (!Hook()) return text;
  const char* translated = Hook()(text);
  return translated ? translated : text;
}

std::string Tr(const std::string& text) { return Tr(text.c_str()); }

namespace {
std::atomic<Language> g_language{Language::Japanese};
}  // namespace

void SetInterfaceLanguage(Language language) { g_language = language; }
Language InterfaceLanguage() { return g_language; }

Language ChooseLanguage(const std::string& setting,
                        const std::function<const char*(const char*)>& getenv) {
  if (setting == "ja") return Language::Japanese;
  if (setting == "en") return Language::English;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = getenv(name);
    if (value && *value) {
      return std::string(value).rfind("ja", 0) == 0 ? Language::Japanese : Language::English;
    }
  }
  return Language::English;
}

}  // namespace kestrel
