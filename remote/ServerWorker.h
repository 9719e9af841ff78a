#pragma once
// The server's side on its own thread: the QWebSocketServer and its clients.
#include "ControlServer.h"

#include <QElapsedTimer>
#include <map>

class QTcpServer;
class QWebSocket;
class QWebSocketServer;
class QWebSocketCorsAuthenticator;

class ServerWorker : public QObject {
    Q_OBJECT
  public:
    explicit ServerWorker(ControlServer::Config config);
    ~ServerWorker() override;

    // Runs on the worker thread: opens the port; 0 and a reason when it cannot.
    std::pair<quint16, QString> listen();
    void close();
    int clientCount() const { return static_cast<int>(clients_.size()); }
    void send(quint64 client, const QByteArray& message);
    void broadcast(const QByteArray& message);

  Q_SIGNALS:
    void connected(quint64 client);
    void request(quint64 client, const remote::Request& request);
    void disconnected(quint64 client);

  private:
    struct Client {
        QWebSocket* socket = nullptr;
        QElapsedTimer window; // the current one-second window
        int inWindow = 0;
    };
    void accept();
    void checkOrigin(QWebSocketCorsAuthenticator* auth);
    void received(quint64 id, const QString& text);
    void drop(quint64 id);

    ControlServer::Config config_;
    QTcpServer* tcp_ = nullptr;
    QWebSocketServer* server_ = nullptr;
    std::map<quint64, Client> clients_;
    quint64 next_ = 1;
};
