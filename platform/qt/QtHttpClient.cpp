// SPDX-License-Identifier: MIT
#include "platform/qt/QtHttpClient.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QNetworkCookie>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "platform/core/HttpResponse.h"

namespace vestrane {

namespace {

/// The socket's buffer and each read: what the server sends waits in the
/// system until the program has room for it.
constexpr qint64 kReadPiece = 16 * 1024;

/// The busy cursor over every window of the program while it lives.
class BusyCursor {
 public:
  BusyCursor() : shown_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (shown_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  ~BusyCursor() {
    if (shown_) QGuiApplication::restoreOverrideCursor();
  }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  bool shown_;
};

QByteArray requestText(const QUrl& url, const QList<QNetworkCookie>& cookies) {
  QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
  if (target.isEmpty()) target = "/";
  if (url.hasQuery()) target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
  QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
  if (host.contains(':')) host = '[' + host + ']';
  if (url.port() >= 0) host += ':' + QByteArray::number(url.port());
  QByteArray text = "GET " + target + " HTTP/1.1\r\n" +
                    "Host: " + host + "\r\n" +
                    "Accept: text/html, */*\r\n"
                    "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                    "Content-Type: text/html\r\n";
  QByteArray pairs;
  for (const QNetworkCookie& cookie : cookies) {
    if (!pairs.isEmpty()) pairs += "; ";
    pairs += cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
  }
  if (!pairs.isEmpty()) text += "Cookie: " + pairs + "\r\n";
  text += "Connection: close\r\n\r\n";
  return text;
}

}  // namespace

bool QtHttpClient::get(const std::string& url, std::string& body) {
  const QUrl address(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size())),
                     QUrl::StrictMode);
  if (!address.isValid() || address.scheme() != QLatin1String("http") || address.host().isEmpty())
    return false;

  BusyCursor busy;
  HttpResponse response(static_cast<std::size_t>(std::max<qint64>(0, maxBodyBytes_)));
  QTcpSocket socket;
  // Straight to the server, whatever proxy the system or the environment names.
  socket.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
  socket.setReadBufferSize(kReadPiece);

  QEventLoop loop;
  bool done = false;
  auto finish = [&] {
    done = true;
    loop.quit();
  };
  QByteArray piece(static_cast<qsizetype>(kReadPiece), Qt::Uninitialized);
  auto readAvailable = [&] {
    while (response.state() == HttpResponse::State::Reading) {
      const qint64 got = socket.read(piece.data(), piece.size());
      if (got <= 0) break;
      response.feed(std::string_view(piece.constData(), static_cast<std::size_t>(got)));
    }
  };
  QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] {
    socket.write(requestText(address, cookies_.cookiesForUrl(address)));
  });
  QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
    readAvailable();
    if (response.state() != HttpResponse::State::Reading) finish();
  });
  QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop,
                   [&](QAbstractSocket::SocketError error) {
                     // The server closing the connection ends a body that
                     // runs to its end; every other error fails the request.
                     if (error == QAbstractSocket::RemoteHostClosedError) {
                       readAvailable();
                       response.closed();
                     }
                     finish();
                   });
  QObject::connect(&socket, &QTcpSocket::disconnected, &loop, [&] {
    readAvailable();
    response.closed();
    finish();
  });
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, finish);

  // The time limit counts from here: name lookup, connecting, the request
  // and the whole answer.
  deadline.start(timeoutMs_);
  socket.connectToHost(address.host(), static_cast<quint16>(address.port(80)));
  // Windows repaint while the request runs, but no click or key reaches them.
  if (!done) loop.exec(QEventLoop::ExcludeUserInputEvents);
  deadline.stop();
  QObject::disconnect(&socket, nullptr, &loop, nullptr);
  socket.abort();

  for (const std::string& cookie : response.cookies())
    cookies_.setCookiesFromUrl(
        QNetworkCookie::parseCookies(QByteArray(cookie.data(), static_cast<qsizetype>(cookie.size()))),
        address);
  const bool ok = response.state() == HttpResponse::State::Complete && response.status() >= 200 &&
                  response.status() <= 299;
  if (!ok) return false;
  body = response.body();
  return true;
}

}  // namespace vestrane
