// The HTTP client against the stand-in AppList server and a real proxy.
#include "applist/net/QtHttpClient.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/LocalServers.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

// What the fetch would see: every event in order, and the counts at the end.
class Recorder : public HttpEvents {
 public:
  std::vector<std::string> events;
  std::function<void()> onPacket;
  std::int64_t receivedAtEnd = -1, totalAtEnd = -1;
  HttpClient* client = nullptr;

  void OnHostResolved() override { events.push_back("HostResolved"); }
  void OnConnect() override { events.push_back("Connect"); }
  void OnPacketRecvd() override {
    if (events.empty() || events.back() != "PacketRecvd") events.push_back("PacketRecvd");
    if (onPacket) onPacket();
  }
  void OnDisconnect() override { events.push_back("Disconnect"); }
  void OnConnectionFailed() override { events.push_back("ConnectionFailed"); }
  void OnSuccess(int kind) override {
    events.push_back("Success " + std::to_string(kind));
    receivedAtEnd = client->bytesReceived();
    totalAtEnd = client->bytesTotal();
  }
  void OnFailure(int kind, const std::string& status) override {
    events.push_back("Failure " + std::to_string(kind) + " " + status);
  }
  std::string last() const { return events.empty() ? "" : events.back(); }
  bool saw(const std::string& e) const {
    for (const auto& x : events)
      if (x == e) return true;
    return false;
  }
};

class QtHttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "applist_net_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    recorder.client = &client;
    client.setEvents(&recorder);
  }

  // A document like the real list: Shift_JIS bytes, CR LF line ends, and
  // long enough to arrive in more than one piece.
  std::string Document(const std::string& tag = "") {
    std::string text;
    for (int i = 0; i < 400; ++i)
      text += "App" + std::to_string(i) + tag + ".prc,\x83\x65\x83\x58\x83\x67,1.0," + std::to_string(i) + "\r\n";
    return text;
  }
  std::string Write(const std::string& bytes) {
    WriteFile(home / "served/AppList.txt", bytes);
    return home / "served/AppList.txt";
  }

  TempHome home;
  QtHttpClient client;
  Recorder recorder;
};

TEST_F(QtHttpClientTest, GoodDocumentArrivesWholeWithItsEventsAndCounts) {
  const std::string document = Document();
  const std::string file = Write(document);
  AppListServerProcess server("ok", file);

  client.Get(server.url());
  EXPECT_EQ(client.body(), document);
  ASSERT_GE(recorder.events.size(), 5u);
  EXPECT_EQ(recorder.events[0], "HostResolved");
  EXPECT_EQ(recorder.events[1], "Connect");
  EXPECT_EQ(recorder.events[2], "PacketRecvd");
  EXPECT_EQ(recorder.events[recorder.events.size() - 2], "Disconnect");
  EXPECT_EQ(recorder.last(), "Success 0");
  EXPECT_EQ(recorder.receivedAtEnd, static_cast<std::int64_t>(document.size()));
  EXPECT_EQ(recorder.totalAtEnd, static_cast<std::int64_t>(document.size()));
  EXPECT_FALSE(client.inProgress());

  // The window keeps one client for its whole life: a second fetch works
  // the same, and the server hands out the file as it is now.
  const std::string changed = Document("b");
  Write(changed);
  recorder.events.clear();
  client.Get(server.url());
  EXPECT_EQ(client.body(), changed);
  ASSERT_FALSE(recorder.events.empty());
  EXPECT_EQ(recorder.events[0], "HostResolved");
  EXPECT_TRUE(recorder.saw("Connect"));
  EXPECT_EQ(recorder.last(), "Success 0");
}

TEST_F(QtHttpClientTest, EnvironmentProxyIsNotUsedBehindTheUsersBack) {
  const std::string closed = "http://127.0.0.1:" + std::to_string(FreeLoopbackPort());
  setenv("http_proxy", closed.c_str(), 1);
  setenv("HTTP_PROXY", closed.c_str(), 1);
  const std::string document = Document();
  AppListServerProcess server("ok", Write(document));

  client.Get(server.url());
  unsetenv("http_proxy");
  unsetenv("HTTP_PROXY");
  EXPECT_EQ(recorder.last(), "Success 0");
  EXPECT_EQ(client.body(), document);
}

