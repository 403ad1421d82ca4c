// The AppList editor "プロパティ": a thin window over AppListEditor. File
// mode shows the page "ファイル" (name, size, date, the database name behind
// "変更") and the page "AppList"; entry mode shows the AppList page alone.
#pragma once

#include <optional>

#include <QDialog>

#include "applist/AppListEditor.h"

class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kestrel {

class TFormAppListEdit : public QDialog {
 public:
  explicit TFormAppListEdit(AppListEditor& editor, QWidget* parent = nullptr);

  // What OK did; meaningful after the dialog was accepted.
  const AppListEditor::Result& outcome() const { return outcome_; }
  // The form's tag: OK added a line to My AppList.
  bool lineAdded() const { return outcome_.lineAdded; }

  QTabWidget* pages() const { return pages_; }

 private:
  void FormShow();
  void BtnChangeTitleClick();
  void OKButtonClick();

  AppListEditor& editor_;
  AppListEditor::Result outcome_;
  QTabWidget* pages_ = nullptr;
  QLineEdit* EdFileName = nullptr;
  QLineEdit* EdFileSize = nullptr;
  QLineEdit* EdFileDate = nullptr;
  QLineEdit* EdTitle = nullptr;
  QPushButton* BtnChangeTitle = nullptr;
  QLineEdit* EdFile = nullptr;
  QLineEdit* EdType = nullptr;
  QLineEdit* EdNote = nullptr;
  QLineEdit* EdLink = nullptr;
  QLineEdit* EdCat = nullptr;
  QLineEdit* EdDate = nullptr;
};

// Places the editor over the main window and runs it modally; the outcome
// when it closed with OK.
std::optional<AppListEditor::Result> RunAppListEditor(AppListEditor& editor, QWidget* owner);

}  // namespace kestrel
