#include "xferlink/qt/FrmKestlink.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "common/Dialogs.h"
#include "common/MessageBoxes.h"
#include "common/Translate.h"
#include "platform/Codepage.h"
#include "platform/Home.h"
#include "platform/Termination.h"
#include "platform/WholeFile.h"
#include "users/UserInfo.h"
#include "widgets/TextHighlight.h"
#include "widgets/qt/TextPane.h"
#include "common/qt/QtTranslate.h"

namespace kestrel {

namespace {

const char* const kPriorities[4] = {QT_TRANSLATE_NOOP("Kestrel", "最高"), QT_TRANSLATE_NOOP("Kestrel", "高"), QT_TRANSLATE_NOOP("Kestrel", "普通"), QT_TRANSLATE_NOOP("Kestrel", "低")};
const char* const kInfoStyleNormal = "background-color: #ffffe1; color: #800000; font-size: 13px;";
const char* const kInfoStyleBlink = "background-color: #800000; color: #ffffe1; font-size: 13px;";

// Queues every delivery into the console's event loop.
class QtHandOver : public HandOver {
 public:
  explicit QtHandOver(TDosCommand& runner) : runner_(runner) {}
  void Wake() override {
    QMetaObject::invokeMethod(&context_, [r = &runner_] { r->DeliverPending(); }, Qt::QueuedConnection);
  }

