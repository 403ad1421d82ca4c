// Interface texts in the language the program speaks. The Japanese texts are
// the source; the display layer sets a hook that gives their translation, so
// the libraries below it stay free of any toolkit.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

// Marks a text for the translation files without translating it (the
// extractor reads the marker by this name).
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace kestrel {

// Every interface text is in this one context of the translation files.
inline constexpr const char* kTextContext = "Kestrel";

// Gives the translation of a source text, or nullptr to keep the source.
// The text it returns must live as long as the program.
using TranslateHook = std::function<const char*(const char* text)>;
void SetTranslateHook(TranslateHook hook);

// The text in the interface language; the source itself without a hook or
// without a translation.
const char* Tr(const char* text);
std::string Tr(const std::string& text);

// The translation of a text made by filling the "%s" of one of `formats`
// (source texts with one "%s" each): that format translated and filled with
// the same value; any other text as Tr gives it.
std::string TrFilled(const std::string& text, std::initializer_list<const char*> formats);

enum class Language { Japanese, English };

// The language a "Language" value asks for: "ja", "en", else (empty or
// anything else) the locale's: LC_ALL, else LC_MESSAGES, else LANG, the
// first of them that is set and not empty; one beginning with "ja" is
// Japanese, any other (or none) English.
Language ChooseLanguage(const std::string& setting,
                        const std::function<const char*(const char*)>& getenv);

// The language the interface speaks; Japanese until the display layer
// installs another.
void SetInterfaceLanguage(Language language);
Language InterfaceLanguage();

// "Language" under the program's key.
inline constexpr const char* kLanguageValue = "Language";

}  // namespace kestrel
