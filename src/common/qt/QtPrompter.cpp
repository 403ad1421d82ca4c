#include "common/qt/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTranslator>

#include "common/Paths.h"
#include "common/Dialogs.h"
#include "common/PlaceDialog.h"
#include "common/qt/QtTranslate.h"

namespace kestrel {

Button QtPrompter::show(BoxKind kind, const std::string& caption, const std::string& text) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (kind) {
    case BoxKind::Info:
      box.setIcon(QMessageBox::Information);
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case BoxKind::Error:
      box.setIcon(QMessageBox::Critical);
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case BoxKind::Confirm:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      break;
    case BoxKind::ConfirmCancel:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Yes);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return Button::Yes;
    case QMessageBox::No: return Button::No;
    case QMessageBox::Cancel: return Button::Cancel;
    default: return kind == BoxKind::Confirm ? Button::No : Button::Ok;
  }
}

void InstallJapaneseTranslation(QApplication& app) {
  auto* translator = new QTranslator(&app);
  if (translator->load(QLocale(QLocale::Japanese), "qtbase", "_",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    app.installTranslator(translator);
  } else {
    delete translator;
  }
}

void PlaceDialogOver(QWidget* dialog, QWidget* mainWindow) {
  if (!mainWindow) mainWindow = QApplication::activeWindow();
  if (!mainWindow || mainWindow == dialog) return;
  QRect m = mainWindow->frameGeometry();
  QScreen* screen = mainWindow->screen();
  QRect w = screen ? screen->availableGeometry() : m;
  QSize size = dialog->frameGeometry().size();
  Point p = PlaceDialog({m.left(), m.top(), m.width(), m.height()},
                        {w.left(), w.top(), w.width(), w.height()}, size.width(),
                        size.height());
  dialog->move(p.x, p.y);
}

bool ChooseFolder(QWidget* owner, std::string& path, const std::string& title) {
  QPointer<QWidget> active = QApplication::activeWindow();
  QFileDialog dialog(owner, title.empty() ? Ui(kChooseFolderCaption) : Ui(title));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setDirectory(QString::fromStdString(WithoutTrailingBackslash(path)));
  dialog.adjustSize();
  PlaceDialogOver(&dialog, owner);
  bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
  if (active) active->activateWindow();
  if (!chosen) return false;
  path = dialog.selectedFiles().first().toStdString();
  return true;
}

}  // namespace kestrel
