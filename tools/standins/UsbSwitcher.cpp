// Stand-in for the Sony "SonyPDA USB Switcher": a window titled "PEGMon"
// that ends on WM_COMMAND with first parameter 105. It has nothing to show,
// so it is a bus window without a screen.
#include <cstdio>
#include <filesystem>

#include "platform/Desktop.h"
#include "platform/Home.h"
#include "platform/ProgramOptions.h"

using namespace kestrel;

namespace {

const char* kUsage =
    "usage: usb-switcher [--help | --version]\n"
    "Stands in for the Sony USB switcher: a window titled \"PEGMon\" that ends on\n"
    "WM_COMMAND 105.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    if (auto code = AnswerStandardOption(argv[1], "usb-switcher", kUsage)) return *code;
    if (IsOption(argv[1])) return RejectOption(argv[1], "usb-switcher", kUsage);
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  Desktop& desktop = TheDesktop();
  if (auto running = desktop.findWindowByTitle("PEGMon")) {
    desktop.bringToFront(*running);
    return 0;
  }
  auto window = desktop.createWindow("PEGMon", "PEGMon");
  std::string run = HomeFolder() + "/run";
  for (;;) {
    auto m = window->wait(1000);
    if (!m) {
      // A home that disappears (a finished test) takes its stand-ins along.
      if (!std::filesystem::exists(run)) break;
      continue;
    }
    if (m->msg == kWmCommand && m->wparam == 105) break;
  }
  return 0;
}
