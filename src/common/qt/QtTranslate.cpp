#include "common/qt/QtTranslate.h"

#include <QApplication>
#include <QFileInfo>
#include <QTranslator>
#include <string>
#include <unordered_map>

#include "common/qt/QtPrompter.h"
#include "platform/Home.h"

namespace kestrel {

QString EnglishTranslationFile() {
  const std::string name = "translations/kestrel-plus_en.qm";
  std::string path = ShippedFile(name);
  if (path.empty()) {
    // The build tree keeps what it compiles out of the sources' share/.
    std::string built = ProgramBeside("../" + name);
    if (QFileInfo(QString::fromStdString(built)).isReadable()) path = built;
  }
  return QString::fromStdString(path);
}

bool InstallInterfaceLanguage(QApplication& app, Language language) {
  if (language == Language::Japanese) {
    InstallJapaneseTranslation(app);
    return true;
  }
  auto* translator = new QTranslator(&app);
  QString file = EnglishTranslationFile();
  if (file.isEmpty() || !translator->load(file)) {
    delete translator;
    InstallJapaneseTranslation(app);
    return false;
  }
  app.installTranslator(translator);
  // Tr() hands out C texts that must stay valid: each translation is kept
  // once it was asked for (Tr() calls the hook under its lock).
  SetTranslateHook([cache = std::unordered_map<std::string, std::string>()](
                       const char* text) mutable -> const char* {
    auto it = cache.find(text);
    if (it == cache.end()) {
      QString t = QCoreApplication::translate(kTextContext, text);
      it = cache.emplace(text, t.toStdString()).first;
    }
    return it->second.c_str();
  });
  return true;
}

QString Ui(const char* text) { return QString::fromUtf8(Tr(text)); }
QString Ui(const std::string& text) { return QString::fromStdString(Tr(text)); }

}  // namespace kestrel
