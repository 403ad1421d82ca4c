// The icon of a program file, as the desktop shows it.
#pragma once

#include <QIcon>
#include <string>

namespace kestrel {

// The icon theme's icon named after the program, else the Icon of a
// desktop entry whose Exec or TryExec runs it, else a generic executable
// icon. A null icon for an empty path.
QIcon ProgramIcon(const std::string& path);

}  // namespace kestrel