 private:
  TDosCommand& runner_;
  QObject context_;
};

HighlightRules ConsoleRules() {
  HighlightRules r;
  r.background = colors::kBlack;
  r.text.color = colors::kWhite;
  r.selectionText = colors::kWhite;
  r.selectionBack = colors::kNavy;
  r.addressStyle.color = colors::kBlue;
  r.wordStyle.color = colors::kYellow;
  for (const char* w : {"OK", QT_TRANSLATE_NOOP("Kestrel", "アップデート"), QT_TRANSLATE_NOOP("Kestrel", "バックアップ"), QT_TRANSLATE_NOOP("Kestrel", "リストア"), QT_TRANSLATE_NOOP("Kestrel", "一覧"), QT_TRANSLATE_NOOP("Kestrel", "中止"), QT_TRANSLATE_NOOP("Kestrel", "同期")}) {
    r.words.push_back(Utf8ToCp932(w));
  }
  r.spans = {{"Backing", "up", {colors::kLime}},
             {Utf8ToCp932("No change,"), "skipping", {colors::kGray}},
             {"..", ".", {colors::kGray}},
             {"pilot-", "xfer", {colors::kFuchsia}},
             {"Rest", "oring", {colors::kLime}}};
  return r;
}

std::string WithoutTrailingSeparator(std::string p) {
  while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
  return p;
}

std::string LogPath() { return ProgramFolder() + "Kestlink.log"; }

}  // namespace

TfrmKestlink::TfrmKestlink(UserInfo& user, QWidget* parent) : QDialog(parent), user_(user) {
  setObjectName("frmKestlink");
  setWindowTitle("Kestlink");
  setMinimumHeight(300);
  resize(542, 506);
  handOver_ = std::make_unique<QtHandOver>(runner_);
  runner_.setHandOver(handOver_.get());
  runner_.setPriority(dcpRealTime);

  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QToolBar(this);
  top->addWidget(bar);
  auto act = [this](const char* name, const char* caption) {
    auto* a = new QAction(Ui(caption), this);
    a->setObjectName(name);
    return a;
  };
  acTerminate = act("acTerminate", QT_TRANSLATE_NOOP("Kestrel", "中止(&T)"));
  acBackup = act("acBackup", QT_TRANSLATE_NOOP("Kestrel", "バックアップ(&B)"));
  acUpdate = act("acUpdate", QT_TRANSLATE_NOOP("Kestrel", "アップデート(&U)"));
  acSync = act("acSync", QT_TRANSLATE_NOOP("Kestrel", "同期(&S)"));
  acSync->setEnabled(false);
  acRestore = act("acRestore", QT_TRANSLATE_NOOP("Kestrel", "リストア(&R)"));
  acList = act("acList", QT_TRANSLATE_NOOP("Kestrel", "一覧(&L)"));
  acLogSave = act("acLogSave", QT_TRANSLATE_NOOP("Kestrel", "ログの保存(&S)"));
  acLogClear = act("acLogClear", QT_TRANSLATE_NOOP("Kestrel", "ログのクリア(&C)"));
  acExit = act("acExit", QT_TRANSLATE_NOOP("Kestrel", "終了(&X)"));
  acExit->setShortcut(QKeySequence(Qt::Key_Escape));
  addAction(acExit);
  miDefBackup = act("miDefBackup", QT_TRANSLATE_NOOP("Kestrel", "デフォルトをバックアップにする"));
  miDefUpdate = act("miDefUpdate", QT_TRANSLATE_NOOP("Kestrel", "デフォルトをアップデートにする"));
  miDefSync = act("miDefSync", QT_TRANSLATE_NOOP("Kestrel", "デフォルトを同期にする"));
  miDefSync->setEnabled(false);
  auto* defaults = new QActionGroup(this);
  for (QAction* a : {miDefBackup, miDefUpdate, miDefSync}) {
    a->setCheckable(true);
    defaults->addAction(a);
  }
  bar->addAction(acTerminate);
  tbBackup = new QToolButton(bar);
  tbBackup->setObjectName("tbBackup");
  tbBackup->setPopupMode(QToolButton::MenuButtonPopup);
  auto* backupMenu = new QMenu(tbBackup);
  backupMenu->addActions({acBackup, acUpdate, acSync});
  backupMenu->addSeparator();
  backupMenu->addActions({miDefBackup, miDefUpdate, miDefSync});
  tbBackup->setMenu(backupMenu);
  bar->addWidget(tbBackup);
  bar->addAction(acRestore);
  bar->addAction(acList);
  auto* logButton = new QToolButton(bar);
  logButton->setPopupMode(QToolButton::MenuButtonPopup);
  logButton->setDefaultAction(acLogSave);
  auto* logMenu = new QMenu(logButton);
  logMenu->addAction(Ui(QT_TRANSLATE_NOOP("Kestrel", "ログを保存(&S)")));  // bound to nothing
  logMenu->addAction(acLogClear);
  logMenu->addSeparator();
  logMenu->addAction(acExit);
  logButton->setMenu(logMenu);
  bar->addWidget(logButton);

  auto* infoRow = new QHBoxLayout;
  pnlInfo = new QLabel(this);
  pnlInfo->setObjectName("pnlInfo");
  NormalInfoColours();
  Panel3 = new QLabel(this);
  Panel3->setObjectName("Panel3");
  Panel3->setMinimumWidth(90);
  infoRow->addWidget(pnlInfo, 1);
  infoRow->addWidget(Panel3);
  top->addLayout(infoRow);

  details_ = new QWidget(this);
  auto* grid = new QVBoxLayout(details_);
  auto pathRow = [&](const char* label, QLineEdit*& edit, const char* name, const char* title) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Ui(label), details_));
    edit = new QLineEdit(details_);
    edit->setObjectName(name);
    row->addWidget(edit, 1);
    auto* more = new QPushButton("...", details_);
    more->setObjectName(QString(name) + "Button");
    QLineEdit* target = edit;
    connect(more, &QPushButton::clicked, this, [this, target, title] { ChooseInto(target, title); });
    row->addWidget(more);
    grid->addLayout(row);
  };
  pathRow(QT_TRANSLATE_NOOP("Kestrel", "フォルダ :"), edBackPath, "edBackPath", QT_TRANSLATE_NOOP("Kestrel", "バックアップフォルダを選択してください"));
  pathRow(QT_TRANSLATE_NOOP("Kestrel", "pilot-xferのパス :"), edPXPath, "edPXPath", QT_TRANSLATE_NOOP("Kestrel", "pilot-xferのパスを選択してください"));
  auto* portRow = new QHBoxLayout;
  portRow->addWidget(new QLabel(Ui(QT_TRANSLATE_NOOP("Kestrel", "ポート :")), details_));
  cmbbPort = new QComboBox(details_);
  cmbbPort->setObjectName("cmbbPort");
  for (const char* p : kXferPorts) cmbbPort->addItem(p);
  portRow->addWidget(cmbbPort);
  portRow->addWidget(new QLabel(Ui(QT_TRANSLATE_NOOP("Kestrel", "速度 :")), details_));
  cmbbRate = new QComboBox(details_);
  cmbbRate->setObjectName("cmbbRate");
  for (const char* r : kXferRates) cmbbRate->addItem(r);
  portRow->addWidget(cmbbRate);
  auto* box = new QGroupBox(Ui(QT_TRANSLATE_NOOP("Kestrel", "実行優先度")), details_);
  box->setObjectName("rgPriority");
  auto* boxRow = new QHBoxLayout(box);
  rgPriority = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    auto* b = new QRadioButton(QString::fromUtf8(kPriorities[i]), box);
    rgPriority->addButton(b, i);
    boxRow->addWidget(b);
  }
  portRow->addWidget(box, 1);
  grid->addLayout(portRow);
  top->addWidget(details_);
  btnDetail = new QPushButton(Ui(QT_TRANSLATE_NOOP("Kestrel", "詳細 >>")), this);
  btnDetail->setObjectName("btnDetail");
  connect(btnDetail, &QPushButton::clicked, this, [this] {
    bool open = !details_->isVisible();
    details_->setVisible(open);
    btnDetail->setText(Ui(open ? QT_TRANSLATE_NOOP("Kestrel", "<< 戻す") : QT_TRANSLATE_NOOP("Kestrel", "詳細 >>")));
  });
  top->addWidget(btnDetail, 0, Qt::AlignLeft);

  edCsl = new TextPane(this);
  edCsl->setObjectName("edCsl");
  edCsl->setPaneFont("ＭＳ ゴシック", 12, PaneCharset::ShiftJis);
  edCsl->setWrapColumns(80);
  edCsl->setRules(ConsoleRules());
  edCsl->setFollowEnd(true);
  top->addWidget(edCsl, 1);
  // 542 pixels hold the pane's 80 columns in the font it was made for; the
  // font found here may be wider, and nothing of a row may be cut off.
  setFixedWidth(std::max(542, edCsl->widthForColumns(80)));

  timer = new QTimer(this);
  timer->setInterval(1000);
  timer->setTimerType(Qt::PreciseTimer);
  connect(timer, &QTimer::timeout, this, [this] {
    if (runner_.IsOnExecution()) Tick(ElapsedSeconds(std::chrono::steady_clock::now() - start_));
  });

  connect(acBackup, &QAction::triggered, this, [this] { Run(XferCommand::Backup); });
  connect(acUpdate, &QAction::triggered, this, [this] { Run(XferCommand::Update); });
  connect(acSync, &QAction::triggered, this, [this] { Run(XferCommand::Sync); });
  connect(acRestore, &QAction::triggered, this, [this] { Run(XferCommand::Restore); });
  connect(acList, &QAction::triggered, this, [this] { Run(XferCommand::List); });
  connect(acTerminate, &QAction::triggered, this, [this] {
    if (!runner_.IsOnExecution()) return;
    runner_.Terminate();
    // What the child wrote before it ended is shown first, so the
    // cancellation is the log's last line.
    while (runner_.IsOnExecution()) runner_.WaitAndDeliver(10);
    pnlInfo->setText("");
    NormalInfoColours();
    text_.AddLine(Utf8ToCp932(QT_TRANSLATE_NOOP("Kestrel", "pilot-xferの実行を中止しました")));
    SyncPane();
  });
  connect(miDefBackup, &QAction::triggered, this, [this] { BindDefault(acBackup, miDefBackup); });
  connect(miDefUpdate, &QAction::triggered, this, [this] { BindDefault(acUpdate, miDefUpdate); });
  connect(miDefSync, &QAction::triggered, this, [this] { BindDefault(acSync, miDefSync); });
  connect(acLogSave, &QAction::triggered, this, [this] {
    std::ofstream(LogPath(), std::ios::binary | std::ios::trunc) << text_.Joined();
  });
  connect(acLogClear, &QAction::triggered, this, [this] {
    text_.lines().clear();
    SyncPane();
    std::ofstream(LogPath(), std::ios::binary | std::ios::trunc) << text_.Joined();
  });
  connect(acExit, &QAction::triggered, this, [this] { close(); });

  runner_.OnOutputChar = [this](TDosCommand&, char c) {
    blinking_ = false;
    text_.OnChar(c);
    SyncPane();
  };
  runner_.OnOutputLine = [this](TDosCommand&, const std::string& line) {
    blinking_ = false;
    if (text_.OnLine(line)) {
      pnlInfo->setText("");
      NormalInfoColours();
    }
    SyncPane();
  };
  runner_.OnTerminate = [this](TDosCommand&) { SetRunning(false); };
  SetRunning(false);
}

