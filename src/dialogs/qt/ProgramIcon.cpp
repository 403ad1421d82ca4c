#include "dialogs/qt/ProgramIcon.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>

namespace kestrel {
namespace {

// The program an Exec or TryExec line starts (its first word, unquoted).
QString ProgramOf(const QString& exec) {
  QString first = exec.trimmed().section(' ', 0, 0);
  if (first.startsWith('"')) first = exec.trimmed().section('"', 1, 1);
  return first;
}

QIcon FromDesktopEntry(const QFileInfo& program) {
  const QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
  for (const QString& dir : dirs) {
    const QStringList entries = QDir(dir).entryList({"*.desktop"}, QDir::Files);
    for (const QString& name : entries) {
      QSettings entry(QDir(dir).filePath(name), QSettings::IniFormat);
      entry.beginGroup("Desktop Entry");
      for (const char* key : {"TryExec", "Exec"}) {
        QString runs = ProgramOf(entry.value(key).toString());
        if (runs.isEmpty()) continue;
        bool same = runs.contains('/') ? QFileInfo(runs).absoluteFilePath() == program.absoluteFilePath()
                                       : runs == program.fileName();
        if (!same) continue;
        QString icon = entry.value("Icon").toString();
        if (icon.startsWith('/') && QFileInfo::exists(icon)) return QIcon(icon);
        if (!icon.isEmpty() && QIcon::hasThemeIcon(icon)) return QIcon::fromTheme(icon);
      }
    }
  }
  return {};
}

}  // namespace

QIcon ProgramIcon(const std::string& path) {
  if (path.empty()) return {};
  QFileInfo program(QString::fromStdString(path));
  QString base = program.completeBaseName();
  if (!base.isEmpty() && QIcon::hasThemeIcon(base)) return QIcon::fromTheme(base);
  QIcon fromEntry = FromDesktopEntry(program);
  if (!fromEntry.isNull()) return fromEntry;
  if (QIcon::hasThemeIcon("application-x-executable")) return QIcon::fromTheme("application-x-executable");
  return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

}  // namespace kestrel
