#include "ServerWorker.h"

#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>
#include <QWebSocketServer>

ServerWorker::ServerWorker(ControlServer::Config config) : config_(std::move(config)) {}

ServerWorker::~ServerWorker() {
    close();
}

std::pair<quint16, QString> ServerWorker::listen() {
    server_ = new QWebSocketServer(QStringLiteral("minamo"), QWebSocketServer::NonSecureMode, this);
    // Checked while the handshake is read, so a page elsewhere never gets a socket.
    connect(server_, &QWebSocketServer::originAuthenticationRequired, this,
            &ServerWorker::checkOrigin, Qt::DirectConnection);
    connect(server_, &QWebSocketServer::newConnection, this, &ServerWorker::accept);
    // Our own listener hands each connection to the WebSocket server with Nagle's delay
    // off: an answer and the events after it go out at once, not 40 ms apart.
    tcp_ = new QTcpServer(this);
    connect(tcp_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = tcp_->nextPendingConnection()) {
            s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            server_->handleConnection(s);
        }
    });
    const QHostAddress where = config_.lan ? QHostAddress::Any : QHostAddress::LocalHost;
    if (!tcp_->listen(where, config_.port))
        return {0, tcp_->errorString()};
    return {tcp_->serverPort(), {}};
}

void ServerWorker::close() {
    for (auto& [id, c] : clients_) {
        c.socket->disconnect(this);
        c.socket->abort();
        c.socket->deleteLater();
    }
    clients_.clear();
    if (tcp_)
        tcp_->close();
    if (server_)
        server_->close();
}

void ServerWorker::checkOrigin(QWebSocketCorsAuthenticator* auth) {
    // Programs send no Origin; browsers always do. Only the simulator's own pages (served
    // from this port) may drive it from a browser, so a page on some site cannot.
    const QString origin = auth->origin();
    if (origin.isEmpty()) {
        auth->setAllowed(true);
        return;
    }
    const QUrl url(origin);
    bool ours = url.scheme() == QLatin1String("http") && url.port() == tcp_->serverPort();
    if (ours) {
        const QHostAddress host(
            url.host() == QLatin1String("localhost") ? QStringLiteral("127.0.0.1") : url.host());
        ours =
            host.isLoopback() || (config_.lan && QNetworkInterface::allAddresses().contains(host));
    }
    auth->setAllowed(ours);
}

void ServerWorker::accept() {
    while (QWebSocket* s = server_->nextPendingConnection()) {
        if (config_.lan &&
            QUrlQuery(s->requestUrl()).queryItemValue(QStringLiteral("token")) != config_.token) {
            s->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("token required"));
            s->deleteLater();
            continue;
        }
        const quint64 id = next_++;
        s->setMaxAllowedIncomingMessageSize(remote::kMaxMessageBytes);
        s->setMaxAllowedIncomingFrameSize(remote::kMaxMessageBytes);
        Client& c = clients_[id];
        c.socket = s;
        c.window.start();
        connect(s, &QWebSocket::textMessageReceived, this,
                [this, id](const QString& text) { received(id, text); });
        connect(s, &QWebSocket::binaryMessageReceived, this, [this, id](const QByteArray&) {
            send(id, remote::errorAnswer({}, QStringLiteral("messages are JSON text")));
        });
        connect(s, &QWebSocket::disconnected, this, [this, id] { drop(id); });
        Q_EMIT connected(id);
    }
}

void ServerWorker::received(quint64 id, const QString& text) {
    auto it = clients_.find(id);
    if (it == clients_.end())
        return;
    Client& c = it->second;
    if (c.window.elapsed() >= 1000) {
        c.window.restart();
        c.inWindow = 0;
    }
    if (++c.inWindow > config_.maxPerSecond) {
        // A flood costs that client its connection; the others and the board go on.
        c.socket->close(QWebSocketProtocol::CloseCodePolicyViolated,
                        QStringLiteral("too many messages"));
        return;
    }
    Q_EMIT request(id, remote::parseRequest(text.toUtf8()));
}

void ServerWorker::drop(quint64 id) {
    auto it = clients_.find(id);
    if (it == clients_.end())
        return;
    it->second.socket->deleteLater();
    clients_.erase(it);
    Q_EMIT disconnected(id);
}

void ServerWorker::send(quint64 client, const QByteArray& message) {
    if (auto it = clients_.find(client); it != clients_.end())
        it->second.socket->sendTextMessage(QString::fromUtf8(message));
}

void ServerWorker::broadcast(const QByteArray& message) {
    const QString text = QString::fromUtf8(message);
    for (auto& [id, c] : clients_)
        c.socket->sendTextMessage(text);
}
