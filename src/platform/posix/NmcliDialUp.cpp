#include "platform/posix/NmcliDialUp.h"

#include <mutex>

#include "platform/TranslateMark.h"

namespace kestrel {
namespace {

constexpr const char* kNmcli = "nmcli";
// English messages whatever the user's language, but UTF-8 output: under
// plain "C" nmcli prints every character beyond ASCII as '?', and a
// Japanese profile name could then be neither shown nor dialled. An empty
// LANGUAGE keeps gettext from translating under C.UTF-8.
const std::vector<std::string> kEnvironment{"LC_ALL=C.UTF-8", "LANGUAGE="};
// nmcli answers a query at once; one that hangs must not hold the window.
constexpr int kQueryTimeoutMs = 10000;
// `connection down` waits up to 10 s for NetworkManager by itself.
constexpr int kDownTimeoutMs = 15000;
// How often the state is looked at while dialling and while the line is up.
constexpr auto kDiallingLook = std::chrono::milliseconds(150);
constexpr auto kConnectedLook = std::chrono::milliseconds(1000);

// nmcli's exit statuses.
constexpr int kNmcliTimeout = 3;
constexpr int kNmcliActivationFailed = 4;
constexpr int kNmcliNotRunning = 8;
constexpr int kNmcliNotFound = 10;

const char* kDisconnected = QT_TRANSLATE_NOOP("Kestrel", "切断されました");

struct DeviceState {
  const char* nmcli;
  int state;
  const char* status;
};

constexpr DeviceState kDeviceStates[] = {
    {"connecting (prepare)", kDialStateOpenPort, QT_TRANSLATE_NOOP("Kestrel", "ポートを開いています")},
    {"connecting (configuring)", kDialStateConnectDevice, QT_TRANSLATE_NOOP("Kestrel", "デバイスに接続しています")},
    {"connecting (need authentication)", kDialStateAuthenticate, QT_TRANSLATE_NOOP("Kestrel", "認証しています")},
    {"connecting (getting IP configuration)", kDialStateAuthProject, QT_TRANSLATE_NOOP("Kestrel", "ネットワークの設定をしています")},
    {"connecting (checking IP connectivity)", kDialStateAuthenticated, QT_TRANSLATE_NOOP("Kestrel", "接続を確認しています")},
    {"connecting (starting secondary connections)", kDialStateAuthenticated,
     QT_TRANSLATE_NOOP("Kestrel", "関連する接続を開始しています")},
};

std::string FirstLine(const std::string& text) {
  std::size_t start = text.find_first_not_of("\r\n \t");
  if (start == std::string::npos) return "";
  std::size_t end = text.find_first_of("\r\n", start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

NmcliDialUp::NmcliDialUp() = default;

NmcliDialUp::~NmcliDialUp() {
  // The line itself stays as it is: whether to hang up is the owner's
  // question, asked before it goes.
  if (up_) up_->Kill();
}

std::vector<std::string> NmcliDialUp::SplitTerse(const std::string& line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\\' && i + 1 < line.size()) {
      fields.back() += line[++i];
    } else if (c == ':') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

bool NmcliDialUp::libraryMissing() const { return FindOnPath(kNmcli).empty(); }

NmcliDialUp::Answer NmcliDialUp::Ask(const std::vector<std::string>& args, int timeoutMs) {
  Answer answer;
  std::string program = FindOnPath(kNmcli);
  if (program.empty()) return answer;
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildProcess child;
  if (!child.Start(argv, kEnvironment)) {
    answer.err = child.error();
    return answer;
  }
  if (!child.Wait(timeoutMs)) {
    child.Kill();
    answer.err = "nmcli did not answer in time";
    return answer;
  }
  answer.ran = true;
  answer.exitCode = child.exitCode();
  answer.out = child.output();
  answer.err = child.errorOutput();
  return answer;
}

std::vector<std::vector<std::string>> NmcliDialUp::Rows(const Answer& answer) {
  std::vector<std::vector<std::string>> rows;
  std::size_t start = 0;
  while (start < answer.out.size()) {
    std::size_t end = answer.out.find('\n', start);
    if (end == std::string::npos) end = answer.out.size();
    std::string line = answer.out.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) rows.push_back(SplitTerse(line));
    start = end + 1;
  }
  return rows;
}

std::string NmcliDialUp::DetailOf(const Answer& answer) {
  std::string line = FirstLine(answer.err);
  if (line.empty()) line = FirstLine(answer.out);
  if (line.rfind("Error: ", 0) == 0) line.erase(0, 7);
  return line;
}

int NmcliDialUp::CodeFor(const Answer& answer) {
  if (!answer.ran) return kDialErrorNoService;
  switch (answer.exitCode) {
    case kNmcliNotFound: return kDialErrorUnknownEntry;
    case kNmcliTimeout: return kDialErrorTimeout;
    case kNmcliNotRunning: return kDialErrorNoService;
    default: return kDialErrorFailed;
  }
}

int NmcliDialUp::Fail(int code, std::string detail) {
  errorDetail_ = std::move(detail);
  return lastError_ = code;
}

std::string NmcliDialUp::GetErrorString(int code) {
  std::string text = DialUp::GetErrorString(code);
  if (code == lastError_ && !errorDetail_.empty()) text += kDialDetailSeparator + errorDetail_;
  return text;
}

std::vector<std::string> NmcliDialUp::phoneBookEntries() {
  Answer answer = Ask({"-t", "-e", "yes", "-f", "NAME", "connection", "show"}, kQueryTimeoutMs);
  std::vector<std::string> names;
  if (!answer.ran || answer.exitCode != 0) return names;
  for (auto& row : Rows(answer)) {
    if (!row[0].empty()) names.push_back(row[0]);
  }
  return names;
}

int NmcliDialUp::Connect() {
  if (FindOnPath(kNmcli).empty()) return Fail(kDialErrorNoService, QT_TRANSLATE_NOOP("Kestrel", "nmcli が見つかりません"));
  if (entryName_.empty()) return Fail(kDialErrorUnknownEntry, "");
  Answer list = Ask({"-t", "-e", "yes", "-f", "NAME,STATE", "connection", "show"}, kQueryTimeoutMs);
  if (!list.ran || list.exitCode != 0) {
    return Fail(list.ran && list.exitCode != kNmcliNotRunning ? kDialErrorFailed : kDialErrorNoService,
                DetailOf(list));
  }
  bool known = false;
  for (auto& row : Rows(list)) {
    if (row[0] != entryName_) continue;
    known = true;
    if (row.size() > 1 && row[1] == "activated") {
      errorDetail_.clear();
      return lastError_ = kDialAlreadyConnected;
    }
  }
  if (!known) return Fail(kDialErrorUnknownEntry, entryName_);

  HangUp();
  auto up = std::make_unique<ChildProcess>();
  if (!up->Start({FindOnPath(kNmcli), "connection", "up", "id", entryName_}, kEnvironment)) {
    return Fail(kDialErrorNoService, up->error());
  }
  up_ = std::move(up);
  ++generation_;
  phase_ = Phase::Dialling;
  held_ = entryName_;
  state_ = kDialStateNone;
  deviceState_.clear();
  status_.clear();
  errorDetail_.clear();
  nextLook_ = std::chrono::steady_clock::now();
  return lastError_ = 0;
}

void NmcliDialUp::HangUp() {
  if (phase_ == Phase::Idle) return;
  ++generation_;
  // NetworkManager goes on activating when nmcli is stopped, so the profile
  // is taken down as well.
  if (up_) up_->Kill();
  up_.reset();
  Ask({"connection", "down", "id", held_}, kDownTimeoutMs);
  phase_ = Phase::Idle;
  held_.clear();
  state_ = kDialStateDisconnected;
  status_ = kDisconnected;
}

void NmcliDialUp::DisConnect() {
  if (phase_ == Phase::Idle) return;
  HangUp();
  if (events_) events_->OnDisconnect();
}

bool NmcliDialUp::Report(int state, const std::string& status) {
  state_ = state;
  status_ = status;
  unsigned before = generation_;
  if (events_) events_->OnStateChange(state);
  return before == generation_;
}

void NmcliDialUp::Poll() {
  if (phase_ == Phase::Dialling) PollDialling();
  else if (phase_ == Phase::Connected) PollConnected();
}

void NmcliDialUp::PollDialling() {
  if (up_->Poll()) {
    std::unique_ptr<ChildProcess> up = std::move(up_);
    if (up->exitCode() == 0) {
      phase_ = Phase::Connected;
      nextLook_ = std::chrono::steady_clock::now() + kConnectedLook;
      if (Report(kDialStateConnected, QT_TRANSLATE_NOOP("Kestrel", "接続しました")) && events_) events_->OnConnect();
      return;
    }
    Answer answer{true, up->exitCode(), up->output(), up->errorOutput()};
    int code = up->exitCode() == kNmcliActivationFailed ? kDialErrorFailed : CodeFor(answer);
    ++generation_;
    phase_ = Phase::Idle;
    held_.clear();
    state_ = kDialStateDisconnected;
    status_ = kDisconnected;
    Fail(code, DetailOf(answer));
    if (events_) events_->OnError(code);
    return;
  }
  auto now = std::chrono::steady_clock::now();
  if (now < nextLook_) return;
  nextLook_ = now + kDiallingLook;
  Answer answer = Ask({"-t", "-e", "yes", "-f", "DEVICE,STATE,CONNECTION", "device", "status"},
                      kQueryTimeoutMs);
  if (!answer.ran || answer.exitCode != 0) return;
  for (auto& row : Rows(answer)) {
    if (row.size() < 3 || row[2] != held_ || row[1] == deviceState_) continue;
    for (const DeviceState& d : kDeviceStates) {
      if (row[1] != d.nmcli) continue;
      deviceState_ = row[1];
      Report(d.state, d.status);
      return;
    }
  }
}

void NmcliDialUp::PollConnected() {
  auto now = std::chrono::steady_clock::now();
  if (now < nextLook_) return;
  nextLook_ = now + kConnectedLook;
  Answer answer = Ask({"-t", "-e", "yes", "-f", "NAME,STATE", "connection", "show", "--active"},
                      kQueryTimeoutMs);
  // Not knowing is no reason to call the line down.
  if (!answer.ran || answer.exitCode != 0) return;
  for (auto& row : Rows(answer)) {
    if (row[0] == held_ && row.size() > 1 && (row[1] == "activated" || row[1] == "activating")) return;
  }
  ++generation_;
  phase_ = Phase::Idle;
  held_.clear();
  state_ = kDialStateDisconnected;
  status_ = kDisconnected;
  if (events_) events_->OnDisconnect();
}

// The platform's dial-up.
namespace {
std::mutex gMutex;
std::unique_ptr<DialUp> gDialUp;
}  // namespace

DialUp& TheDialUp() {
  std::lock_guard lock(gMutex);
  if (!gDialUp) gDialUp = std::make_unique<NmcliDialUp>();
  return *gDialUp;
}

void SetDialUp(std::unique_ptr<DialUp> dialUp) {
  std::lock_guard lock(gMutex);
  gDialUp = std::move(dialUp);
}

}  // namespace kestrel