TfrmKestlink::~TfrmKestlink() {
  // The hand-over goes before the runner: the reader must not reach it.
  runner_.setHandOver(nullptr);
}

void TfrmKestlink::setBackupFolder(const std::string& folder) {
  edBackPath->setText(QString::fromStdString(folder));
}

void TfrmKestlink::NormalInfoColours() { pnlInfo->setStyleSheet(kInfoStyleNormal); }

void TfrmKestlink::BindDefault(QAction* action, QAction* radio) {
  tbBackup->setDefaultAction(action);
  // The bar sized the button before it had a caption; make room for it.
  tbBackup->setMinimumWidth(tbBackup->sizeHint().width());
  radio->setChecked(true);
}

void TfrmKestlink::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_) FormShow();
}

void TfrmKestlink::FormShow() {
  shown_ = true;
  details_->setVisible(false);
  btnDetail->setText(Ui(QT_TRANSLATE_NOOP("Kestrel", "詳細 >>")));
  runStarted_ = blinking_ = false;
  if (edBackPath->text().isEmpty()) edBackPath->setText(QString::fromStdString(user_.consoleBackupFolder()));
  edPXPath->setText(QString::fromStdString(user_.consoleProgram()));
  cmbbPort->setCurrentIndex(user_.consolePort() >= 0 && user_.consolePort() < 4 ? user_.consolePort() : -1);
  cmbbRate->setCurrentIndex(user_.consoleRate() >= 0 && user_.consoleRate() < 5 ? user_.consoleRate() : -1);
  if (QAbstractButton* b = rgPriority->button(user_.consolePriority())) b->setChecked(true);
  if (user_.consoleHeight() != 0) resize(width(), user_.consoleHeight());
  switch (user_.consoleBackupMode()) {
    case 1: BindDefault(acUpdate, miDefUpdate); break;
    case 2: BindDefault(acSync, miDefSync); break;
    default: BindDefault(acBackup, miDefBackup); break;
  }
  // A log that is no file or has grown past the bound of a whole-file read
  // starts an empty pane; the pane itself keeps its newest lines.
  if (std::optional<std::string> log = ReadWholeFile(LogPath())) {
    const std::string& all = *log;
    text_.lines().clear();
    std::size_t from = 0;
    while (from < all.size()) {
      std::size_t end = all.find('\n', from);
      std::string line = all.substr(from, end == std::string::npos ? std::string::npos : end - from);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      text_.AddLine(line);
      if (end == std::string::npos) break;
      from = end + 1;
    }
    SyncPane();
    edCsl->scrollToEnd();
  }
  Normalise();
  raise();
  activateWindow();
}

