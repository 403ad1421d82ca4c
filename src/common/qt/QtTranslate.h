// The interface language in Qt: the program's translation and Qt's own.
#pragma once

#include <QString>
#include <string>

#include "common/Translate.h"

class QApplication;
class QWidget;

namespace kestrel {

// The compiled English texts: the home's or the installed copy
// (translations/kestrel-plus_en.qm), else the build tree's beside the
// programs. Empty when none is found.
QString EnglishTranslationFile();

// Installs the translators of `language` and the hook of Tr(). Japanese is
// the source: it needs only Qt's own texts (はい, いいえ, キャンセル).
// False when the English translation cannot be loaded (the texts stay
// Japanese). Call once, before any window.
bool InstallInterfaceLanguage(QApplication& app, Language language);

// Gives the texts a window was built with (captions, labels, buttons, tabs,
// group titles, combo items, hints, actions and menus) in the interface
// language. A text that is no source text stays as it is. The installed
// language does this for every window as it is shown.
void TranslateWidgets(QWidget* root);

// An interface text in the interface language, for a Qt widget.
QString Ui(const char* text);
QString Ui(const std::string& text);

}  // namespace kestrel
