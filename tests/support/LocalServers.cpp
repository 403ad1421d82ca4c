#include "support/LocalServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "support/TempHome.h"

extern char** environ;

namespace kestrel::test {

namespace {

// Generous: the machine running the tests may be busy.
constexpr int kStartMs = 30000;
constexpr int kStopMs = 5000;

bool Accepts(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

}  // namespace

int FreeLoopbackPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("no socket for a free port");
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    close(fd);
    throw std::runtime_error("cannot find a free loopback port");
  }
  close(fd);
  return ntohs(a.sin_port);
}

ServerProcess::ServerProcess() {
  std::string base = std::filesystem::temp_directory_path().string() + "/kestrel-server-XXXXXX";
  if (!mkdtemp(base.data())) throw std::runtime_error("cannot make a folder for a server");
  folder_ = base;
}

ServerProcess::~ServerProcess() {
  Stop();
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

std::string ServerProcess::output() const { return ReadFile(folder_ + "/output.txt"); }

void ServerProcess::Start(const std::vector<std::string>& args) {
  std::vector<std::string> words = args;
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string out = folder_ + "/output.txt";
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start " + args[0]);
  }
}

bool ServerProcess::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == 0) return true;
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  pid_ = -1;
  return false;
}

bool ServerProcess::Ended(int ms) {
  return WaitFor([this] { return !Running(); }, ms);
}

void ServerProcess::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  if (!WaitFor([this] { return !Running(); }, kStopMs)) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

void ServerProcess::Fail(const std::string& what) {
  Stop();
  throw std::runtime_error(what + ": " + output());
}

AppListServerProcess::AppListServerProcess(const std::string& mode, const std::string& file,
                                           int delayMs) {
  const std::string portFile = folder() + "/port";
  std::vector<std::string> args{BuiltProgram("applist-server"), "--mode", mode, "--port-file",
                                portFile};
  if (!file.empty()) args.insert(args.end(), {"--file", file});
  if (delayMs >= 0) args.insert(args.end(), {"--delay-ms", std::to_string(delayMs)});
  Start(args);
  bool up = WaitFor([&] { return FileExists(portFile) || !Running(); }, kStartMs);
  if (!up || !FileExists(portFile)) Fail("applist-server did not start");
  port_ = std::atoi(ReadFile(portFile).c_str());
  if (port_ <= 0) Fail("applist-server wrote no port");
}

std::string AppListServerProcess::url() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/data/AppList.txt";
}

HotSyncServiceProcess::HotSyncServiceProcess(bool once, const std::string& env) {
  const std::string portFile = folder() + "/port";
  std::vector<std::string> args{BuiltProgram("kestrel-hotsync"), "--net", "127.0.0.1:0",
                                "--port-file", portFile};
  if (once) args.push_back("--once");
  if (!env.empty()) args.insert(args.begin(), {"/usr/bin/env", env});
  Start(args);
  bool up = WaitFor([&] { return !ReadFile(portFile).empty() || !Running(); }, kStartMs);
  if (!up || ReadFile(portFile).empty()) Fail("kestrel-hotsync did not start");
  port_ = std::atoi(ReadFile(portFile).c_str());
  if (port_ <= 0) Fail("kestrel-hotsync wrote no port");
}

bool TinyproxyProcess::available() { return access("/usr/bin/tinyproxy", X_OK) == 0; }

TinyproxyProcess::TinyproxyProcess() {
  if (!available()) throw std::runtime_error("tinyproxy is not installed");
  // The port is free when chosen but may be taken before tinyproxy binds
  // it; then another is tried.
  for (int attempt = 0; attempt < 3; ++attempt) {
    port_ = FreeLoopbackPort();
    const std::string conf = folder() + "/tinyproxy.conf";
    // No User/Group: it runs as whoever runs the tests. No ConnectPort and
    // no Filter lines, so requests to any port of 127.0.0.1 go through.
    WriteFile(conf, "Port " + std::to_string(port_) +
                        "\n"
                        "Listen 127.0.0.1\n"
                        "Allow 127.0.0.1\n"
                        "Timeout 60\n"
                        "MaxClients 20\n"
                        "LogLevel Info\n"
                        "LogFile \"" + folder() + "/tinyproxy.log\"\n"
                        "PidFile \"" + folder() + "/tinyproxy.pid\"\n");
    Start({"/usr/bin/tinyproxy", "-d", "-c", conf});
    if (WaitFor([this] { return Accepts(port_) || !Running(); }, kStartMs) && Running()) return;
    Stop();
  }
  Fail("tinyproxy did not start");
}

std::string TinyproxyProcess::log() const { return ReadFile(folder() + "/tinyproxy.log"); }

}  // namespace kestrel::test