void TfrmKestlink::Normalise() {
  edBackPath->setText(QString::fromStdString(WithoutTrailingSeparator(edBackPath->text().toStdString())));
  edPXPath->setText(QString::fromStdString(WithoutTrailingSeparator(edPXPath->text().toStdString())));
}

void TfrmKestlink::SyncPane() {
  const auto& lines = text_.lines();
  if (lines.size() < paneLines_ || (lines.size() == paneLines_ && !lines.empty() &&
                                     lines.back().size() < paneLastSize_)) {
    std::string all;
    for (std::size_t i = 0; i < lines.size(); ++i) all += (i ? "\n" : "") + lines[i];
    edCsl->clear();
    if (!lines.empty()) edCsl->setText(all);
  } else {
    if (paneLines_ > 0 && paneLines_ <= lines.size() && lines[paneLines_ - 1].size() > paneLastSize_) {
      edCsl->appendToLastLine(std::string_view(lines[paneLines_ - 1]).substr(paneLastSize_));
    }
    for (std::size_t i = paneLines_; i < lines.size(); ++i) edCsl->appendLine(lines[i]);
  }
  paneLines_ = lines.size();
  paneLastSize_ = lines.empty() ? 0 : lines.back().size();
}

bool TfrmKestlink::Check(bool tool, bool folder) {
  std::string reasons;
  std::error_code ec;
  std::string px = XferFolder(edPXPath->text().toStdString());
  std::string bk = XferFolder(edBackPath->text().toStdString());
  if (tool && !std::filesystem::exists(px + "/pilot-xfer", ec)) reasons += Tr(QT_TRANSLATE_NOOP("Kestrel", "・pilot-xferが見つからない\n"));
  if (folder && !std::filesystem::is_directory(bk, ec)) {
    if (ConfirmBox(QT_TRANSLATE_NOOP("Kestrel", "フォルダが存在しません。\n作成しますか？")) == Button::Yes) {
      if (!bk.empty()) std::filesystem::create_directories(bk, ec);
      if (!std::filesystem::is_directory(bk, ec)) {
        ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "フォルダが作成できませんでした"));
        reasons += Tr(QT_TRANSLATE_NOOP("Kestrel", "・バックアップパスが作成できない\n"));
      }
    } else {
      reasons += Tr(QT_TRANSLATE_NOOP("Kestrel", "・バックアップパスが見つからない\n"));
    }
  }
  if (!reasons.empty()) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "pilot-xferが実行できませんでした\n\nエラー原因\n%s"), reasons.c_str());
    return false;
  }
  // What was checked is what starts.
  edPXPath->setText(QString::fromStdString(px));
  edBackPath->setText(QString::fromStdString(bk));
  return true;
}

