// The stand-in AppList server as the tests and the demo use it: wrong
// options are refused with a reason, and a file that went away is a 404,
// not a dead server.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>

#include "applist/net/QtHttpClient.h"
#include "support/LocalServers.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class StatusRecorder : public HttpEvents {
 public:
  std::string outcome;
  void OnSuccess(int) override { outcome = "success"; }
  void OnFailure(int, const std::string& status) override { outcome = status; }
  void OnConnectionFailed() override { outcome = "connection failed"; }
};

TEST(AppListServer, WrongOptionsAreRefusedWithTheReason) {
  TempHome home;
  const std::string server = ShellQuote(BuiltProgram("applist-server"));
  const struct {
    std::string args, message;
  } cases[] = {
      {"--mode fast", "applist-server: unknown mode \"fast\"\n"},
      {"--mode ok", "applist-server: mode ok needs --file\n"},
      {"--mode slow", "applist-server: mode slow needs --file\n"},
      {"--port 70000 --mode empty", "applist-server: bad number for --port: \"70000\"\n"},
      {"--mode empty --delay-ms soon", "applist-server: bad number for --delay-ms: \"soon\"\n"},
      {"--mode empty --port-file", "applist-server: --port-file needs a value\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    std::string out, err;
    EXPECT_EQ(RunCommand(server + " " + c.args, &out, &err), 2);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, c.message);
  }
  std::string out, err;
  EXPECT_EQ(RunCommand(server + " --mode empty --verbose", &out, &err), 2);
  EXPECT_TRUE(err.starts_with("applist-server: unknown option --verbose\nusage: applist-server ")) << err;
  EXPECT_EQ(RunCommand(server + " --help", &out, &err), 0);
  EXPECT_TRUE(out.starts_with("usage: applist-server ")) << out;
}

TEST(AppListServer, MissingFileIsANotFoundAndTheServerGoesOn) {
  static int argc = 1;
  static char name[] = "applist_net_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  TempHome home;
  QtHttpClient client;
  StatusRecorder recorder;
  client.setEvents(&recorder);
  AppListServerProcess server("ok", home / "AppList.txt");

  client.Get(server.url());
  EXPECT_EQ(recorder.outcome, "404 Not Found");
  EXPECT_NE(server.output().find("applist-server: cannot read " + (home / "AppList.txt")), std::string::npos)
      << server.output();

  // The demo writes the file while the server runs.
  WriteFile(home / "AppList.txt", "Memo.prc,メモ,1.0\r\n");
  client.Get(server.url());
  EXPECT_EQ(recorder.outcome, "success");
  EXPECT_EQ(client.body(), "Memo.prc,メモ,1.0\r\n");
}

}  // namespace
