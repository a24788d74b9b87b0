#include "platform/qt/QtHttpClient.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace vestrane {

QtHttpClient::QtHttpClient() {
  // Straight to the server: no proxy, whatever the system or the environment
  // name. The manager keeps the cookies the server sets for the whole run.
  manager_.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
  manager_.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

bool QtHttpClient::get(const std::string& url, std::string& body) {
  QNetworkRequest request(QUrl(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size()))));
  request.setRawHeader("Accept", "text/html, */*");
  request.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/html"));
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                       QNetworkRequest::AlwaysNetwork);
  request.setTransferTimeout(timeoutMs_);

  QPointer<QNetworkReply> reply = manager_.get(request);
  if (!reply) return false;
  // No credentials are ever given: a server that asks for them fails the
  // request, since nothing answers QNetworkAccessManager's authentication signal.

  // The handlers below only take data and note what went wrong; the request
  // is ended after the loop has returned, never from inside one of the
  // reply's own signals.
  QByteArray received;
  bool tooLarge = false;
  bool timedOut = false;
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);

  auto take = [&] {
    if (!reply || tooLarge) return;
    received += reply->readAll();
    if (received.size() > maxBodyBytes_) {
      tooLarge = true;
      loop.quit();
    }
  };
  QObject::connect(reply.data(), &QNetworkReply::metaDataChanged, &loop, [&] {
    bool known = false;
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && length > maxBodyBytes_) {
      tooLarge = true;
      loop.quit();
    }
  });
  QObject::connect(reply.data(), &QNetworkReply::readyRead, &loop, take);
  QObject::connect(reply.data(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
    timedOut = true;
    loop.quit();
  });

  if (!reply->isFinished()) {
    deadline.start(timeoutMs_);
    // Windows repaint while the request runs, but no click or key reaches them.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();
  }
  if (!reply) return false;
  QObject::disconnect(reply.data(), nullptr, &loop, nullptr);
  if (!reply->isFinished()) reply->abort();
  if (!tooLarge && !timedOut && reply->isOpen()) take();

  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const bool ok = !tooLarge && !timedOut && reply->isFinished() &&
                  reply->error() == QNetworkReply::NoError && status >= 200 && status <= 299;
  reply->deleteLater();
  // Each check starts on a connection of its own: one that a cut-off reply
  // left behind is never reused (the cookies stay).
  manager_.clearConnectionCache();
  if (!ok) return false;
  body.assign(received.constData(), static_cast<std::size_t>(received.size()));
  return true;
}

}  // namespace vestrane