void TfrmKestlink::Run(XferCommand cmd) {
  if (runner_.IsOnExecution()) return;
  if (!Check(true, cmd != XferCommand::List)) return;
  text_.Announce(Tr(XferAnnouncement(cmd)));
  SyncPane();
  Start(XferCommandLine(cmd, edPXPath->text().toStdString(), cmbbPort->currentText().toStdString(),
                        edBackPath->text().toStdString()));
}

void TfrmKestlink::Start(const std::string& commandLine) {
  setenv("PILOTRATE", cmbbRate->currentText().toStdString().c_str(), 1);
  std::string dir = edPXPath->text().toStdString();
  if (!runner_.Execute(commandLine, dir)) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "pilot-xferの実行に失敗しました。\n\n  %s\n  %s"), commandLine.c_str(), dir.c_str());
    return;
  }
  runStarted_ = true;
  start_ = std::chrono::steady_clock::now();
  blinking_ = true;
  Panel3->setText(QString::fromStdString(ElapsedText(0)));
  pnlInfo->setText(Ui(QT_TRANSLATE_NOOP("Kestrel", "  HotSyncボタンを押して下さい")));
  SetRunning(true);
  timer->start();
}

void TfrmKestlink::SetRunning(bool running) {
  acTerminate->setEnabled(running);
  for (QAction* a : {acBackup, acUpdate, acRestore, acList}) a->setEnabled(!running);
  if (!running) timer->stop();
}

void TfrmKestlink::Tick(long seconds) {
  if (blinking_) pnlInfo->setStyleSheet(seconds % 2 ? kInfoStyleBlink : kInfoStyleNormal);
  Panel3->setText(QString::fromStdString(ElapsedText(seconds)));
}

void TfrmKestlink::ChooseInto(QLineEdit* edit, const char* title) {
  FolderRequest request{title, edit->text().toStdString(), ""};
  if (auto folder = TheDialogs().chooseFolder(request)) {
    edit->setText(QString::fromStdString(WithoutTrailingSeparator(*folder)));
  }
}

void TfrmKestlink::reject() { close(); }

void TfrmKestlink::closeEvent(QCloseEvent* event) {
  if (runner_.IsOnExecution()) {
    // A program asked to end by a signal does not ask.
    if (!TerminationSignal() && ConfirmBox(QT_TRANSLATE_NOOP("Kestrel", "pilot-xferが実行中ですが、終了しますか？")) != Button::Yes) {
      event->ignore();
      return;
    }
    acTerminate->trigger();
  }
  // The runner never outlives the console: its end is delivered here.
  while (runner_.IsOnExecution()) runner_.WaitAndDeliver(10);
  StoreSettings();
  event->accept();
  QDialog::reject();
}

void TfrmKestlink::StoreSettings() {
  if (stored_) return;
  stored_ = true;
  if (runStarted_) user_.setConsoleBackupFolder(edBackPath->text().toStdString());
  user_.setConsoleProgram(edPXPath->text().toStdString());
  user_.setConsolePort(cmbbPort->currentIndex());
  user_.setConsoleRate(cmbbRate->currentIndex());
  user_.setConsolePriority(rgPriority->checkedId());
  user_.setConsoleHeight(height());
  user_.setConsoleBackupMode(miDefUpdate->isChecked() ? 1 : miDefSync->isChecked() ? 2 : 0);
  user_.SaveSettings();
}

}  // namespace kestrel
