// Fetching the AppList over HTTP, after dialling a dial-up entry when the
// user's settings ask for it, and hanging the line up afterwards. Display-
// free: it talks to the window through FetchView, asks through the
// Prompter, and works on the catalogue, the HTTP client and the dial-up it
// is given. The main window and kestrel-tool both drive one.
#pragma once

#include <cstdint>
#include <string>

#include "applist/HttpClient.h"
#include "common/Translate.h"
#include "platform/DialUp.h"

namespace kestrel {

class AppListCatalogue;

// The settings of the user whose fetch it is (the `fetchUser`).
struct FetchSettings {
  std::string appListUrl;
  std::string rasName;  // "" or "ダイアルしない": no dialling
  bool disconnect = false;
  bool askDisconnect = true;
  bool useProxy = false;
  std::string proxy;
  std::string proxyPort;  // a decimal number
};

inline constexpr const char* kNoDialling = "ダイアルしない";
// The tree's background while the dialled line is up.
inline constexpr unsigned kLineUpColour = 0x00FFFF;  // RGB 0, 255, 255

// What the fetch shows and changes of its window.
class FetchView {
 public:
  virtual ~FetchView() = default;
  // The status bar's one text across the bar; leaving restores the panels
  // (and hides the progress).
  virtual void SingleTextMode(bool on) = 0;
  virtual void SingleText(const std::string& text) = 0;
  // Bytes arrive: `received` of `total`.
  virtual void Progress(std::int64_t received, std::int64_t total) = 0;
  // The tree's background: aqua while the line is up, else the normal one.
  virtual void LineUp(bool up) = 0;
  virtual void EnableFetchCommand(bool on) = 0;
  virtual void StopTimer() = 0;
  // The window's timer restarted to fire after `intervalMs`.
  virtual void RestartTimer(int intervalMs) = 0;
  // The window's "closing requested" state.
  virtual bool closeRequested() const = 0;
  virtual void setCloseRequested(bool on) = 0;
  virtual void LetPendingEventsRun() = 0;
  virtual void Wait(int ms) = 0;
};

// Texts of the fetch that tests and kestrel-tool meet.
inline constexpr const char* kFetchUpdated = QT_TRANSLATE_NOOP("Kestrel", "AppListを更新しました");
inline constexpr const char* kFetchEmpty = QT_TRANSLATE_NOOP("Kestrel", "AppListの取得に失敗しました");
inline constexpr const char* kFetchAbortQuestion = QT_TRANSLATE_NOOP("Kestrel", "AppListの取得中です。処理を中断しますか？");

class AppListFetch : public HttpEvents {
 public:
  // Attaches itself to the events of `http` and `dialUp` (detached again
  // when destroyed).
  AppListFetch(AppListCatalogue& catalogue, HttpClient& http, DialUp& dialUp, FetchView& view);
  ~AppListFetch() override;
  AppListFetch(const AppListFetch&) = delete;
  AppListFetch& operator=(const AppListFetch&) = delete;

  // The command: dials when the settings ask for it, then fetches (at once,
  // or in the dial-up's connect event). Does nothing while a fetch runs.
  void ActGetAppListExecute(const FetchSettings& fetchUser);
  // Sets the proxy and issues the GET; blocks until it ended.
  void StartFetch();

  // The window wants to close: true when it may. During a transfer it asks
  // whether to abort; either way this close is refused, and after an abort
  // the window's timer closes it.
  bool FormCloseQuery();
  // The window closes: hangs up a dialled line as the fetch user wants.
  void FormClose();

  // The fetch user's settings as they are now (they may change between the
  // fetch and the close).
  void UpdateFetchUser(const FetchSettings& fetchUser);
  bool hasFetchUser() const { return hasFetchUser_; }

  // From the start of a fetch (the command disabled) to its end.
  bool busy() const { return busy_; }
  // The dial-up wants Poll calls: dialling, or a line is up.
  bool needsPolling() const;
  // Polls the dial-up (not again from inside an event it fires).
  void PollDialUp();

  enum class Outcome { None, Replaced, Failed };
  // How the last fetch ended.
  Outcome outcome() const { return outcome_; }

  // HttpEvents
  void OnConnect() override;
  void OnHostResolved() override;
  void OnPacketRecvd() override;
  void OnDisconnect() override;
  void OnConnectionFailed() override;
  void OnSuccess(int kind) override;
  void OnFailure(int kind, const std::string& status) override;

 private:
  // DialUpEvents (their names collide with the HTTP ones)
  class DialEvents : public DialUpEvents {
   public:
    explicit DialEvents(AppListFetch& fetch) : fetch_(fetch) {}
    void OnStateChange(int state) override { fetch_.RASChangeState(state); }
    void OnConnect() override { fetch_.RASConnect(); }
    void OnDisconnect() override { fetch_.RASDisconnect(); }
    void OnError(int code) override { fetch_.RASError(code); }

   private:
    AppListFetch& fetch_;
  };
  void RASChangeState(int state);
  void RASConnect();
  void RASDisconnect();
  void RASError(int code);

  void Status(const std::string& text);
  std::string EntrySuffix() const;
  void EnterSingleText();
  void LeaveSingleText();
  void Enable();
  void Disable();
  void Failed();
  void HandleException(const std::string& message, const char* failureText);
  void Succeeded();
  bool LineUp() const;

  AppListCatalogue& catalogue_;
  HttpClient& http_;
  DialUp& dialUp_;
  FetchView& view_;
  DialEvents dialEvents_{*this};
  FetchSettings fetchUser_;
  bool hasFetchUser_ = false;
  bool busy_ = false;
  bool singleText_ = false;
  bool dialling_ = false;
  bool polling_ = false;
  Outcome outcome_ = Outcome::None;
};

// A proxy port as the settings hold it: a decimal number 1-65535 (blanks
// around it allowed); -1 for anything else.
int ParseProxyPort(const std::string& text);

// The text OnFailure shows for a request kind.
const char* FailureKindText(int kind);

}  // namespace kestrel
