// The font the program's windows speak Japanese in.
#pragma once

#include <QFont>
#include <QStringList>

#include <thread>

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

// Reads the system's font configuration (fontconfig's files and caches) on
// another core from its making, which the first font question, that of
// UseJapaneseInterfaceFont, would otherwise read on this one. Wait() before
// anything asks about fonts; the destructor waits too.
class FontConfigurationReader {
 public:
  FontConfigurationReader();
  ~FontConfigurationReader() { Wait(); }
  FontConfigurationReader(const FontConfigurationReader&) = delete;
  FontConfigurationReader& operator=(const FontConfigurationReader&) = delete;
  void Wait();

 private:
  std::thread thread_;
};

}  // namespace kestrel
