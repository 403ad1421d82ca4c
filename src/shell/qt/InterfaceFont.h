// The font the program's windows speak Japanese in.
#pragma once

#include <QFont>
#include <QStringList>

#include <condition_variable>
#include <mutex>
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
// anything asks about fonts; the destructor waits for the thread's end.
class FontConfigurationReader {
 public:
  FontConfigurationReader();
  ~FontConfigurationReader();
  FontConfigurationReader(const FontConfigurationReader&) = delete;
  FontConfigurationReader& operator=(const FontConfigurationReader&) = delete;
  // Until the configuration is read. Not until the thread has ended: the
  // other core may run another thread by then, and the end of this one
  // would wait for its turn.
  void Wait();

 private:
  std::mutex mutex_;
  std::condition_variable read_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace kestrel
