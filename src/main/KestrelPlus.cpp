#include "main/KestrelPlus.h"

#include <QApplication>
#include <QClipboard>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "applist/qt/AppListCommands.h"
#include "common/MessageBoxes.h"
#include "common/Prompter.h"
#include "common/qt/QtDialogs.h"
#include "common/qt/QtPrompter.h"
#include "common/qt/QtTranslate.h"
#include "dialogs/qt/DialogsCommands.h"
#include "handlers/QueueThroughHandler.h"
#include "platform/DialUp.h"
#include "platform/Home.h"
#include "platform/Registry.h"
#include "platform/Termination.h"
#include "shell/KestrelMain.h"
#include "shell/SingleInstance.h"
#include "shell/qt/CommandModule.h"
#include "shell/qt/EndOnSignal.h"
#include "shell/qt/FormKestrel.h"
#include "shell/qt/Icons.h"
#include "shell/qt/InterfaceFont.h"
#include "users/PalmDesktop.h"
#include "users/UserInfo.h"
#include "viewer/qt/ViewerCommands.h"
#include "xferlink/qt/XferCommands.h"

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

// "Language" under the program's key; "" (the locale's) when the store
// cannot be read, so a broken store still shows its error in a language.
std::string LanguageSetting() {
  try {
    auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kKestrelKey, false);
    return key ? key->readString(kLanguageValue, "") : "";
  } catch (const std::exception&) {
    return "";
  }
}

// Whether the process may end without the framework's and the libraries'
// teardown once the window has closed: by then everything of ours is saved
// and ended, and the teardown only frees what the system frees at once (the
// font database, caches, plugins; about a twentieth of a start and close).
// Not when the clipboard is ours: the teardown hands it to the clipboard
// manager, so that what was copied outlives the program. Not in sanitizer
// builds, whose leak check runs at the end of the program.
bool TeardownChangesNothing() {
#if defined(__SANITIZE_ADDRESS__)
  return false;
#else
  QClipboard* clipboard = QGuiApplication::clipboard();
  return !clipboard->ownsClipboard() && !clipboard->ownsSelection();
#endif
}

// Until the interface font is in place, a box first puts it there: the
// boxes of the reading done before the window, while the fonts are read.
class FontFirstPrompter : public Prompter {
 public:
  FontFirstPrompter(Prompter& boxes, std::function<void()> fontReady)
      : boxes_(boxes), fontReady_(std::move(fontReady)) {}
  Button show(BoxKind kind, const std::string& caption, const std::string& text) override {
    fontReady_();
    return boxes_.show(kind, caption, text);
  }

 private:
  Prompter& boxes_;
  std::function<void()> fontReady_;
};

}  // namespace

// Every subsystem that adds commands, in the order they are registered.
// The commands of the units still to come stay registered without a
// handler (shown, never enabled).
constexpr CommandModule kSubsystems[] = {
    RegisterViewerCommands,   // src/viewer/qt: ActEye
    RegisterAppListCommands,  // src/applist/qt: the AppList nodes, ActGetAppList
    RegisterDialogsCommands,  // src/dialogs/qt: ActConfig, ActNewUser, ActChangeUser, ActAbout
    RegisterXferCommands,     // src/xferlink/qt: actPilotXfer
};

void WireSubsystems(TFormKestrel& form) {
  for (CommandModule wire : kSubsystems) wire(form.logic(), form);
}

int RunKestrelPlus(int argc, char** argv) {
  std::vector<std::string> args = AbsoluteArguments(argc, argv);
  std::unique_ptr<NamedMutex> mutex;
  std::size_t forwarded = 0;
  try {
    mutex = ClaimInstance(args, &forwarded);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrel-plus: %s\n", e.what());
    if (!args.empty()) std::fprintf(stderr, "kestrel-plus: no file was queued\n");
    return 1;
  }
  if (!mutex) return 0;
  FontConfigurationReader fonts;
  // A running instance that ended meanwhile took only the first ones.
  args.erase(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(forwarded));
  RemoveLeftoversOfEndedRunsEverywhere();
  // From here a termination signal closes the program as a close does; one
  // during the start closes the window as soon as it is up.
  CatchTerminationSignals();

  // Without a display the files are still queued (over ssh, say); the
  // questions go to stderr with their default answers.
  bool headless = NoDisplay();
  if (headless) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  KestrelApplication app(argc, argv);
  // The last user's folders, shown at once, are read on another core while
  // the interface and the window are made: after the tidying above, and
  // after the application has set the locale the reading's name matching
  // uses.
  std::unique_ptr<FolderScanner> readAhead = KestrelMain::ReadLastUsersFoldersAhead();
  QApplication::setApplicationName(kApplicationTitle);
  QApplication::setStyle(NewApplicationStyle());
  InstallInterfaceLanguage(app, ChooseLanguage(LanguageSetting(), [](const char* n) { return std::getenv(n); }));
  bool fontReady = false;
  auto readyFont = [&] {
    if (fontReady) return;
    fontReady = true;
    fonts.Wait();
    UseJapaneseInterfaceFont(app);
  };
  QtPrompter prompter;
  QtDialogs dialogs;
  FontFirstPrompter beforeTheFont(prompter, readyFont);
  bool failed = false;
  try {
    // The window's first reading, done while the fonts are read rather than
    // waiting for them.
    if (!headless) SetPrompter(&beforeTheFont);
    std::optional<KestrelMain::StartReading> reading = KestrelMain::ReadBeforeTheWindow();
    readyFont();
    if (!headless) {
      SetPrompter(&prompter);
      SetDialogs(&dialogs);
    }
    TFormKestrel form;
    dialogs.setOwner(&form);
    WireSubsystems(form);
    form.logic().ReadAhead(std::move(readAhead));
    if (reading) form.logic().ReadBefore(std::move(*reading));
    if (!form.FormCreate(args, !headless)) {
      if (headless) {
        std::fprintf(stderr, "%s\n", kNoDisplayNotice);
        form.TakeForwardedFiles();
      } else {
        EndOnTerminationSignal(form);
        app.exec();
      }
    }
  } catch (const std::exception& e) {
    // The store or the window bus cannot be used.
    ErrorBox("%s", e.what());
    failed = true;
  }
  SetDialogs(nullptr);
  SetPrompter(nullptr);
  // Ended by a signal: the shells' 128 + its number, after the close.
  // Else non-zero when a file given (or forwarded) was not queued.
  int sig = TerminationSignal();
  int code = sig ? 128 + sig : (failed || QueueThroughHandlerCounts().failed > 0 ? 1 : 0);
  if (TeardownChangesNothing()) {
    // As the end of the program would: the dial-up's child ended, the
    // store closed (its log emptied), then the instance let go.
    SetDialUp(nullptr);
    SetRegistry(nullptr);
    mutex.reset();
    std::fflush(nullptr);
    std::_Exit(code);
  }
  return code;
}

}  // namespace kestrel
