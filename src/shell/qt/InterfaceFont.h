// The font the program's windows speak Japanese in.
#pragma once

#include <QFont>
#include <QStringList>

class QApplication;

namespace kestrel {

// Japanese interface faces, best first, as Debian's font packages name them.
QStringList JapaneseInterfaceFamilies();

// The base font (its size, weight and style kept) drawn in the first of the
// preferred families that is installed; the base font itself on a system
// without any of them.
QFont WithPreferredFamilies(const QFont& base, const QStringList& preferred);

// Gives the application its Japanese interface font.
void UseJapaneseInterfaceFont(QApplication& app);

}  // namespace kestrel