TEST_F(QtHttpClientTest, EmptyDocumentIsASuccessWithNothingInIt) {
  AppListServerProcess server("empty");
  client.Get(server.url());
  EXPECT_EQ(recorder.last(), "Success 0");
  EXPECT_EQ(client.body(), "");
  EXPECT_EQ(client.bytesTotal(), 0);
}

TEST_F(QtHttpClientTest, ErrorStatusIsAFailureAndItsPageIsNeverTheDocument) {
  AppListServerProcess good("ok", Write(Document()));
  client.Get(good.url());
  ASSERT_EQ(recorder.last(), "Success 0");

  for (const auto& [mode, status] : {std::pair<std::string, std::string>{"404", "404 Not Found"},
                                     {"500", "500 Internal Server Error"}}) {
    SCOPED_TRACE(mode);
    AppListServerProcess server(mode);
    recorder.events.clear();
    client.Get(server.url());
    EXPECT_EQ(recorder.last(), "Failure 0 " + status);
    EXPECT_FALSE(recorder.saw("PacketRecvd"));
    EXPECT_EQ(client.body(), "");
  }
}

TEST_F(QtHttpClientTest, DroppedConnectionIsAFailureWithNoDocument) {
  AppListServerProcess server("drop", Write(Document()));
  client.Get(server.url());
  EXPECT_FALSE(recorder.saw("Success 0"));
  EXPECT_EQ(recorder.last(), "Failure 0 ");
  EXPECT_EQ(client.body(), "");
}

TEST_F(QtHttpClientTest, SilentServerEndsAsAConnectionFailure) {
  AppListServerProcess server("silent");
  client.setSilenceLimitMs(1500);
  client.Get(server.url());
  EXPECT_EQ(recorder.last(), "ConnectionFailed");
  EXPECT_FALSE(client.inProgress());
  EXPECT_EQ(client.body(), "");
}

TEST_F(QtHttpClientTest, RefusedConnectionIsAConnectionFailure) {
  client.Get("http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/data/AppList.txt");
  EXPECT_EQ(recorder.events, std::vector<std::string>({"HostResolved", "ConnectionFailed"}));
}

TEST_F(QtHttpClientTest, DocumentOverTheSizeBoundIsRefused) {
  AppListServerProcess server("ok", Write(Document()));
  client.setBodyLimit(1000);
  client.Get(server.url());
  EXPECT_EQ(recorder.last(), "Failure 0 ");
  EXPECT_EQ(client.body(), "");

  // The bound is the client's, not a lasting harm: a larger one fetches.
  client.setBodyLimit(1 << 20);
  client.Get(server.url());
  EXPECT_EQ(recorder.last(), "Success 0");
}

TEST_F(QtHttpClientTest, UnannouncedDocumentIsRefusedAsSoonAsItOutgrowsTheBound) {
  // A server that names no length and never ends its answer: only the
  // bytes received can tell, and waiting for the end would wait forever.
  QTcpServer endless;
  ASSERT_TRUE(endless.listen(QHostAddress::LocalHost));
  QObject::connect(&endless, &QTcpServer::newConnection, [&endless] {
    QTcpSocket* peer = endless.nextPendingConnection();
    QObject::connect(peer, &QTcpSocket::readyRead, peer, [peer] {
      peer->readAll();
      peer->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n");
      peer->write(QByteArray(5000, 'x'));
    });
  });
  client.setBodyLimit(1000);
  client.Get("http://127.0.0.1:" + std::to_string(endless.serverPort()) + "/data/AppList.txt");
  EXPECT_EQ(recorder.last(), "Failure 0 ");
  EXPECT_EQ(client.body(), "");
}

