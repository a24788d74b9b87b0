// SPDX-License-Identifier: MIT
#pragma once
// A server on 127.0.0.1 that answers the update check the way no honest
// server would: an endless flood of header lines, an endless body, or one
// byte at a time. It runs in a thread of its own, so it keeps sending
// whatever the program does, and it stops by itself after a fixed time, so
// that a program that never lets go fails a test instead of hanging it.

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <atomic>
#include <future>
#include <memory>
#include <string>

namespace vestrane::testing {

class HostileHttpServer {
 public:
  enum class Kind {
    HeaderFlood,  ///< "HTTP/1.1 200 OK", then header lines without end
    EndlessBody,  ///< a version file's start, then notes without end
    Drip,         ///< a proper answer, one byte every 50 ms
  };

  HostileHttpServer(Kind kind, int lifeMs) {
    std::promise<quint16> port;
    std::future<quint16> listening = port.get_future();
    thread_.reset(QThread::create([this, kind, lifeMs, &port] { run(kind, lifeMs, port); }));
    thread_->start();
    port_ = listening.get();
  }
  ~HostileHttpServer() { thread_->wait(); }

  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

  /// Waits until the server has stopped; then the figures below are final.
  void waitUntilStopped() { thread_->wait(); }
  /// How long the client kept the connection open, in milliseconds.
  qint64 connectionMs() const { return connectionMs_; }
  qint64 bytesSent() const { return bytesSent_; }
  /// Whether the client closed the connection before the server's time was up.
  bool clientClosed() const { return clientClosed_; }

 private:
  void run(Kind kind, int lifeMs, std::promise<quint16>& port) {
    QElapsedTimer life;
    life.start();
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    port.set_value(server.serverPort());
    if (!server.waitForNewConnection(lifeMs)) return;
    std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
    QElapsedTimer open;
    open.start();
    socket->waitForReadyRead(1000);
    socket->readAll();

    auto connected = [&] { return socket->state() == QAbstractSocket::ConnectedState; };
    auto send = [&](const QByteArray& bytes) {
      if (socket->write(bytes) < 0) return false;
      bytesSent_ += bytes.size();
      return true;
    };
    if (kind == Kind::Drip) {
      const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Length: 4000\r\n\r\n1.0.0.4\r\n" +
                                QByteArray(4000, 'x');
      for (qsizetype i = 0; i < answer.size() && life.elapsed() < lifeMs && connected(); ++i) {
        if (!send(answer.mid(i, 1)) || !socket->waitForBytesWritten(1000)) break;
        // A close by the client ends the wait early.
        if (socket->waitForDisconnected(50)) break;
      }
    } else {
      QByteArray piece;
      if (kind == Kind::HeaderFlood) {
        send("HTTP/1.1 200 OK\r\n");
        while (piece.size() < 64 * 1024) piece += "X-Flood: " + QByteArray(990, 'f') + "\r\n";
      } else {
        send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n1.0.0.4\r\n");
        while (piece.size() < 64 * 1024) piece += QByteArray(98, 'n') + "\r\n";
      }
      while (life.elapsed() < lifeMs && connected()) {
        // At most two pieces wait in the socket: what the client does not
        // read piles up nowhere but in the system's buffers.
        if (socket->bytesToWrite() < piece.size() && !send(piece)) break;
        socket->waitForBytesWritten(50);
      }
    }
    connectionMs_ = open.elapsed();
    clientClosed_ = !connected();
    socket->abort();
  }

  std::unique_ptr<QThread> thread_;
  quint16 port_ = 0;
  std::atomic<qint64> connectionMs_{-1};
  std::atomic<qint64> bytesSent_{0};
  std::atomic<bool> clientClosed_{false};
};

}  // namespace vestrane::testing
