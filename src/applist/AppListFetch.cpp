#include "applist/AppListFetch.h"

#include <exception>

#include "applist/AppListCatalogue.h"
#include "common/MessageBoxes.h"
#include "common/Translate.h"

namespace kestrel {
namespace {

constexpr const char* kNotDialling = QT_TRANSLATE_NOOP("Kestrel", "AppListを取得します(ダイアルしない)");
constexpr const char* kAlreadyConnected = QT_TRANSLATE_NOOP("Kestrel", "AppListを取得します(接続済み)");
constexpr const char* kCannotConnect = QT_TRANSLATE_NOOP("Kestrel", "接続できません(%d)");
constexpr const char* kFailedBeforeFetch =
    QT_TRANSLATE_NOOP("Kestrel", "AppListの取得ができませんでした(1)\n接続の設定を確認してください\n\n　エラー１：%s");
constexpr const char* kFailedFetch =
    QT_TRANSLATE_NOOP("Kestrel", "AppListの取得ができませんでした(2)\n接続の設定を確認してください\n\n　エラー：%s");
constexpr const char* kCancelled = QT_TRANSLATE_NOOP("Kestrel", "AppListの取得をキャンセルしました\n\n　状態：%s");
constexpr const char* kHttpError = QT_TRANSLATE_NOOP("Kestrel", "HTTPのエラー\n\n　エラー：%s");
constexpr const char* kConnectionError = QT_TRANSLATE_NOOP("Kestrel", "接続エラー");
constexpr const char* kUpdatedAskHangUp = QT_TRANSLATE_NOOP("Kestrel", "AppListを更新しました\n\n切断しますか？");
constexpr const char* kLineUpAskHangUp = QT_TRANSLATE_NOOP("Kestrel", "回線が接続されています(%d)\n切断しますか？");
constexpr const char* kDialError = "%s(%d)";
constexpr const char* kHangingUp = QT_TRANSLATE_NOOP("Kestrel", "回線切断中");
constexpr int kHangUpWaitMs = 3000;
constexpr int kAbortCloseMs = 2000;

// A dial-up error as the dial-up service words it (its text, perhaps
// "：" and the service's detail) in the interface language.
std::string DialErrorText(const std::string& text) {
  auto at = text.find(kDialDetailSeparator);
  std::string head = TrFilled(text.substr(0, at), {kDialErrorNumbered});
  if (at == std::string::npos) return head;
  std::string separator = InterfaceLanguage() == Language::Japanese ? kDialDetailSeparator : ": ";
  return head + separator + Tr(text.substr(at + std::string(kDialDetailSeparator).size()));
}

std::string Trimmed(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::string BadPortMessage(const std::string& text) {
  return Tr(QT_TRANSLATE_NOOP("Kestrel", "プロキシのポート番号が正しくありません(1～65535)：\"")) + text + "\"";
}

}  // namespace

int ParseProxyPort(const std::string& text) {
  std::string t = Trimmed(text);
  if (t.empty() || t.size() > 5) return -1;
  int port = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return -1;
    port = port * 10 + (c - '0');
  }
  return port >= 1 && port <= 65535 ? port : -1;
}

const char* FailureKindText(int kind) {
  switch (kind) {
    case kHttpGet: return "HTTP GET Failed";
    case kHttpOptions: return "HTTP OPTIONS Failed";
    case kHttpHead: return "HTTP HEAD Failed";
    case kHttpPost: return "HTTP Post Failed";
    case kHttpPut: return "HTTP PUT Failed";
    case kHttpDelete: return "HTTP Delete Failed";
    case kHttpTrace: return "HTTP TRACE Failed";
    default: return QT_TRANSLATE_NOOP("Kestrel", "不明");
  }
}

AppListFetch::AppListFetch(AppListCatalogue& catalogue, HttpClient& http, DialUp& dialUp, FetchView& view)
    : catalogue_(catalogue), http_(http), dialUp_(dialUp), view_(view) {
  http_.setEvents(this);
  dialUp_.setEvents(&dialEvents_);
}

AppListFetch::~AppListFetch() {
  http_.setEvents(nullptr);
  dialUp_.setEvents(nullptr);
}

void AppListFetch::UpdateFetchUser(const FetchSettings& fetchUser) {
  if (hasFetchUser_) fetchUser_ = fetchUser;
}

// --- the command

void AppListFetch::ActGetAppListExecute(const FetchSettings& fetchUser) {
  if (busy_) return;  // the command is given once per fetch
  fetchUser_ = fetchUser;
  hasFetchUser_ = true;
  outcome_ = Outcome::None;
  try {
    dialUp_.setEntryName("");
    EnterSingleText();
    const std::string& ras = fetchUser_.rasName;
    if (ras == kNoDialling || ras.empty() || dialUp_.libraryMissing()) {
      Disable();
      Status(kNotDialling);
      StartFetch();
      return;
    }
    dialUp_.setEntryName(ras);
    int result = dialUp_.Connect();
    if (result == kDialAlreadyConnected) {
      Disable();
      Status(kAlreadyConnected);
      StartFetch();
    } else if (result == 0) {
      // The fetch starts in the connect event.
      Disable();
      dialling_ = true;
    } else {
      outcome_ = Outcome::Failed;
      ErrorBox(kCannotConnect, result);
      LeaveSingleText();
    }
  } catch (const std::exception& e) {
    HandleException(e.what(), kFailedBeforeFetch);
  }
}

void AppListFetch::StartFetch() {
  try {
    if (fetchUser_.useProxy) {
      // Refused before any request: a port that is no number never
      // reaches the client.
      int port = ParseProxyPort(fetchUser_.proxyPort);
      if (port < 0) throw HttpError(BadPortMessage(fetchUser_.proxyPort));
      http_.setProxy(fetchUser_.proxy);
      http_.setProxyPort(port);
    } else {
      http_.setProxy("");
      http_.setProxyPort(0);
    }
    http_.Get(fetchUser_.appListUrl);
  } catch (const std::exception& e) {
    HandleException(e.what(), kFailedFetch);
  }
  LeaveSingleText();
}

void AppListFetch::HandleException(const std::string& message, const char* failureText) {
  outcome_ = Outcome::Failed;
  bool closing = view_.closeRequested();
  view_.setCloseRequested(false);
  view_.StopTimer();
  ErrorBox(closing ? kCancelled : failureText, message.c_str());
  LeaveSingleText();
  Enable();
  view_.RestartTimer(1);
  view_.setCloseRequested(closing);
}

// --- the window's close

bool AppListFetch::FormCloseQuery() {
  if (view_.closeRequested() || !http_.inProgress()) return true;
  if (ConfirmBox("%s", Tr(kFetchAbortQuestion)) != Button::No) {
    http_.Abort();
    view_.RestartTimer(kAbortCloseMs);
    view_.setCloseRequested(true);
  }
  return false;
}

void AppListFetch::FormClose() {
  if (!hasFetchUser_ || dialUp_.libraryMissing() || !LineUp() || !fetchUser_.disconnect) return;
  if (fetchUser_.askDisconnect && ConfirmBox(kLineUpAskHangUp, dialUp_.connectionState()) != Button::Yes) {
    return;
  }
  dialUp_.DisConnect();
}

// --- HTTP events

void AppListFetch::OnConnect() { Status(QT_TRANSLATE_NOOP("Kestrel", "HTTP 接続")); }

void AppListFetch::OnHostResolved() { Status("Host Resolved"); }

void AppListFetch::OnPacketRecvd() {
  Status(Tr(QT_TRANSLATE_NOOP("Kestrel", "受信：")) + std::to_string(http_.bytesReceived()) + "/" + std::to_string(http_.bytesTotal()) +
         EntrySuffix());
  view_.Progress(http_.bytesReceived(), http_.bytesTotal());
}

void AppListFetch::OnDisconnect() {
  if (singleText_) Status(QT_TRANSLATE_NOOP("Kestrel", "HTTP 切断"));
}

void AppListFetch::OnConnectionFailed() {
  outcome_ = Outcome::Failed;
  ErrorBox(kHttpError, Tr(kConnectionError));
  Failed();
}

void AppListFetch::OnFailure(int kind, const std::string& status) {
  outcome_ = Outcome::Failed;
  // The server's own answer tells more than the kind of request.
  ErrorBox(kHttpError, status.empty() ? FailureKindText(kind) : status.c_str());
  Failed();
}

void AppListFetch::OnSuccess(int kind) {
  if (kind == kHttpGet) Succeeded();
}

void AppListFetch::Failed() {
  Enable();
  LeaveSingleText();
}

void AppListFetch::Succeeded() {
  Enable();
  std::string total = std::to_string(http_.bytesTotal());
  Status(Tr(QT_TRANSLATE_NOOP("Kestrel", "受信：")) + total + "/" + total + EntrySuffix());
  const std::string& body = http_.body();
  // The first byte that is no blank, line end or byte order mark.
  std::size_t first = body.find_first_not_of(" \t\r\n\f\v");
  while (first != std::string::npos && body.compare(first, 3, "\xEF\xBB\xBF") == 0) {
    first = body.find_first_not_of(" \t\r\n\f\v", first + 3);
  }
  if (first == std::string::npos) {
    // Nothing that could be called an update: no hang-up question either.
    outcome_ = Outcome::Failed;
    ErrorBox("%s", Tr(kFetchEmpty));
    return;
  }
  if (body[first] == '<') {
    // A web page (a captive portal's, an error page) is no list.
    OnFailure(kHttpGet, "HTML");
    return;
  }
  catalogue_.ReplaceAppList(body);
  outcome_ = Outcome::Replaced;
  if (LineUp() && fetchUser_.disconnect) {
    if (fetchUser_.askDisconnect) {
      if (ConfirmBox("%s", Tr(kUpdatedAskHangUp)) != Button::No) dialUp_.DisConnect();
    } else {
      dialUp_.DisConnect();
    }
    return;
  }
  InfoBox("%s", Tr(kFetchUpdated));
}

// --- dial-up events

void AppListFetch::RASChangeState(int /*state*/) {
  std::string status = dialUp_.CurrentStatus();
  if (!status.empty()) Status(Tr(status) + EntrySuffix());
}

void AppListFetch::RASConnect() {
  dialling_ = false;
  view_.LineUp(true);
  StartFetch();
}

void AppListFetch::RASDisconnect() {
  dialling_ = false;
  view_.LineUp(false);
  Status(kHangingUp);
  view_.LetPendingEventsRun();
  view_.Wait(kHangUpWaitMs);
  LeaveSingleText();
}

void AppListFetch::RASError(int code) {
  // Dialling failed after it had started: the fetch ends here, with the
  // command back and the status bar as it was.
  dialling_ = false;
  outcome_ = Outcome::Failed;
  view_.LineUp(false);
  ErrorBox(kDialError, DialErrorText(dialUp_.GetErrorString(code)).c_str(), code);
  Enable();
  LeaveSingleText();
}

// --- helpers

bool AppListFetch::LineUp() const {
  int state = dialUp_.connectionState();
  return dialUp_.hasConnection() && state != kDialStateNone && state != kDialStateDisconnected;
}

bool AppListFetch::needsPolling() const { return dialling_ || dialUp_.hasConnection(); }

void AppListFetch::PollDialUp() {
  if (polling_ || !needsPolling()) return;
  polling_ = true;
  try {
    dialUp_.Poll();
  } catch (...) {
    polling_ = false;
    throw;
  }
  polling_ = false;
}

std::string AppListFetch::EntrySuffix() const {
  const std::string& entry = dialUp_.entryName();
  return entry.empty() ? "" : "(" + entry + ")";
}

void AppListFetch::Status(const std::string& text) { view_.SingleText(Tr(text)); }

void AppListFetch::EnterSingleText() {
  singleText_ = true;
  view_.SingleTextMode(true);
}

void AppListFetch::LeaveSingleText() {
  if (!singleText_) return;
  singleText_ = false;
  view_.SingleTextMode(false);
}

void AppListFetch::Enable() {
  busy_ = false;
  view_.EnableFetchCommand(true);
}

void AppListFetch::Disable() {
  busy_ = true;
  view_.EnableFetchCommand(false);
}

}  // namespace kestrel
