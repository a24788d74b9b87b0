#pragma once
// The update check's HTTP GET with Qt Network. The call blocks: it waits in
// a local event loop that repaints windows but takes no user input, so the
// program looks alive and cannot be driven while the request runs.
//
// Request: GET, Accept "text/html, */*", User-Agent "Mozilla/3.0 (compatible;
// Indy Library)", Content-Type "text/html", cookies kept for the run, no
// proxy, no authentication, redirects not followed. A status outside 200 to
// 299, a redirect, a request that takes longer than the time-out and a body
// larger than the limit all fail alike.

#include <QNetworkAccessManager>
#include <memory>

#include "update/core/UpdateCheck.h"

namespace vestrane {

class QtHttpClient : public HttpClient {
 public:
  QtHttpClient();

  bool get(const std::string& url, std::string& body) override;

  /// Longest time from sending the request to the end of the body.
  void setTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
  int timeout() const { return timeoutMs_; }
  /// Largest body accepted; a larger one fails the request.
  void setMaxBodyBytes(qint64 bytes) { maxBodyBytes_ = bytes; }

 private:
  QNetworkAccessManager manager_;
  int timeoutMs_ = kUpdateTimeoutMs;
  qint64 maxBodyBytes_ = kMaxVersionFileBytes;
};

}  // namespace vestrane
