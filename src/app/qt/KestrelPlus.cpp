#include "app/qt/KestrelPlus.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "app/KestrelMain.h"
#include "app/SingleInstance.h"
#include "app/qt/FormKestrel.h"
#include "common/MessageBoxes.h"
#include "common/qt/QtPrompter.h"

namespace kestrel {
namespace {

// An exception that reaches the event loop is shown, as the framework's
// own display would, and the program goes on.
class KestrelApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      ErrorBox("%s", e.what());
    }
    return false;
  }
};

// The running instance may have another current folder.
std::vector<std::string> AbsoluteArguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::error_code ec;
    if (!arg.empty()) {
      auto absolute = std::filesystem::absolute(arg, ec);
      if (!ec) arg = absolute.lexically_normal().string();
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace

int RunKestrelPlus(int argc, char** argv) {
  std::vector<std::string> args = AbsoluteArguments(argc, argv);
  std::unique_ptr<NamedMutex> mutex;
  try {
    mutex = ClaimInstance(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrel-plus: %s\n", e.what());
    if (!args.empty()) std::fprintf(stderr, "kestrel-plus: no file was queued\n");
    return 1;
  }
  if (!mutex) return 0;

  // Without a display the files are still queued (over ssh, say); the
  // questions go to stderr with their default answers.
  bool headless = NoDisplay();
  if (headless) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  KestrelApplication app(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  InstallJapaneseTranslation(app);
  QtPrompter prompter;
  if (!headless) SetPrompter(&prompter);
  try {
    TFormKestrel form;
    if (!form.FormCreate(args, !headless)) {
      if (headless) {
        std::fprintf(stderr, "%s\n", kNoDisplayNotice);
      } else {
        app.exec();
      }
    }
  } catch (const std::exception& e) {
    ErrorBox("%s", e.what());
    SetPrompter(nullptr);
    return 1;
  }
  SetPrompter(nullptr);
  return 0;
}

}  // namespace kestrel
