// The main window's side of the seams for work that outlasts one command:
// the status bar's single-text mode with its progress bar, the tree's
// background, the timer, waiting, and the close it sends itself.
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include "shell/qt/FormKestrel.h"

namespace kestrel {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A progress bar takes an int: large sizes are shown in thousandths.
constexpr std::int64_t kProgressScale = 1000;

}  // namespace

void TFormKestrel::MakeSingleTextMode() {
  singleText_ = new QLabel;
  singleText_->setObjectName("StatusBar1Text");
  singleText_->hide();
  statusBar()->addWidget(singleText_, 1);
  progress_ = new QProgressBar;
  progress_->setObjectName("StatusBar1Progress");
  progress_->setMaximumWidth(200);
  progress_->setTextVisible(true);
  progress_->hide();
  statusBar()->addPermanentWidget(progress_);
}

void TFormKestrel::SingleTextChanged() {
  const SingleTextState& state = logic_.singleText();
  for (QLabel* panel : panels_) panel->setVisible(!state.on);
  singleText_->setVisible(state.on);
  singleText_->setText(state.on ? Q(state.text) : QString());
  bool progress = state.on && state.progressShown;
  if (progress) {
    bool large = state.total > INT32_MAX;
    std::int64_t total = large ? kProgressScale : state.total;
    std::int64_t value = large ? state.received * kProgressScale / state.total : state.received;
    progress_->setRange(0, static_cast<int>(total > 0 ? total : 1));
    progress_->setValue(static_cast<int>(total > 0 ? value : 0));
  }
  progress_->setVisible(progress);
}

void TFormKestrel::TreeBackgroundChanged() {
  QPalette palette = tree_->palette();
  std::optional<unsigned> rgb = logic_.treeBackground();
  palette.setColor(QPalette::Base, rgb ? QColor::fromRgb(*rgb) : normalTreeBase_);
  tree_->setPalette(palette);
}

void TFormKestrel::TimerChanged() {
  if (closed_ || !logic_.timerRunning()) {
    timer_->stop();
  } else {
    timer_->start(logic_.timerInterval());
  }
}

void TFormKestrel::ProcessPendingEvents() { QCoreApplication::processEvents(); }

void TFormKestrel::Wait(int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }

void TFormKestrel::SendClose() {
  QTimer::singleShot(0, this, [this] { close(); });
}

}  // namespace kestrel
