#include "dialogs/qt/DialogHooks.h"

#include "common/Dialogs.h"
#include "common/Links.h"
#include "common/Translate.h"

namespace kestrel {

std::optional<std::string> ChooseProgramFile(const std::string& startFolder) {
  FileOpenRequest request;
  request.folder = startFolder;
  // The executable kinds first, as a Windows user knows them; programs here
  // mostly have no extension, so every file is one choice away.
  request.filters = {QT_TRANSLATE_NOOP("Kestrel", "実行ファイル (*.exe *.com *.pif *.lnk)"), QT_TRANSLATE_NOOP("Kestrel", "全てのファイル (*)")};
  request.multiple = false;
  request.name = "OpenDialog1";
  std::vector<std::string> files = TheDialogs().openFiles(request);
  if (files.empty()) return std::nullopt;
  return files.front();
}

std::optional<std::string> ChooseDialogFolder(const std::string& start, const std::string& title) {
  return TheDialogs().chooseFolder({title, start, "ChooseFolder"});
}

std::optional<QFont> ChooseFixedFont(const QFont& initial) {
  FontRequest request;
  request.font = {initial.family().toStdString(), initial.pointSize() > 0 ? initial.pointSize() : 9};
  request.fixedPitchOnly = true;
  request.name = "FontDialog1";
  std::optional<FontSpec> chosen = TheDialogs().chooseFont(request);
  if (!chosen) return std::nullopt;
  QFont font(initial);
  font.setFamily(QString::fromStdString(chosen->family));
  font.setPointSize(chosen->size);
  return font;
}

void OpenHelpTopic(int topic) { OpenHelp(topic); }

}  // namespace kestrel
