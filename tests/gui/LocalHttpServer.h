// SPDX-License-Identifier: MIT
#pragma once
// A tiny HTTP server on 127.0.0.1 for the update check's tests. It runs in
// the test's own thread: the check's blocking GET waits in a local event
// loop, which also serves this server's sockets. Every request is recorded
// and answered from the answer set for its path (or the default answer).

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>
#include <string>
#include <vector>

namespace vestrane::testing {

struct HttpAnswer {
  int status = 200;
  QByteArray reason = "OK";
  QByteArray body;
  std::vector<std::pair<QByteArray, QByteArray>> headers;
  /// false: no Content-Length; the end of the body is the end of the connection.
  bool contentLength = true;
  /// true: the request is read but never answered.
  bool silent = false;
};

struct HttpRequestSeen {
  QByteArray method;
  QByteArray path;
  std::map<QByteArray, QByteArray> headers;  ///< names in lower case

  QByteArray header(const char* name) const {
    const auto it = headers.find(QByteArray(name).toLower());
    return it == headers.end() ? QByteArray() : it->second;
  }
};

class LocalHttpServer {
 public:
  LocalHttpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(&server_);
        auto* buffer = new QByteArray;
        QObject::connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
          buffer->append(socket->readAll());
          const qsizetype end = buffer->indexOf("\r\n\r\n");
          if (end < 0) return;
          const QByteArray head = buffer->left(end);
          buffer->clear();
          serve(socket, head);
        });
      }
    });
  }

  bool listening() const { return server_.isListening(); }
  /// "127.0.0.1:port", the update host that reaches this server.
  std::string host() const {
    return "127.0.0.1:" + std::to_string(server_.serverPort());
  }

  HttpAnswer defaultAnswer;
  std::map<QByteArray, HttpAnswer> answers;  ///< by request path
  std::vector<HttpRequestSeen> requests;

  /// Answers every request with @p body, status 200.
  void serve(const QByteArray& body) {
    defaultAnswer = HttpAnswer{};
    defaultAnswer.body = body;
  }

 private:
  void serve(QTcpSocket* socket, const QByteArray& head) {
    HttpRequestSeen request;
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.path = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
      const qsizetype colon = lines[i].indexOf(':');
      if (colon > 0)
        request.headers[lines[i].left(colon).trimmed().toLower()] = lines[i].mid(colon + 1).trimmed();
    }
    requests.push_back(request);

    const auto it = answers.find(request.path);
    const HttpAnswer& answer = it == answers.end() ? defaultAnswer : it->second;
    if (answer.silent) return;
    QByteArray out = "HTTP/1.1 " + QByteArray::number(answer.status) + " " + answer.reason + "\r\n";
    for (const auto& [name, value] : answer.headers) out += name + ": " + value + "\r\n";
    if (answer.contentLength) out += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    out += "Connection: close\r\n\r\n";
    out += answer.body;
    socket->write(out);
    socket->disconnectFromHost();  // after what was written has gone out
  }

  QTcpServer server_;
};

}  // namespace vestrane::testing
