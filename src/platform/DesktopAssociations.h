// The desktop's side of a shell association: besides the classes root of
// the settings store, the desktop's own choice of the program that opens a
// file type. On Linux that is the user's default application for the
// extension's MIME type (freedesktop's mimeapps.list, through xdg-mime).
#pragma once

#include <memory>
#include <string>

#include "platform/TranslateMark.h"

namespace kestrel {

// The reasons associate and restore give; a value fills the "%s".
inline constexpr const char* kDesktopToolMissing = QT_TRANSLATE_NOOP("Kestrel", "xdg-mime が見つかりません。");
inline constexpr const char* kDesktopToolFailed = QT_TRANSLATE_NOOP("Kestrel", "%s が失敗しました。");
inline constexpr const char* kDesktopCannotWrite = QT_TRANSLATE_NOOP("Kestrel", "%s を書き込めません。");

class DesktopAssociations {
 public:
  virtual ~DesktopAssociations() = default;
  // Makes the program the desktop's choice for files of `extension` (with
  // its dot), keeping the choice it replaces. True when done or when the
  // desktop has nothing to change; false with a reason in `error`.
  virtual bool associate(const std::string& extension, std::string* error) = 0;
  // Puts the kept choice back (or drops ours when none was kept), unless
  // the user has chosen another program meanwhile.
  virtual bool restore(const std::string& extension, std::string* error) = 0;
};

// The desktop of this platform. On Linux: the store alone (nothing to do)
// unless the desktop entry kestrel-plus.desktop is installed.
DesktopAssociations& TheDesktopAssociations();
// Tests may swap it (nullptr restores the default).
void SetDesktopAssociations(std::unique_ptr<DesktopAssociations> desktop);

// The program file the shell starts for an associated file: kestrel-plus
// beside the running program.
std::string AssociatedProgramPath();

}  // namespace kestrel
