#include "common/qt/QtTranslate.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTranslator>
#include <string>
#include <unordered_map>

#include "common/qt/QtPrompter.h"
#include "platform/Home.h"

namespace kestrel {
namespace {

// A text in the interface language; null when it has no translation.
bool Translated(const QString& text, QString* out) {
  if (text.isEmpty()) return false;
  QByteArray utf8 = text.toUtf8();
  const char* t = Tr(utf8.constData());
  if (t == utf8.constData() || utf8 == t) return false;
  *out = QString::fromUtf8(t);
  return true;
}

template <class Get, class Set>
void Retext(Get get, Set set) {
  QString t;
  if (Translated(get(), &t)) set(t);
}

// Translates each window once it is shown, and again when it is shown
// anew (a dialog reused, a menu popped up again) with texts set meanwhile.
class ShowTranslator : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      auto* w = qobject_cast<QWidget*>(watched);
      if (w && w->isWindow()) TranslateWidgets(w);
    }
    return false;
  }
};

}  // namespace

void TranslateWidgets(QWidget* root) {
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    if (w->isWindow()) Retext([w] { return w->windowTitle(); }, [w](const QString& t) { w->setWindowTitle(t); });
    Retext([w] { return w->toolTip(); }, [w](const QString& t) { w->setToolTip(t); });
    if (auto* l = qobject_cast<QLabel*>(w)) {
      Retext([l] { return l->text(); }, [l](const QString& t) { l->setText(t); });
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      Retext([b] { return b->text(); }, [b](const QString& t) { b->setText(t); });
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
      Retext([g] { return g->title(); }, [g](const QString& t) { g->setTitle(t); });
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      for (int i = 0; i < tabs->count(); ++i) {
        Retext([=] { return tabs->tabText(i); }, [=](const QString& t) { tabs->setTabText(i, t); });
      }
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
      // Only what is shown changes: the choices are told apart by index.
      for (int i = 0; i < c->count(); ++i) {
        Retext([=] { return c->itemText(i); }, [=](const QString& t) { c->setItemText(i, t); });
      }
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
      Retext([e] { return e->placeholderText(); }, [e](const QString& t) { e->setPlaceholderText(t); });
    } else if (auto* m = qobject_cast<QMenu*>(w)) {
      Retext([m] { return m->title(); }, [m](const QString& t) { m->setTitle(t); });
    }
    for (QAction* a : w->actions()) {
      Retext([a] { return a->text(); }, [a](const QString& t) { a->setText(t); });
      Retext([a] { return a->toolTip(); }, [a](const QString& t) { a->setToolTip(t); });
    }
  }
}

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
  SetInterfaceLanguage(Language::English);
  app.installEventFilter(new ShowTranslator(&app));
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
