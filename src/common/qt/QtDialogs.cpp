#include "common/qt/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>

#include "common/qt/QtPrompter.h"
#include "common/qt/QtTranslate.h"

namespace kestrel {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QtDialogs::FirstStartWindow& FirstStartWindowSlot() {
  static QtDialogs::FirstStartWindow window;
  return window;
}

}  // namespace

QWidget* QtDialogs::owner() const {
  return owner_ ? owner_.data() : QApplication::activeWindow();
}

std::vector<std::string> QtDialogs::openFiles(const FileOpenRequest& request) {
  QFileDialog dialog(owner(), Ui(request.caption), Q(request.folder));
  if (!request.name.empty()) dialog.setObjectName(Q(request.name));
  dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  QStringList filters;
  for (const std::string& f : request.filters) filters << Ui(f);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.adjustSize();
  PlaceDialogOver(&dialog, owner());
  std::vector<std::string> files;
  if (dialog.exec() != QDialog::Accepted) return files;
  for (const QString& f : dialog.selectedFiles()) files.push_back(f.toStdString());
  return files;
}

std::optional<std::string> QtDialogs::chooseFolder(const FolderRequest& request) {
  std::string path = request.folder;
  if (!ChooseFolder(owner(), path, request.caption)) return std::nullopt;
  return path;
}

std::optional<std::string> QtDialogs::askText(const TextRequest& request) {
  QInputDialog dialog(owner());
  if (!request.name.empty()) dialog.setObjectName(Q(request.name));
  dialog.setWindowTitle(Ui(request.caption));
  dialog.setLabelText(Ui(request.prompt));
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setTextValue(Q(request.initial));
  dialog.adjustSize();
  PlaceDialogOver(&dialog, owner());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue().toStdString();
}

std::optional<FontSpec> QtDialogs::chooseFont(const FontRequest& request) {
  QFont start(Q(request.font.family));
  if (request.font.size > 0) start.setPointSize(request.font.size);
  QFontDialog dialog(start, owner());
  if (!request.name.empty()) dialog.setObjectName(Q(request.name));
  if (!request.caption.empty()) dialog.setWindowTitle(Ui(request.caption));
  dialog.setOption(QFontDialog::DontUseNativeDialog, true);
  if (request.fixedPitchOnly) {
    dialog.setOption(QFontDialog::MonospacedFonts, true);
    // The family list was made when the dialog was, before the option;
    // setting the font makes it again, now with fixed-pitch families only.
    dialog.setCurrentFont(start);
  }
  dialog.adjustSize();
  PlaceDialogOver(&dialog, owner());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  QFont chosen = dialog.selectedFont();
  return FontSpec{chosen.family().toStdString(), chosen.pointSize()};
}

void QtDialogs::SetFirstStartWindow(FirstStartWindow window) {
  FirstStartWindowSlot() = std::move(window);
}

std::optional<FirstStartAnswer> QtDialogs::firstStart(const FirstStartRequest& request) {
  if (!FirstStartWindowSlot()) return std::nullopt;
  return FirstStartWindowSlot()(request, owner());
}

}  // namespace kestrel
