// Message boxes as real Qt dialogs, owned by the active window.
#pragma once

#include "common/Prompter.h"

class QApplication;
class QWidget;

namespace kestrel {

class QtPrompter : public Prompter {
 public:
  Button show(BoxKind kind, const std::string& caption, const std::string& text) override;
};

// Loads Qt's own Japanese texts so that standard buttons read はい, いいえ,
// キャンセル. Call once after the application object exists.
void InstallJapaneseTranslation(QApplication& app);

// Where a dialog of this size goes over the main window (the active
// top-level window when none is given), kept inside the work area.
void PlaceDialogOver(QWidget* dialog, QWidget* mainWindow = nullptr);

// The folder chooser: true when a folder was chosen; `path` holds the start
// folder and receives the choice. An empty title asks
// "フォルダを選択してください".
bool ChooseFolder(QWidget* owner, std::string& path, const std::string& title);

}  // namespace kestrel
