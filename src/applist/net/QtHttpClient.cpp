#include "applist/net/QtHttpClient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <zlib.h>

#include <exception>
#include <optional>
#include <utility>

namespace kestrel {

namespace {

// Errors that mean no connection to the server (or its proxy) could be
// made; everything else failed after the request was on its way.
bool IsConnectionError(QNetworkReply::NetworkError e) {
  switch (e) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::UnknownProxyError:
      return true;
    default:
      return false;
  }
}

bool IsSuccessStatus(int status) { return status >= 200 && status <= 299; }

// A gzip or zlib stream (windowBits 15 + 32 tells them apart), or raw
// deflate as some servers send for "deflate". nullopt when the bytes are
// neither or the document would outgrow `limit` (0: no bound).
std::optional<std::string> Inflate(const std::string& packed, bool raw, std::int64_t limit) {
  z_stream z{};
  if (inflateInit2(&z, raw ? -15 : 15 + 32) != Z_OK) return std::nullopt;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = static_cast<uInt>(packed.size());
  std::string out;
  char buffer[1 << 16];
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    rc = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
    if (limit > 0 && static_cast<std::int64_t>(out.size()) > limit) rc = Z_MEM_ERROR;
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break;  // cut short
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END) return std::nullopt;
  return out;
}

// The document as the server meant it, decoded from the Content-Encoding
// it gave (we asked for none, but a server may send one anyway); nullopt
// for an encoding we cannot undo or bytes that are not in it.
std::optional<std::string> Decoded(const std::string& body, const QByteArray& encoding, std::int64_t limit) {
  const QByteArray e = encoding.trimmed().toLower();
  if (e.isEmpty() || e == "identity") return body;
  if (e == "gzip" || e == "x-gzip") return Inflate(body, false, limit);
  if (e == "deflate") {
    if (auto zlib = Inflate(body, false, limit)) return zlib;
    return Inflate(body, true, limit);
  }
  return std::nullopt;
}

}  // namespace

// What one Get goes through; the manager is kept between requests so that
// a keep-alive connection can serve the next one.
struct QtHttpClient::Transfer {
  enum class End { Running, Finished, Aborted, Silent, TooLarge, HandlerThrew };

  std::unique_ptr<QNetworkAccessManager> manager;
  QNetworkReply* reply = nullptr;
  QEventLoop* loop = nullptr;
  QTimer* silence = nullptr;

  std::string body;
  std::int64_t received = 0;
  std::int64_t announced = -1;
  bool hostResolved = false;
  bool connected = false;

  End end = End::Running;
  QNetworkReply::NetworkError error = QNetworkReply::NoError;
  QString errorText;
  int status = 0;
  QString reason;
  QByteArray contentType;
  QByteArray contentEncoding;
  std::exception_ptr handlerError;

  // Ends the transfer for `why` unless it already ended.
  void Stop(End why) {
    if (end != End::Running || !reply) return;
    end = why;
    reply->abort();  // emits finished at once
  }
};

QtHttpClient::QtHttpClient() : t_(std::make_unique<Transfer>()) {}

QtHttpClient::~QtHttpClient() {
  if (t_->reply) {
    t_->reply->disconnect();
    t_->reply->abort();
    delete t_->reply;
  }
}

bool QtHttpClient::inProgress() const { return t_->reply != nullptr && t_->end == Transfer::End::Running; }
const std::string& QtHttpClient::body() const { return t_->body; }
std::int64_t QtHttpClient::bytesReceived() const { return t_->received; }
std::int64_t QtHttpClient::bytesTotal() const { return t_->announced >= 0 ? t_->announced : t_->received; }

void QtHttpClient::Abort() { t_->Stop(Transfer::End::Aborted); }

