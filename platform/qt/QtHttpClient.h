// SPDX-License-Identifier: MIT
#pragma once
// The update check's HTTP GET over a TCP connection of its own. The call
// blocks: it waits in a local event loop that repaints windows but takes no
// user input, and shows the busy cursor meanwhile.
//
// Request: GET over HTTP/1.1, Accept "text/html, */*", User-Agent
// "Mozilla/3.0 (compatible; Indy Library)", Content-Type "text/html",
// cookies kept for the run, no proxy, no authentication, redirects not
// followed, one connection per request. A status outside 200 to 299, a
// redirect, a request still running at the time limit and a body larger
// than the limit all fail alike.
//
// Nothing a server sends can hold the program longer than the time limit,
// counted from the start of the request, nor cost more memory than the
// bounded response head and body: the socket reads in small pieces and the
// reading ends at the first byte over a limit.

#include <QNetworkCookieJar>

#include "platform/core/HttpClient.h"

namespace vestrane {

class QtHttpClient : public HttpClient {
 public:
  QtHttpClient() = default;

  bool get(const std::string& url, std::string& body) override;

  /// Longest time from the start of a request to the end of its body.
  void setTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
  int timeout() const { return timeoutMs_; }
  /// Largest body accepted; a larger one fails the request.
  void setMaxBodyBytes(qint64 bytes) { maxBodyBytes_ = bytes; }

 private:
  QNetworkCookieJar cookies_;
  int timeoutMs_ = kUpdateTimeoutMs;
  qint64 maxBodyBytes_ = kMaxVersionFileBytes;
};

}  // namespace vestrane
