#include "common/Links.h"

#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Translate.h"
#include "platform/Home.h"
#include "platform/PercentEncoding.h"
#include "platform/Shell.h"

namespace kestrel {

bool OpenLink(const std::string& address) {
  if (TheShell().open(address)) return true;
  ErrorBox("%s", MessageText(455));
  return false;
}

std::string FileAddress(const std::string& path) { return "file://" + PercentEncoded(path, "/-._~"); }

bool OpenHelp(int topic) {
  std::string page = InterfaceLanguage() == Language::English ? ShippedFile(kEnglishHelpFile) : "";
  if (page.empty()) page = ShippedFile(kHelpFile);
  if (page.empty()) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "ヘルプファイル %s が見つかりません。"), kHelpFile);
    return false;
  }
  std::string address = FileAddress(page);
  if (topic > 0) address += "#topic" + std::to_string(topic);
  if (TheShell().open(address)) return true;
  // The person can still open the page by hand.
  ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "ヘルプファイル %s を表示できません。\nブラウザで開いてください。"), page.c_str());
  return false;
}

}  // namespace kestrel
