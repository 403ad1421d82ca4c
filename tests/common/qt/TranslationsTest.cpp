// The English translation file: every text the program marks is in it,
// each with a finished translation that formats and accelerates as its
// source does.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <map>
#include <set>
#include <string>

#include "common/MessageTable.h"
#include "common/Translate.h"

using namespace kestrel;

namespace {

struct Entry {
  QString translation;
  QString type;  // "unfinished", "vanished", ... or "" when finished
};

std::map<QString, Entry> ReadTs(const QString& path) {
  std::map<QString, Entry> out;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot read " << path.toStdString();
    return out;
  }
  QXmlStreamReader xml(&file);
  QString source;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"source") {
      source = xml.readElementText();
    } else if (xml.name() == u"translation") {
      QString type = xml.attributes().value("type").toString();
      out[source] = {xml.readElementText(), type};
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return out;
}

// The printf conversions in order: a translation with others would read
// the wrong arguments.
QStringList Conversions(const QString& text) {
  QStringList out;
  static const QRegularExpression re("%[-+ #0-9.]*[a-zA-Z%]");
  for (auto it = re.globalMatch(text); it.hasNext();) out << it.next().captured();
  return out;
}

int Accelerators(const QString& text) { return QString(text).remove("&&").count('&'); }

}  // namespace

TEST(TranslationsTest, EveryMarkedTextHasAFinishedTranslationThatFormatsAsItsSource) {
  std::map<QString, Entry> ts = ReadTs(KESTREL_TS_FILES);
  ASSERT_FALSE(ts.empty());
  for (const auto& [source, entry] : ts) {
    std::string s = source.toStdString();
    EXPECT_EQ(entry.type, "") << s;
    EXPECT_FALSE(entry.translation.isEmpty()) << s;
    EXPECT_EQ(Conversions(entry.translation), Conversions(source)) << s;
    EXPECT_EQ(Accelerators(entry.translation), Accelerators(source)) << s;
  }

  // The sources as they are now: a text marked since the file was last
  // updated is missing from it.
  QTemporaryDir dir;
  QString fresh = dir.filePath("fresh.ts");
  QProcess lupdate;
  lupdate.start(LUPDATE_PROGRAM, {"-silent", "-no-obsolete", "-locations", "none",
                                  QStringLiteral(KESTREL_SOURCE_DIR) + "/src", "-ts", fresh});
  ASSERT_TRUE(lupdate.waitForFinished(120000));
  ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
  std::map<QString, Entry> marked = ReadTs(fresh);
  EXPECT_FALSE(marked.empty());
  for (const auto& m : marked) EXPECT_TRUE(ts.count(m.first)) << "not in the file: " << m.first.toStdString();

  // Every interface text of the message table is asked for through the
  // translation and is in the file.
  std::set<std::string> asked;
  SetTranslateHook([&asked](const char* text) -> const char* {
    asked.insert(text);
    return nullptr;
  });
  for (int id = 400; id <= 662; ++id) MessageText(id);
  SetTranslateHook(nullptr);
  EXPECT_GT(asked.size(), 20u);
  for (const std::string& text : asked) EXPECT_TRUE(ts.count(QString::fromStdString(text))) << text;
}
