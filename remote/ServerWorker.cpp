#include "ServerWorker.h"

#include <png.h>

#include <QBuffer>
#include <QFile>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>
#include <QWebSocketServer>
#include <cstring>

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
            connect(s, &QTcpSocket::readyRead, this, [this, s] { route(s); });
            // A connection that never says what it wants is closed.
            QTimer::singleShot(10000, s, [s] {
                if (s->property("routed").isNull())
                    s->abort();
            });
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

bool ServerWorker::hostIsOurs(const QString& host) const {
    if (host == QLatin1String("localhost"))
        return true;
    if (config_.lan && host.compare(QHostInfo::localHostName(), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress a(host);
    return a.isLoopback() || (config_.lan && QNetworkInterface::allAddresses().contains(a));
}

bool ServerWorker::originIsOurs(const QString& origin) const {
    // Programs send no Origin; browsers always do. Only the simulator's own pages (served
    // from this port) may drive it from a browser, so a page on some site cannot.
    if (origin.isEmpty())
        return true;
    const QUrl url(origin);
    return url.scheme() == QLatin1String("http") && url.port() == tcp_->serverPort() &&
           hostIsOurs(url.host());
}

void ServerWorker::checkOrigin(QWebSocketCorsAuthenticator* auth) {
    auth->setAllowed(originIsOurs(auth->origin()));
}

void ServerWorker::route(QTcpSocket* s) {
    if (!s->property("routed").isNull())
        return;
    constexpr qint64 kMaxHead = 16 * 1024;
    const QByteArray head = s->peek(kMaxHead);
    if (!head.contains("\r\n\r\n")) {
        if (head.size() >= kMaxHead)
            s->abort();
        return; // the rest of the request is still coming
    }
    s->setProperty("routed", true);
    disconnect(s, &QTcpSocket::readyRead, this, nullptr);
    if (head.toLower().contains("\r\nupgrade: websocket")) {
        // The WebSocket server reads the handshake itself: it is still unread.
        server_->handleConnection(s);
        return;
    }
    connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    serveHttp(s, head.left(head.indexOf("\r\n\r\n")));
}

namespace {

struct Page {
    const char* resource;
    const char* type;
    bool needsToken; // the scripts and styles hold nothing private
};

const std::map<QString, Page>& pages() {
    static const std::map<QString, Page> p = {
        {QStringLiteral("/"), {":/web/index.html", "text/html; charset=utf-8", true}},
        {QStringLiteral("/board"), {":/web/board.html", "text/html; charset=utf-8", true}},
        {QStringLiteral("/panel"), {":/web/panel.html", "text/html; charset=utf-8", true}},
        {QStringLiteral("/minamo.js"),
         {":/web/minamo.js", "text/javascript; charset=utf-8", false}},
        {QStringLiteral("/style.css"), {":/web/style.css", "text/css; charset=utf-8", false}},
    };
    return p;
}

} // namespace

void ServerWorker::serveHttp(QTcpSocket* s, const QByteArray& head) {
    s->readAll();
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> request = lines.value(0).trimmed().split(' ');
    const bool headOnly = request.value(0) == "HEAD";
    auto reply = [s, headOnly](const char* status, const QByteArray& type, const QByteArray& body) {
        s->write(QByteArray("HTTP/1.1 ") + status + "\r\nContent-Type: " + type +
                 "\r\nContent-Length: " + QByteArray::number(body.size()) +
                 "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
                 "Connection: close\r\n\r\n" +
                 (headOnly ? QByteArray() : body));
        s->disconnectFromHost();
    };
    QString host, origin;
    for (const QByteArray& l : lines.mid(1)) {
        const qsizetype colon = l.indexOf(':');
        const QByteArray name = l.left(colon).trimmed().toLower();
        const QString value = QString::fromLatin1(l.mid(colon + 1).trimmed());
        if (name == "host")
            host = value;
        else if (name == "origin")
            origin = value;
    }
    if (request.size() < 3 || (request[0] != "GET" && !headOnly))
        return reply("405 Method Not Allowed", "text/plain", "GET only\n");
    // A name that is not this computer's is another site reached through this one.
    const QUrl hostUrl(QStringLiteral("http://") + host);
    if (host.isEmpty() || !hostIsOurs(hostUrl.host()) || !originIsOurs(origin))
        return reply("403 Forbidden", "text/plain", "not from this computer\n");
    const QUrl target(QString::fromLatin1(request[1]));
    const QString path = target.path();
    const auto page = pages().find(path);
    const auto file = files_.find(path);
    if (page == pages().end() && file == files_.end())
        return reply("404 Not Found", "text/plain", "no such page\n");
    const bool needsToken = page == pages().end() || page->second.needsToken;
    if (config_.lan && needsToken &&
        QUrlQuery(target).queryItemValue(QStringLiteral("token")) != config_.token)
        return reply("403 Forbidden", "text/plain; charset=utf-8",
                     QStringLiteral("トークンが必要です (?token=...)\n").toUtf8());
    if (file != files_.end())
        return reply("200 OK", file->second.first, file->second.second);
    QFile f(QString::fromLatin1(page->second.resource));
    if (!f.open(QIODevice::ReadOnly))
        return reply("500 Internal Server Error", "text/plain", "page missing\n");
    reply("200 OK", page->second.type, f.readAll());
}

int ServerWorker::frameClients() const {
    int n = 0;
    for (const auto& [id, c] : clients_)
        n += c.frames ? 1 : 0;
    return n;
}

void ServerWorker::sendFrame(const QImage& frame) {
    pendingFrame_ = frame;
    if (frameScheduled_)
        return;
    frameScheduled_ = true;
    QTimer::singleShot(0, this, &ServerWorker::sendPendingFrame);
}

void ServerWorker::sendPendingFrame() {
    frameScheduled_ = false;
    if (pendingFrame_.isNull())
        return;
    // Against what the pages show, so a picture skipped meanwhile loses nothing.
    const QByteArray message = encodeFrame(pendingFrame_, sentFrame_);
    sentFrame_ = pendingFrame_;
    pendingFrame_ = QImage();
    if (message.isEmpty())
        return;
    for (auto& [id, c] : clients_)
        if (c.frames && c.greeted)
            c.socket->sendBinaryMessage(message);
}

namespace {

// PNG written for speed (no row filters, light deflate) by libpng's own fast path; the
// board's flat colours still pack to a few kilobytes.
QByteArray fastPng(const QImage& argb) {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(argb.width());
    image.height = static_cast<png_uint_32>(argb.height());
    image.format = PNG_FORMAT_BGRA; // QImage::Format_ARGB32 as it lies in memory here
    image.flags = PNG_IMAGE_FLAG_FAST;
    // In components of one byte each, as libpng counts a row.
    const auto stride = static_cast<png_int_32>(argb.bytesPerLine());
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, argb.constBits(), stride, nullptr)) {
        QByteArray out(static_cast<qsizetype>(size), '\0');
        if (png_image_write_to_memory(&image, out.data(), &size, 0, argb.constBits(), stride,
                                      nullptr)) {
            out.resize(static_cast<qsizetype>(size));
            return out;
        }
    }
    png_image_free(&image);
#endif
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    argb.save(&buffer, "PNG", 80);
    return out;
}

// The smallest rectangle holding every pixel in which the two pictures differ.
QRect changedPart(const QImage& a, const QImage& b) {
    const int w = a.width(), h = a.height();
    const auto rowBytes = static_cast<size_t>(w) * 4;
    int top = 0, bottom = h - 1;
    while (top < h && std::memcmp(a.constScanLine(top), b.constScanLine(top), rowBytes) == 0)
        ++top;
    if (top == h)
        return {};
    while (bottom > top &&
           std::memcmp(a.constScanLine(bottom), b.constScanLine(bottom), rowBytes) == 0)
        --bottom;
    int left = w, right = -1;
    for (int y = top; y <= bottom; ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        int x = 0;
        while (x < left && p[x] == q[x])
            ++x;
        left = std::min(left, x);
        int r = w - 1;
        while (r > right && p[r] == q[r])
            --r;
        right = std::max(right, r);
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

QByteArray ServerWorker::encodeFrame(const QImage& frame, const QImage& before) {
    const QImage now = frame.convertToFormat(QImage::Format_ARGB32);
    QRect part = now.rect();
    if (!before.isNull() && before.size() == now.size() && before.format() == now.format()) {
        part = changedPart(now, before);
        if (part.isEmpty())
            return {};
    }
    QByteArray message(8, '\0');
    const int head[4] = {part.x(), part.y(), now.width(), now.height()};
    for (int i = 0; i < 4; ++i) {
        message[2 * i] = static_cast<char>(head[i] & 0xFF);
        message[2 * i + 1] = static_cast<char>((head[i] >> 8) & 0xFF);
    }
    return message + fastPng(now.copy(part));
}

void ServerWorker::setFile(const QString& path, const QByteArray& type, const QByteArray& body) {
    files_[path] = {type, body};
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
        c.frames = s->requestUrl().path() == QLatin1String("/frames");
        connect(s, &QWebSocket::textMessageReceived, this,
                [this, id](const QString& text) { received(id, text); });
        connect(s, &QWebSocket::binaryMessageReceived, this, [this, id](const QByteArray&) {
            send(id, remote::errorAnswer({}, QStringLiteral("messages are JSON text")));
        });
        connect(s, &QWebSocket::disconnected, this, [this, id] { drop(id); });
        Q_EMIT connected(id);
        if (c.frames) {
            sentFrame_ = QImage(); // a new page starts from a whole picture
            Q_EMIT frameClientsChanged(frameClients());
        }
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
    const bool frames = it->second.frames;
    it->second.socket->deleteLater();
    clients_.erase(it);
    Q_EMIT disconnected(id);
    if (frames)
        Q_EMIT frameClientsChanged(frameClients());
}

void ServerWorker::send(quint64 client, const QByteArray& message) {
    if (auto it = clients_.find(client); it != clients_.end()) {
        it->second.greeted = true; // the first message a client gets is its hello
        it->second.socket->sendTextMessage(QString::fromUtf8(message));
    }
}

void ServerWorker::broadcast(const QByteArray& message) {
    const QString text = QString::fromUtf8(message);
    for (auto& [id, c] : clients_)
        if (c.greeted)
            c.socket->sendTextMessage(text);
}
