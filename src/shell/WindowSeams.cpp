// The main window's seams for work that outlasts one command: the status
// bar's single-text mode and progress, the tree's colour, the timer, the
// close held back and the steps at its start.
#include "shell/KestrelMain.h"

namespace kestrel {

void KestrelMain::SetSingleTextMode(bool on) {
  singleText_.on = on;
  if (!on) {
    singleText_.progressShown = false;
    singleText_.received = singleText_.total = 0;
  }
  if (view_) view_->SingleTextChanged();
}

void KestrelMain::SetSingleText(const std::string& text) {
  singleText_.text = text;
  if (view_) view_->SingleTextChanged();
}

void KestrelMain::SetProgress(std::int64_t received, std::int64_t total) {
  if (!singleText_.on) return;
  singleText_.progressShown = true;
  singleText_.received = received < 0 ? 0 : received;
  singleText_.total = total < singleText_.received ? singleText_.received : total;
  if (view_) view_->SingleTextChanged();
}

void KestrelMain::SetTreeBackground(std::optional<unsigned> rgb) {
  treeBackground_ = rgb;
  if (view_) view_->TreeBackgroundChanged();
}

void KestrelMain::SetCommandEnabled(const std::string& name, bool on) {
  router_.setEnabled(name, on);
  if (view_) view_->CommandsChanged();
}

void KestrelMain::RestartTimer(int ms) {
  timerInterval_ = ms < 1 ? 1 : ms;
  timerRunning_ = true;
  if (view_) view_->TimerChanged();
}

void KestrelMain::StopTimer() {
  timerRunning_ = false;
  if (view_) view_->TimerChanged();
}

void KestrelMain::LetPendingEventsRun() {
  if (view_) view_->ProcessPendingEvents();
}

void KestrelMain::Wait(int ms) {
  if (view_) view_->Wait(ms);
}

bool KestrelMain::FormCloseQuery() {
  if (closeRequested_) return true;
  for (const auto& query : closeQueries_) {
    if (!query()) return false;
  }
  return true;
}

void KestrelMain::FormClosing() {
  timerRunning_ = false;
  for (const auto& step : firstCloseSteps_) step();
}

}  // namespace kestrel
