#pragma once
// The WebSocket server other programs drive the simulator through. It runs on a thread of
// its own: connections, the handshake's checks (address, Origin, token), message size and
// flood limits and the reading of requests happen there; requests reach the UI thread as
// signals, and answers and events come back through send() and broadcast().
#include "Protocol.h"

#include <QHostAddress>
#include <QObject>
#include <QThread>
#include <memory>

class ServerWorker;

class ControlServer : public QObject {
    Q_OBJECT
  public:
    struct Config {
        quint16 port = remote::kDefaultPort; // 0 picks a free port
        // Listens on every address and asks for `token`; otherwise loopback only.
        bool lan = false;
        QString token;
        // Most requests a client may send in one second before it is cut off.
        int maxPerSecond = 5000;
    };
    explicit ControlServer(QObject* parent = nullptr);
    ~ControlServer() override;

    // Starts listening; false with error() when the port cannot be had.
    bool start(const Config& config);
    void stop();
    bool listening() const { return port_ != 0; }
    quint16 port() const { return port_; }
    const QString& error() const { return error_; }
    int clientCount() const;

    // Thread-safe: queued to the server's thread.
    void send(quint64 client, const QByteArray& message);
    void broadcast(const QByteArray& message);
    // The board's picture for the pages showing it (encoded as PNG on the server thread).
    void sendFrame(const QImage& frame);
    // A request of `client` has been run (answered or followed): it no longer waits.
    void requestDone(quint64 client);
    void setFile(const QString& path, const QByteArray& type, const QByteArray& body);

    // A random token for LAN mode: 32 hexadecimal digits.
    static QString makeToken();

  Q_SIGNALS:
    // A client connected; it gets its hello through send() before any event.
    void connected(quint64 client);
    void request(quint64 client, const remote::Request& request);
    void disconnected(quint64 client);
    void frameClientsChanged(int count);

  private:
    QThread thread_;
    ServerWorker* worker_ = nullptr;
    quint16 port_ = 0;
    QString error_;
};
