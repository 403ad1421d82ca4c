// HttpClient on Qt Network. One GET at a time, run in a nested event loop
// so that the caller's window keeps painting and can ask to abort.
//
// How the events follow the reply:
//   OnHostResolved  the reply's socket starts connecting (the host's
//                   address is known then); on a reused connection, just
//                   before OnConnect
//   OnConnect       the request was sent (the connection stands)
//   OnPacketRecvd   document bytes were read (readyRead)
//   OnDisconnect    the reply ended, when a connection had been made;
//                   always before the outcome below
//   OnSuccess       a 2xx answer, the whole document received
//   OnFailure       an HTTP error status ("404 Not Found"), a document over
//                   bodyLimit(), a transfer broken off after the connection
//                   was made ("" as the status in the last two), an answer
//                   in a Content-Encoding other than gzip or deflate (those
//                   are decoded) or of Content-Type text/html (the header
//                   as the status)
//   OnConnectionFailed  refused, host or proxy not found, network timeouts,
//                   or nothing received for silenceLimitMs()
// The outcome event fires after the transfer has ended (inProgress() is
// false by then). An aborted Get throws HttpError with Qt's message.
#pragma once

#include <memory>

#include "applist/HttpClient.h"

namespace kestrel {

class QtHttpClient : public HttpClient {
 public:
  QtHttpClient();
  ~QtHttpClient() override;
  QtHttpClient(const QtHttpClient&) = delete;
  QtHttpClient& operator=(const QtHttpClient&) = delete;

  void Get(const std::string& url) override;
  void Abort() override;
  bool inProgress() const override;

  const std::string& body() const override;
  std::int64_t bytesReceived() const override;
  std::int64_t bytesTotal() const override;

 private:
  struct Transfer;
  std::unique_ptr<Transfer> t_;
};

}  // namespace kestrel
