#pragma once
// The server's side on its own thread: the QWebSocketServer and its clients.
#include "ControlServer.h"

#include <QElapsedTimer>
#include <QImage>
#include <QRect>
#include <map>

class QTcpServer;
class QTcpSocket;
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
    // The newest picture of the board for the pages that show it; encoded here, and a
    // picture not yet sent when the next comes is skipped.
    void sendFrame(const QImage& frame);
    void requestDone(quint64 client);
    // A file the pages fetch that the program makes (the QR code of the address).
    void setFile(const QString& path, const QByteArray& type, const QByteArray& body);
    // A board picture as the pages receive it: the part that differs from `before` (all
    // of it when there is no `before` or the size changed) as x, y, width and height of
    // the whole picture (four little-endian 16-bit numbers), the picture's sequence
    // number (little-endian 32 bits) and that part as PNG; empty when nothing differs.
    static QByteArray encodeFrame(const QImage& frame, const QImage& before, quint32 seq = 0);
    // A client's unsent output past this is a client that does not read: it is dropped.
    static constexpr qint64 kMaxUnsentBytes = 4 * 1024 * 1024;
    // Every page gets a whole picture at least this often, whatever it missed.
    static constexpr int kWholeFrameMs = 3000;

  Q_SIGNALS:
    void connected(quint64 client);
    void request(quint64 client, const remote::Request& request);
    void disconnected(quint64 client);
    // How many pages want the board's picture.
    void frameClientsChanged(int count);

  private:
    struct Client {
        QWebSocket* socket = nullptr;
        QElapsedTimer window; // the current one-second window
        int inWindow = 0;
        bool frames = false; // a page showing the board: it gets every new picture
        // The hello has gone out: events before it are in the state it carried.
        bool greeted = false;
        // A page that joined, or saw a gap in the pictures' numbers, gets a whole one.
        bool wantsWhole = true;
        int waiting = 0; // requests handed to the program and not yet run
    };
    // A connection's first bytes decide: a WebSocket handshake goes to the WebSocket
    // server, anything else is an HTTP request for one of the pages.
    void route(QTcpSocket* s);
    void serveHttp(QTcpSocket* s, const QByteArray& head);
    void reply(QTcpSocket* s, bool headOnly, const QByteArray& status, const QByteArray& type,
               const QByteArray& body, const QByteArray& extra = {});
    bool hostIsOurs(const QString& host) const;
    bool originIsOurs(const QString& origin) const;
    void sendPendingFrame();
    int frameClients() const;
    void accept();
    void checkOrigin(QWebSocketCorsAuthenticator* auth);
    void received(quint64 id, const QString& text);
    void drop(quint64 id);
    // Writes to a client, dropping it when it has stopped reading.
    void write(quint64 id, Client& c, const QString* text, const QByteArray* binary);
    void sendWhole(quint64 id, Client& c);

    ControlServer::Config config_;
    QTcpServer* tcp_ = nullptr;
    QWebSocketServer* server_ = nullptr;
    std::map<quint64, Client> clients_;
    quint64 next_ = 1;
    QImage pendingFrame_;
    QImage sentFrame_; // what the pages show now
    quint32 frameSeq_ = 0;  // the number of sentFrame_
    QElapsedTimer sinceWhole_;
    int unfinished_ = 0;    // connections that have not yet sent a whole head
    bool frameScheduled_ = false;
    std::map<QString, std::pair<QByteArray, QByteArray>> files_;
};
