// Stand-in for the web server that publishes the AppList, for the tests and
// the demo. It serves one file at every path, on 127.0.0.1 only:
//   applist-server [--file PATH] [--port N] [--port-file PATH]
//                  [--mode ok|empty|404|500|slow|drop|silent] [--delay-ms N]
// The file is read afresh for every request, so it may be rewritten while
// the server runs. Modes:
//   ok      200 and the file
//   empty   200 and no body
//   404/500 that status and a small HTML error page
//   slow    200, the file in 20 pieces with --delay-ms (250) between them
//   drop    200 announcing the whole file, half of it, then the connection
//           is closed
//   silent  the request is read and never answered
// --port 0 (the default) takes a free port; --port-file receives the port
// once the server listens. Nothing is printed but errors; SIGTERM ends it.
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QSaveFile>
#include <QTcpSocket>
#include <QTimer>
#include <QtHttpServer/QAbstractHttpServer>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/ProgramOptions.h"

using namespace kestrel;

namespace {

const char* kUsage =
    "usage: applist-server [--file PATH] [--port N] [--port-file PATH]\n"
    "                      [--mode ok|empty|404|500|slow|drop|silent] [--delay-ms N]\n"
    "Serves the file at every path on 127.0.0.1 (read afresh for each request).\n"
    "  ok      200 and the file (the default)\n"
    "  empty   200 and no body\n"
    "  404/500 that status with an error page\n"
    "  slow    the file in 20 pieces, --delay-ms (250) apart\n"
    "  drop    half the file, then the connection is closed\n"
    "  silent  never answers\n"
    "--port 0 (the default) picks a free port; --port-file receives it.\n";

const int kSlowPieces = 20;

struct Options {
  QString file;
  int port = 0;
  QString portFile;
  std::string mode = "ok";
  int delayMs = 250;
};

void Complain(const std::string& message) {
  std::fprintf(stderr, "applist-server: %s\n", message.c_str());
}

std::optional<int> Number(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

// The options, or the exit code when they are wrong (or --help/--version).
std::optional<int> ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (auto code = AnswerStandardOption(arg, "applist-server", kUsage)) return code;
    const bool known = arg == "--file" || arg == "--port" || arg == "--port-file" ||
                       arg == "--mode" || arg == "--delay-ms";
    if (!known) return RejectOption(arg, "applist-server", kUsage);
    if (i + 1 >= argc) {
      Complain(arg + " needs a value");
      return kExitUsage;
    }
    const std::string value = argv[++i];
    if (arg == "--file") {
      o.file = QString::fromStdString(value);
    } else if (arg == "--port-file") {
      o.portFile = QString::fromStdString(value);
    } else if (arg == "--mode") {
      o.mode = value;
    } else {
      auto n = arg == "--port" ? Number(value, 0, 65535) : Number(value, 0, 600000);
      if (!n) {
        Complain("bad number for " + arg + ": \"" + value + "\"");
        return kExitUsage;
      }
      (arg == "--port" ? o.port : o.delayMs) = *n;
    }
  }
  const std::string m = o.mode;
  if (m != "ok" && m != "empty" && m != "404" && m != "500" && m != "slow" && m != "drop" &&
      m != "silent") {
    Complain("unknown mode \"" + m + "\"");
    return kExitUsage;
  }
  if ((m == "ok" || m == "slow" || m == "drop") && o.file.isEmpty()) {
    Complain("mode " + m + " needs --file");
    return kExitUsage;
  }
  return std::nullopt;
}

QByteArray ErrorPage(int status, const char* reason) {
  return QByteArray("<html><head><title>") + QByteArray::number(status) + " " + reason +
         "</title></head><body><h1>" + reason + "</h1></body></html>\n";
}

class AppListServer : public QAbstractHttpServer {
 public:
  explicit AppListServer(Options options) : options_(std::move(options)) {}

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
    using Status = QHttpServerResponder::StatusCode;
    QHttpServerResponder responder = makeResponder(request, socket);
    const std::string& mode = options_.mode;
    if (mode == "silent") return true;
    if (mode == "empty") {
      responder.write(QByteArray(), "text/plain");
      return true;
    }
    if (mode == "404") {
      responder.write(ErrorPage(404, "Not Found"), "text/html", Status::NotFound);
      return true;
    }
    if (mode == "500") {
      responder.write(ErrorPage(500, "Internal Server Error"), "text/html", Status::InternalServerError);
      return true;
    }
    QFile file(options_.file);
    if (!file.open(QIODevice::ReadOnly)) {
      Complain("cannot read " + options_.file.toStdString() + ": " + file.errorString().toStdString());
      responder.write(ErrorPage(404, "Not Found"), "text/html", Status::NotFound);
      return true;
    }
    const QByteArray document = file.readAll();
    if (mode == "ok") {
      responder.write(document, "text/plain");
      return true;
    }
    // slow and drop: the status line and headers now, the body by hand.
    const qsizetype announced = mode == "drop" ? std::max<qsizetype>(document.size(), 1) : document.size();
    responder.writeStatusLine(Status::Ok);
    responder.writeHeader("Content-Type", "text/plain");
    responder.writeHeader("Content-Length", QByteArray::number(announced));
    responder.writeBody(QByteArray());
    QPointer<QTcpSocket> peer(socket);
    if (mode == "drop") {
      socket->write(document.left(document.size() / 2));
      socket->disconnectFromHost();
      return true;
    }
    const qsizetype piece = std::max<qsizetype>(1, (document.size() + kSlowPieces - 1) / kSlowPieces);
    auto* timer = new QTimer(socket);
    auto sent = std::make_shared<qsizetype>(0);
    QObject::connect(timer, &QTimer::timeout, socket, [peer, timer, document, piece, sent] {
      if (!peer) return;
      peer->write(document.mid(*sent, piece));
      *sent += piece;
      if (*sent >= document.size()) timer->deleteLater();
    });
    timer->start(options_.delayMs);
    return true;
  }

  void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

 private:
  Options options_;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (auto code = ParseOptions(argc, argv, options)) return *code;
  // A plain exit: nothing is pending that SIGTERM could lose.
  std::signal(SIGTERM, [](int) { _exit(0); });

  QCoreApplication app(argc, argv);
  AppListServer server(options);
  const quint16 port = server.listen(QHostAddress::LocalHost, static_cast<quint16>(options.port));
  if (port == 0) {
    Complain("cannot listen on 127.0.0.1:" + std::to_string(options.port));
    return 1;
  }
  if (!options.portFile.isEmpty()) {
    // Written beside and renamed, so a reader never sees half a number.
    QSaveFile out(options.portFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(QByteArray::number(port) + "\n") < 0 ||
        !out.commit()) {
      Complain("cannot write " + options.portFile.toStdString() + ": " + out.errorString().toStdString());
      return 1;
    }
  }
  return app.exec();
}
