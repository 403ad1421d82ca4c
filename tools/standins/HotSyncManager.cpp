// Stand-in for Palm's HotSync Manager: a window titled "HotSync Manager"
// showing the port from "DirectComPort", quitting on message 0xBEC5 with
// first parameter 1. Its "HotSync" button performs a simulated HotSync;
// `hotsync-manager --sync-once` performs one without a window and ends.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "SimulatedHotSync.h"
#include "platform/Desktop.h"
#include "platform/Home.h"
#include "platform/ProgramOptions.h"
#include "platform/Registry.h"
#include "platform/qt/QtBusWindow.h"
#include "users/PalmDesktop.h"

using namespace kestrel;

namespace {

const char* kUsage =
    "usage: hotsync-manager [--sync-once | --help | --version]\n"
    "Stands in for Palm's HotSync Manager: a window titled \"HotSync Manager\" whose\n"
    "button performs a simulated HotSync; --sync-once performs one without a window.\n";

int SyncOnce() {
  HotSyncReport report = RunSimulatedHotSync();
  std::fprintf(report.ok ? stdout : stderr, "%s\n", DescribeHotSync(report).c_str());
  return report.ok ? 0 : 1;
}

std::string StoredPort() {
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSyncKey, false);
  return key ? key->readString("DirectComPort", "") : "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--sync-once") == 0) {
    try {
      return SyncOnce();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "hotsync-manager: %s\n", e.what());
      return 1;
    }
  }
  if (argc > 1) {
    if (auto code = AnswerStandardOption(argv[1], "hotsync-manager", kUsage)) return *code;
    if (IsOption(argv[1])) return RejectOption(argv[1], "hotsync-manager", kUsage);
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  // One HotSync Manager per home: a second start brings the first forward.
  if (auto running = FindHotSyncManager()) {
    TheDesktop().bringToFront(*running);
    return 0;
  }

  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(kHotSyncTitle);
  auto* layout = new QVBoxLayout(&window);
  std::string port = StoredPort();
  auto* portLabel = new QLabel(QString::fromStdString("Port: " + (port.empty() ? "(none)" : port)));
  auto* button = new QPushButton("HotSync");
  auto* status = new QLabel("Ready");
  layout->addWidget(portLabel);
  layout->addWidget(button);
  layout->addWidget(status);
  QObject::connect(button, &QPushButton::clicked, [status] {
    status->setText(QString::fromStdString(DescribeHotSync(RunSimulatedHotSync())));
  });

  QtBusWindow bus("HotSyncManager", kHotSyncTitle, &window, [](const BusMessage& m) {
    if (m.msg == kHotSyncQuitMessage && m.wparam == 1) QApplication::quit();
  });

  // A home that disappears (a finished test) takes its stand-ins along.
  std::string run = HomeFolder() + "/run";
  QTimer homeWatch;
  QObject::connect(&homeWatch, &QTimer::timeout, [run] {
    if (!std::filesystem::exists(run)) QApplication::quit();
  });
  homeWatch.start(1000);

  window.show();
  return app.exec();
}
