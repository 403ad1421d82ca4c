// Servers on loopback ports for the end-to-end tests: the stand-in AppList
// server, a real HTTP proxy (tinyproxy) and the HotSync service. Each one runs while
// its object lives and is stopped by the destructor; one that does not come
// up throws std::runtime_error with what it said.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kestrel::test {

// A background program with its output in a folder of its own.
class ServerProcess {
 public:
  ServerProcess();
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // The program's folder (removed with the object).
  const std::string& folder() const { return folder_; }
  // What the program wrote on standard output and error.
  std::string output() const;
  // True once the program ended by itself within `ms`; its exit code then
  // (-1 when a signal ended it).
  bool Ended(int ms);
  int exitCode() const { return exitCode_; }

 protected:
  void Start(const std::vector<std::string>& argv);
  // False once the program ended.
  bool Running();
  void Stop();
  [[noreturn]] void Fail(const std::string& what);

 private:
  std::string folder_;
  pid_t pid_ = -1;
  int exitCode_ = -1;
};

// applist-server in one of its modes (ok, empty, 404, 500, slow, drop,
// silent, gzip, deflate, br, html, page, blank) serving `file`; `delayMs` paces the slow mode (-1: its default).
class AppListServerProcess : public ServerProcess {
 public:
  explicit AppListServerProcess(const std::string& mode = "ok", const std::string& file = "",
                                int delayMs = -1);
  int port() const { return port_; }
  // "http://127.0.0.1:PORT/data/AppList.txt"
  std::string url() const;

 private:
  int port_ = 0;
};

// tinyproxy on a free loopback port, for clients on 127.0.0.1, logging
// every request into its folder. Tests skip when it is not installed.
class TinyproxyProcess : public ServerProcess {
 public:
  static bool available();
  TinyproxyProcess();
  int port() const { return port_; }
  // tinyproxy's log so far (a forwarded request shows as "GET http://…").
  std::string log() const;

 private:
  int port_ = 0;
};

// kestrel-hotsync serving network HotSync on a free loopback port for the
// current home; with `once` it ends after one HotSync. `env` is put before
// the program (e.g. "KESTREL_HOTSYNC_SILENCE_MS=500").
class HotSyncServiceProcess : public ServerProcess {
 public:
  explicit HotSyncServiceProcess(bool once = true, const std::string& env = "");
  int port() const { return port_; }
  // "127.0.0.1:PORT", for the fake handheld's --net.
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int port_ = 0;
};

// A loopback port nobody listens on (just now).
int FreeLoopbackPort();

}  // namespace kestrel::test
