// The Kestlink console: runs pilot-xfer for one HotSync user and shows its
// output live in a text pane.
#pragma once

#include <QDialog>
#include <chrono>
#include <memory>
#include <string>

#include "xferlink/DosCommand.h"
#include "xferlink/KestlinkText.h"

class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;
class QWidget;

namespace kestrel {

class TextPane;
class UserInfo;

class TfrmKestlink : public QDialog {
 public:
  TfrmKestlink(UserInfo& user, QWidget* parent = nullptr);
  ~TfrmKestlink() override;

  // Before showing: the backup folder of the selected node.
  void setBackupFolder(const std::string& folder);
  // What showing does (also called from showEvent once).
  void FormShow();

  // Controls, named as the form names them.
  QLabel* pnlInfo;
  QLabel* Panel3;
  QLineEdit* edBackPath;
  QLineEdit* edPXPath;
  QComboBox* cmbbPort;
  QComboBox* cmbbRate;
  QButtonGroup* rgPriority;
  QPushButton* btnDetail;
  TextPane* edCsl;
  QAction* acTerminate;
  QAction* acBackup;
  QAction* acUpdate;
  QAction* acSync;
  QAction* acRestore;
  QAction* acList;
  QAction* acLogSave;
  QAction* acLogClear;
  QAction* acExit;
  QAction* miDefBackup;
  QAction* miDefUpdate;
  QAction* miDefSync;
  QToolButton* tbBackup;
  QTimer* timer;

  TDosCommand& runner() { return runner_; }
  const KestlinkText& text() const { return text_; }
  // One tick of the timer at `seconds` since the start (the timer passes the real time).
  void Tick(long seconds);
  bool blinking() const { return blinking_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  bool Check(bool tool, bool folder);
  void Run(XferCommand cmd);
  void Start(const std::string& commandLine);
  void SyncPane();
  void SetRunning(bool running);
  void Normalise();
  void StoreSettings();
  void BindDefault(QAction* action, QAction* radio);
  void NormalInfoColours();
  void ChooseInto(QLineEdit* edit, const char* title);

  UserInfo& user_;
  TDosCommand runner_;
  std::unique_ptr<HandOver> handOver_;
  KestlinkText text_;
  std::size_t paneLines_ = 0;
  std::size_t paneLastSize_ = 0;
  bool runStarted_ = false;
  bool blinking_ = false;
  bool shown_ = false;
  bool stored_ = false;
  std::chrono::steady_clock::time_point start_{};
  QWidget* details_ = nullptr;
};

}  // namespace kestrel