void QtHttpClient::Get(const std::string& url) {
  Transfer& t = *t_;
  if (t.reply) throw HttpError("A request is already in progress");
  if (!QCoreApplication::instance()) throw HttpError("No application object to run the request in");

  const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
  const QString scheme = address.scheme().toLower();
  if (url.empty() || !address.isValid() || (scheme != "http" && scheme != "https") ||
      address.host().isEmpty()) {
    throw HttpError("Not an http or https address: \"" + url + "\"");
  }
  // Only the proxy asked for: the environment's http_proxy is not ours to use.
  QNetworkProxy proxyToUse(QNetworkProxy::NoProxy);
  if (!proxy().empty()) {
    if (proxyPort() < 1 || proxyPort() > 65535)
      throw HttpError("Bad proxy port: " + std::to_string(proxyPort()));
    proxyToUse = QNetworkProxy(QNetworkProxy::HttpProxy, QString::fromStdString(proxy()),
                               static_cast<quint16>(proxyPort()));
  }

  t.body.clear();
  t.received = 0;
  t.announced = -1;
  t.hostResolved = t.connected = false;
  t.end = Transfer::End::Running;
  t.error = QNetworkReply::NoError;
  t.errorText.clear();
  t.status = 0;
  t.reason.clear();
  t.contentType.clear();
  t.contentEncoding.clear();
  t.handlerError = nullptr;

  if (!t.manager) t.manager = std::make_unique<QNetworkAccessManager>();
  t.manager->setProxy(proxyToUse);

  QNetworkRequest request(address);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setMaximumRedirectsAllowed(10);
  // Uncompressed, so that the byte counts shown and the size bound are
  // those of the document itself.
  request.setRawHeader("Accept-Encoding", "identity");
  // The point of fetching is the current list, not a proxy's old copy.
  request.setRawHeader("Cache-Control", "no-cache");
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Kestrel+"));

  QEventLoop loop;
  QTimer silence;
  silence.setSingleShot(true);
  t.loop = &loop;
  t.silence = &silence;
  t.reply = t.manager->get(request);
  QNetworkReply* reply = t.reply;

  const auto alive = [&t] {
    if (t.silence && t.silence->isActive()) t.silence->start();
  };
  // Runs an event handler inside the loop: an exception must not cross Qt's
  // event dispatch, so it ends the transfer and is rethrown by Get.
  const auto fire = [this, &t](void (HttpEvents::*event)()) {
    if (!events_ || t.end != Transfer::End::Running) return;
    try {
      (events_->*event)();
    } catch (...) {
      t.handlerError = std::current_exception();
      t.Stop(Transfer::End::HandlerThrew);
    }
  };
  const auto resolved = [&t, fire] {
    if (t.hostResolved) return;
    t.hostResolved = true;
    fire(&HttpEvents::OnHostResolved);
  };
  const auto connected = [&t, fire, resolved] {
    resolved();
    if (t.connected || t.end != Transfer::End::Running) return;
    t.connected = true;
    fire(&HttpEvents::OnConnect);
  };

  QObject::connect(&silence, &QTimer::timeout, reply, [&t] { t.Stop(Transfer::End::Silent); });
  QObject::connect(reply, &QNetworkReply::socketStartedConnecting, reply, resolved);
  QObject::connect(reply, &QNetworkReply::requestSent, reply, connected);
  QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [this, &t, reply, alive, connected] {
    alive();
    connected();
    if (t.end != Transfer::End::Running) return;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!IsSuccessStatus(status)) return;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    t.announced = length.isValid() ? length.toLongLong() : -1;
    if (bodyLimit() > 0 && t.announced > bodyLimit()) t.Stop(Transfer::End::TooLarge);
  });
  QObject::connect(reply, &QNetworkReply::readyRead, reply, [this, &t, reply, alive, connected, fire] {
    const QByteArray chunk = reply->readAll();
    if (chunk.isEmpty() || t.end != Transfer::End::Running) return;
    alive();
    connected();
    if (t.end != Transfer::End::Running) return;
    // An error page or a redirect's text is never the document.
    if (!IsSuccessStatus(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt())) return;
    t.body.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    t.received += chunk.size();
    if (bodyLimit() > 0 && t.received > bodyLimit()) {
      t.Stop(Transfer::End::TooLarge);
      return;
    }
    fire(&HttpEvents::OnPacketRecvd);
  });
  QObject::connect(reply, &QNetworkReply::finished, reply, [&t, reply] {
    if (t.end == Transfer::End::Running) t.end = Transfer::End::Finished;
    t.error = reply->error();
    t.errorText = reply->errorString();
    t.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    t.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    t.contentType = reply->rawHeader("Content-Type");
    t.contentEncoding = reply->rawHeader("Content-Encoding");
    if (t.loop) t.loop->quit();
  });

  if (silenceLimitMs() > 0) silence.start(silenceLimitMs());
  if (!reply->isFinished()) loop.exec();

  // The transfer is over: tidy up before any handler runs, so that one
  // may start the next Get.
  silence.stop();
  reply->disconnect();
  silence.disconnect();
  if (!reply->isFinished()) reply->abort();
  t.reply = nullptr;
  t.loop = nullptr;
  t.silence = nullptr;
  delete reply;

  const Transfer::End end = t.end;
  const bool success = end == Transfer::End::Finished && t.error == QNetworkReply::NoError &&
                       IsSuccessStatus(t.status);
  // A document that is not a list never reaches the caller: bytes in an
  // encoding that cannot be undone, or a web page (a captive portal's).
  std::string refused;
  if (success) {
    if (std::optional<std::string> plain = Decoded(t.body, t.contentEncoding, bodyLimit())) {
      t.body = std::move(*plain);
    } else {
      refused = "Content-Encoding: " + t.contentEncoding.trimmed().toStdString();
    }
    const QByteArray type = t.contentType.trimmed().toLower();
    if (refused.empty() && (type == "text/html" || type.startsWith("text/html;") || type.startsWith("text/html "))) {
      refused = "Content-Type: " + t.contentType.trimmed().toStdString();
    }
  }
  if (!success || !refused.empty()) t.body.clear();
  if (end == Transfer::End::HandlerThrew) std::rethrow_exception(t.handlerError);

  if (t.connected && events_) events_->OnDisconnect();
  if (end == Transfer::End::Aborted) {
    throw HttpError(t.errorText.isEmpty() ? std::string("Operation canceled") : t.errorText.toStdString());
  }
  if (!events_) return;
  if (end == Transfer::End::Silent) {
    events_->OnConnectionFailed();
  } else if (end == Transfer::End::TooLarge) {
    events_->OnFailure(kHttpGet, "");
  } else if (!refused.empty()) {
    events_->OnFailure(kHttpGet, refused);
  } else if (t.status != 0 && !IsSuccessStatus(t.status)) {
    std::string status = std::to_string(t.status);
    if (!t.reason.isEmpty()) status += " " + t.reason.toStdString();
    events_->OnFailure(kHttpGet, status);
  } else if (IsConnectionError(t.error) ||
             (t.error == QNetworkReply::ProxyConnectionClosedError && t.status == 0)) {
    events_->OnConnectionFailed();
  } else if (t.error != QNetworkReply::NoError) {
    events_->OnFailure(kHttpGet, "");
  } else {
    events_->OnSuccess(kHttpGet);
  }
}

}  // namespace kestrel
