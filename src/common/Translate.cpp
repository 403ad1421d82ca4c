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

std::string TrFilled(const std::string& text, std::initializer_list<const char*> formats) {
  for (const char* format : formats) {
    std::string source = format;
    auto at = source.find("%s");
    if (at == std::string::npos) continue;
    std::string head = source.substr(0, at), tail = source.substr(at + 2);
    if (text.size() < head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
      continue;
    }
    std::string value = text.substr(head.size(), text.size() - head.size() - tail.size());
    std::string translated = Tr(format);
    auto slot = translated.find("%s");
    if (slot != std::string::npos) translated.replace(slot, 2, value);
    return translated;
  }
  return Tr(text);
}

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
