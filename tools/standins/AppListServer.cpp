// Stand-in for the web server that publishes the AppList, for the tests and
// the demo. It serves one file at every path, on 127.0.0.1 only:
//   applist-server [--file PATH] [--port N] [--port-file PATH]
//                  [--mode ok|empty|404|500|slow|drop|silent|gzip|deflate|br|html|page|blank]
//                  [--delay-ms N]
// The file is read afresh for every request, so it may be rewritten while
// the server runs. Modes:
//   ok      200 and the file
//   empty   200 and no body
//   404/500 that status and a small HTML error page
//   slow    200, the file in 20 pieces with --delay-ms (250) between them
//   drop    200 announcing the whole file, half of it, then the connection
//           is closed
//   silent  the request is read and never answered
//   gzip, deflate, br   200 and the file with that Content-Encoding, asked
//           for or not (br is the file as it is, labelled so)
//   html    200, the file as Content-Type text/html
//   page    200, a captive portal's login page as Content-Type text/plain
//   blank   200 and a body of blanks and line ends only
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
#include <set>
#include <string>

#include "platform/ProgramOptions.h"

using namespace kestrel;

namespace {

const char* kUsage =
    "usage: applist-server [--file PATH] [--port N] [--port-file PATH]\n"
    "                      [--mode ok|empty|404|500|slow|drop|silent|gzip|deflate|br|html|page|blank]\n"
    "                      [--delay-ms N]\n"
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
  static const std::set<std::string> modes = {"ok",   "empty", "404",     "500", "slow", "drop", "silent",
                                               "gzip", "deflate", "br", "html", "page", "blank"};
  if (!modes.count(m)) {
    Complain("unknown mode \"" + m + "\"");
    return kExitUsage;
  }
  if (m != "empty" && m != "404" && m != "500" && m != "silent" && m != "page" && m != "blank" &&
      o.file.isEmpty()) {
    Complain("mode " + m + " needs --file");
    return kExitUsage;
  }
  return std::nullopt;
}

// The CRC-32 a gzip trailer carries.
quint32 Crc32(const QByteArray& bytes) {
  quint32 crc = 0xFFFFFFFFu;
  for (char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
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
    if (mode == "page") {
      responder.write("\r\n  <!DOCTYPE html><html><body><form>Log in to the network</form></body></html>\r\n",
                      "text/plain");
      return true;
    }
    if (mode == "blank") {
      responder.write(" \r\n\t\r\n\r\n   ", "text/plain");
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
    if (mode == "html") {
      responder.write(document, "text/html; charset=Shift_JIS");
      return true;
    }
    if (mode == "gzip" || mode == "deflate" || mode == "br") {
      QByteArray body = document;
      if (mode != "br") {
        // qCompress is a zlib stream behind a four-byte length: gzip wraps
        // the same deflate data in its own header and trailer.
        QByteArray zlib = qCompress(document, 9).mid(4);
        if (mode == "deflate") {
          body = zlib;
        } else {
          const QByteArray raw = zlib.mid(2, zlib.size() - 6);
          const quint32 crc = Crc32(document);
          const auto size = static_cast<quint32>(document.size());
          body = QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10) + raw;
          for (quint32 v : {crc, size}) {
            for (int i = 0; i < 4; ++i) body += static_cast<char>((v >> (8 * i)) & 0xFF);
          }
        }
      }
      responder.write(body, {{"Content-Type", "text/plain"}, {"Content-Encoding", QByteArray(mode.c_str())}});
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