TEST_F(QtHttpClientTest, AbortFromATimerEndsTheGetWithAnError) {
  AppListServerProcess server("slow", Write(Document()), 1000);
  bool busyWhileReceiving = false;
  std::string secondGet;
  recorder.onPacket = [&] {
    if (busyWhileReceiving) return;
    busyWhileReceiving = client.inProgress();
    try {
      client.Get(server.url());
    } catch (const HttpError& e) {
      secondGet = e.what();
    }
    // As the window's close request does: from a timer, not from the event.
    QTimer::singleShot(0, [this] { client.Abort(); });
  };

  EXPECT_THROW(client.Get(server.url()), HttpError);
  EXPECT_TRUE(busyWhileReceiving);
  EXPECT_EQ(secondGet, "A request is already in progress");
  EXPECT_FALSE(client.inProgress());
  EXPECT_EQ(client.body(), "");
  EXPECT_FALSE(recorder.saw("Success 0"));
  EXPECT_EQ(recorder.last(), "Disconnect");

  // The client is ready for the next fetch.
  recorder.onPacket = nullptr;
  AppListServerProcess quick("ok", Write("one line\r\n"));
  client.Get(quick.url());
  EXPECT_EQ(client.body(), "one line\r\n");
}

TEST_F(QtHttpClientTest, HandlerThatThrowsEndsTheGetWithItsException) {
  AppListServerProcess server("slow", Write(Document()), 1000);
  recorder.onPacket = [] { throw std::runtime_error("window gone"); };
  try {
    client.Get(server.url());
    ADD_FAILURE() << "Get returned";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "window gone");
  }
  EXPECT_FALSE(client.inProgress());
  EXPECT_EQ(client.body(), "");
}

TEST_F(QtHttpClientTest, BadAddressOrProxyIsRefusedBeforeAnyRequest) {
  AppListServerProcess server("ok", Write(Document()));
  for (const std::string url : {"", "ftp://127.0.0.1/AppList.txt", "AppList.txt", "http://",
                                "http://exa mple.com/AppList.txt", "file:///etc/passwd"}) {
    SCOPED_TRACE(url);
    EXPECT_THROW(client.Get(url), HttpError);
  }
  client.setProxy("127.0.0.1");
  for (int port : {0, -1, 65536}) {
    SCOPED_TRACE(port);
    client.setProxyPort(port);
    EXPECT_THROW(client.Get(server.url()), HttpError);
  }
  EXPECT_TRUE(recorder.events.empty());
  EXPECT_FALSE(client.inProgress());
}

TEST_F(QtHttpClientTest, ThroughAProxyTheDocumentArrivesAndTheProxySawIt) {
  if (!TinyproxyProcess::available()) GTEST_SKIP() << "tinyproxy is not installed";
  const std::string document = Document();
  AppListServerProcess server("ok", Write(document));
  TinyproxyProcess proxy;
  client.setProxy("127.0.0.1");
  client.setProxyPort(proxy.port());

  client.Get(server.url());
  EXPECT_EQ(recorder.last(), "Success 0");
  EXPECT_EQ(client.body(), document);
  EXPECT_NE(proxy.log().find("GET " + server.url()), std::string::npos) << proxy.log();

  // Without the proxy again, the next fetch goes straight to the server.
  client.setProxy("");
  client.setProxyPort(0);
  const std::size_t logged = proxy.log().size();
  client.Get(server.url());
  EXPECT_EQ(recorder.last(), "Success 0");
  EXPECT_EQ(proxy.log().find("GET " + server.url(), logged), std::string::npos);
}

TEST_F(QtHttpClientTest, ProxyOnAClosedPortIsAConnectionFailure) {
  AppListServerProcess server("ok", Write(Document()));
  client.setProxy("127.0.0.1");
  client.setProxyPort(FreeLoopbackPort());
  client.Get(server.url());
  EXPECT_EQ(recorder.last(), "ConnectionFailed");
  EXPECT_FALSE(recorder.saw("Connect"));
  EXPECT_EQ(client.body(), "");
}

}  // namespace
