#include "common/Links.h"

#include <cctype>

#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "platform/Home.h"
#include "platform/Shell.h"

namespace kestrel {

bool OpenLink(const std::string& address) {
  if (TheShell().open(address)) return true;
  ErrorBox("%s", MessageText(455));
  return false;
}

std::string FileAddress(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string address = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      address += static_cast<char>(c);
    } else {
      address += '%';
      address += hex[c >> 4];
      address += hex[c & 15];
    }
  }
  return address;
}

bool OpenHelp(int topic) {
  std::string page = ShippedFile(kHelpFile);
  if (page.empty()) {
    ErrorBox("ヘルプファイル %s が見つかりません。", kHelpFile);
    return false;
  }
  std::string address = FileAddress(page);
  if (topic > 0) address += "#topic" + std::to_string(topic);
  if (TheShell().open(address)) return true;
  // The person can still open the page by hand.
  ErrorBox("ヘルプファイル %s を表示できません。\nブラウザで開いてください。", page.c_str());
  return false;
}

}  // namespace kestrel
