// The HTTP client the AppList fetch talks to: a proxy, one blocking GET
// whose events fire while it runs, the document received, the byte
// counts, abort. The real one is on Qt Network (applist/net); tests put a
// scripted one in its place.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kestrel {

// The kind of request an OnSuccess/OnFailure reports.
enum HttpCommandKind {
  kHttpGet = 0,
  kHttpOptions = 1,
  kHttpHead = 2,
  kHttpPost = 3,
  kHttpPut = 4,
  kHttpDelete = 8,
  kHttpTrace = 11,
};

class HttpEvents {
 public:
  virtual ~HttpEvents() = default;
  virtual void OnConnect() {}
  virtual void OnHostResolved() {}
  // Bytes arrived; bytesReceived()/bytesTotal() tell how many.
  virtual void OnPacketRecvd() {}
  virtual void OnDisconnect() {}
  // No connection could be made, or the server fell silent for too long.
  virtual void OnConnectionFailed() {}
  virtual void OnSuccess(int /*kind*/) {}
  // The request failed after the connection was made. `status` is the
  // server's answer when it gave one ("404 Not Found"), else "".
  virtual void OnFailure(int /*kind*/, const std::string& /*status*/) {}
};

// Thrown by Get when the request ends without any event telling so: it
// was aborted, or it could not even be issued (a bad URL or proxy).
class HttpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;

  // An empty proxy host means a direct connection.
  void setProxy(const std::string& host) { proxy_ = host; }
  void setProxyPort(int port) { proxyPort_ = port; }
  const std::string& proxy() const { return proxy_; }
  int proxyPort() const { return proxyPort_; }

  void setEvents(HttpEvents* events) { events_ = events; }

  // Downloads `url`. Blocks until the request ends while the caller's
  // event loop keeps running (so the events above, window repaints, a
  // close request and Abort happen meanwhile). Ends after OnSuccess,
  // OnFailure or OnConnectionFailed fired; throws HttpError otherwise.
  virtual void Get(const std::string& url) = 0;
  // Ends a running Get, which then throws HttpError.
  virtual void Abort() = 0;
  virtual bool inProgress() const = 0;

  // The document of the last Get (empty after a failure).
  virtual const std::string& body() const = 0;
  virtual std::int64_t bytesReceived() const = 0;
  // The announced length; the bytes received when none was announced.
  virtual std::int64_t bytesTotal() const = 0;

  // Sanity bounds: a larger document is a failure; a server that sends
  // nothing for this long is a connection failure.
  void setBodyLimit(std::int64_t bytes) { bodyLimit_ = bytes; }
  void setSilenceLimitMs(int ms) { silenceLimitMs_ = ms; }
  std::int64_t bodyLimit() const { return bodyLimit_; }
  int silenceLimitMs() const { return silenceLimitMs_; }

 protected:
  HttpEvents* events_ = nullptr;

 private:
  std::string proxy_;
  int proxyPort_ = 0;
  std::int64_t bodyLimit_ = 64LL * 1024 * 1024;
  int silenceLimitMs_ = 60000;
};

}  // namespace kestrel
