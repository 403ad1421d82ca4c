#include "dialogs/qt/DialogHooks.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QUrl>

#include "common/MessageBoxes.h"
#include "common/qt/QtPrompter.h"
#include "platform/Home.h"
#include "platform/Shell.h"

namespace kestrel {
namespace {

ProgramFileChooser gFile;
FolderChooser gFolder;
FontChooser gFont;

// The executable kinds first, as a Windows user knows them; programs here
// mostly have no extension, so every file is one choice away.
constexpr const char* kProgramFilter = "実行ファイル (*.exe *.com *.pif *.lnk);;全てのファイル (*)";

}  // namespace

std::optional<std::string> ChooseProgramFile(QWidget* owner, const std::string& startFolder) {
  if (gFile) return gFile(owner, startFolder);
  QFileDialog dialog(owner);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(kProgramFilter);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  if (!startFolder.empty()) dialog.setDirectory(QString::fromStdString(startFolder));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

void SetProgramFileChooser(ProgramFileChooser chooser) { gFile = std::move(chooser); }

std::optional<std::string> ChooseDialogFolder(QWidget* owner, const std::string& start, const std::string& title) {
  if (gFolder) return gFolder(owner, start, title);
  std::string path = start;
  if (!ChooseFolder(owner, path, title)) return std::nullopt;
  return path;
}

void SetFolderChooser(FolderChooser chooser) { gFolder = std::move(chooser); }

std::optional<QFont> ChooseFixedFont(QWidget* owner, const QFont& initial) {
  if (gFont) return gFont(owner, initial);
  bool ok = false;
  QFont font = QFontDialog::getFont(&ok, initial, owner, QString(),
                                    QFontDialog::MonospacedFonts | QFontDialog::DontUseNativeDialog);
  if (!ok) return std::nullopt;
  return font;
}

void SetFontChooser(FontChooser chooser) { gFont = std::move(chooser); }

void OpenHelpTopic(int topic) {
  std::string page = ShippedFile("Kestrel.html");
  if (page.empty()) {
    ErrorBox("ヘルプファイル %s が見つかりません。", "Kestrel.html");
    return;
  }
  QUrl url = QUrl::fromLocalFile(QString::fromStdString(page));
  if (topic > 0) url.setFragment(QStringLiteral("topic%1").arg(topic));
  TheShell().open(url.toString(QUrl::FullyEncoded).toStdString());
}

}  // namespace kestrel
