#include "ServerWorker.h"

#include "HttpRequest.h"

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
            // Connections that never finish their request are capped and timed out, so a
            // program opening sockets by the thousand cannot use up the server.
            if (unfinished_ >= remote::http::kMaxUnfinished) {
                s->abort();
                s->deleteLater();
                continue;
            }
            ++unfinished_;
            s->setProperty("unfinished", true);
            s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            connect(s, &QTcpSocket::readyRead, this, [this, s] { route(s); });
            connect(s, &QTcpSocket::disconnected, this, [this, s] {
                if (s->property("unfinished").toBool()) {
                    s->setProperty("unfinished", false);
                    --unfinished_;
                    s->deleteLater();
                }
            });
            QTimer::singleShot(10000, s, [s] {
                if (s->property("unfinished").toBool())
                    s->abort();
            });
        }
    });
    // However still the board stands, every page gets a whole picture now and then, so a
    // page that lost one is right again within seconds.
    auto* refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, [this] {
        std::vector<quint64> ids;
        for (auto& [id, c] : clients_)
            if (c.frames && c.greeted)
                ids.push_back(id);
        for (quint64 id : ids)
            if (auto it = clients_.find(id); it != clients_.end())
                sendWhole(id, it->second);
    });
    refresh->start(kWholeFrameMs);
    const QHostAddress where = config_.lan ? QHostAddress::Any : QHostAddress::LocalHost;
    if (!tcp_->listen(where, config_.port))
        return {0, tcp_->errorString()};
    return {tcp_->serverPort(), {}};
}

void ServerWorker::close() {
    // Whatever was sent before (an answer, the quit event) goes out first, then a close
    // frame, so every client learns the program has ended rather than losing the line.
    for (auto& [id, c] : clients_) {
        c.socket->disconnect(this);
        c.socket->close(QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("quit"));
        c.socket->flush();
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
    if (!s->property("unfinished").toBool())
        return;
    const QByteArray bytes = s->peek(remote::http::kMaxHead);
    const qsizetype end = remote::http::headEnd(bytes);
    if (end == 0)
        return; // the rest of the request is still coming
    s->setProperty("unfinished", false);
    --unfinished_;
    disconnect(s, &QTcpSocket::readyRead, this, nullptr);
    disconnect(s, &QTcpSocket::disconnected, this, nullptr);
    connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    if (end < 0)
        return reply(s, false, "400 Bad Request", "text/plain", "malformed request\n");
    serveHttp(s, bytes.left(end - 4));
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

void ServerWorker::reply(QTcpSocket* s, bool headOnly, const QByteArray& status,
                         const QByteArray& type, const QByteArray& body, const QByteArray& extra) {
    s->readAll();
    // No page of ours may be framed by another site (a click on a hidden panel).
    s->write(QByteArray("HTTP/1.1 ") + status + "\r\nContent-Type: " + type +
             "\r\nContent-Length: " + QByteArray::number(body.size()) +
             "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
             "Content-Security-Policy: frame-ancestors 'none'\r\nX-Frame-Options: DENY\r\n" +
             extra + "Connection: close\r\n\r\n" + (headOnly ? QByteArray() : body));
    s->disconnectFromHost();
}

void ServerWorker::serveHttp(QTcpSocket* s, const QByteArray& head) {
    namespace http = remote::http;
    const auto parsed = http::parseHead(head);
    if (const auto* e = std::get_if<http::Error>(&parsed))
        return reply(s, false, QByteArray::number(e->status) + ' ' + e->reason, "text/plain",
                     e->message);
    const auto& request = std::get<http::Request>(parsed);
    http::Site site;
    site.hostIsOurs = [this](const QString& h) { return hostIsOurs(h); };
    site.originIsOurs = [this](const QString& o) { return originIsOurs(o); };
    site.exists = [this](const QString& p) {
        return pages().count(p) > 0 || files_.count(p) > 0;
    };
    site.needsToken = [](const QString& p) {
        const auto page = pages().find(p);
        return page == pages().end() || page->second.needsToken;
    };
    site.lan = config_.lan;
    site.token = config_.token;
    const http::Route r = http::route(request, site);
    const bool headOnly = request.method == "HEAD";
    if (r.kind == http::Route::Kind::WebSocket) {
        // The WebSocket server reads the handshake itself: it is still unread.
        disconnect(s, &QTcpSocket::disconnected, s, nullptr);
        server_->handleConnection(s);
        return;
    }
    if (r.kind == http::Route::Kind::Refused)
        return reply(s, headOnly, QByteArray::number(r.error.status) + ' ' + r.error.reason,
                     "text/plain; charset=utf-8", r.error.message,
                     r.allow.isEmpty() ? QByteArray() : "Allow: " + r.allow + "\r\n");
    if (const auto file = files_.find(r.path); file != files_.end())
        return reply(s, headOnly, "200 OK", file->second.first, file->second.second);
    const Page& page = pages().at(r.path);
    QFile f(QString::fromLatin1(page.resource));
    if (!f.open(QIODevice::ReadOnly))
        return reply(s, headOnly, "500 Internal Server Error", "text/plain", "page missing\n");
    reply(s, headOnly, "200 OK", page.type, f.readAll());
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
    // Against what the pages show, so a picture skipped meanwhile loses nothing; a page
    // that missed one sees the gap in the numbers and asks for a whole picture.
    const bool whole = !sinceWhole_.isValid() || sinceWhole_.elapsed() >= kWholeFrameMs;
    const QByteArray message =
        encodeFrame(pendingFrame_, whole ? QImage() : sentFrame_, frameSeq_ + 1);
    if (message.isEmpty()) {
        pendingFrame_ = QImage();
        return;
    }
    sentFrame_ = pendingFrame_;
    pendingFrame_ = QImage();
    ++frameSeq_;
    if (whole)
        sinceWhole_.start();
    std::vector<quint64> ids;
    for (auto& [id, c] : clients_)
        if (c.frames && c.greeted)
            ids.push_back(id);
    for (quint64 id : ids)
        if (auto it = clients_.find(id); it != clients_.end()) {
            if (it->second.wantsWhole)
                sendWhole(id, it->second);
            else
                write(id, it->second, nullptr, &message);
        }
}

void ServerWorker::sendWhole(quint64 id, Client& c) {
    if (sentFrame_.isNull())
        return; // the next picture goes out whole anyway
    c.wantsWhole = false;
    const QByteArray message = encodeFrame(sentFrame_, QImage(), frameSeq_);
    write(id, c, nullptr, &message);
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

QByteArray ServerWorker::encodeFrame(const QImage& frame, const QImage& before, quint32 seq) {
    const QImage now = frame.convertToFormat(QImage::Format_ARGB32);
    QRect part = now.rect();
    if (!before.isNull() && before.size() == now.size() && before.format() == now.format()) {
        part = changedPart(now, before);
        if (part.isEmpty())
            return {};
    }
    QByteArray message(12, '\0');
    const int head[4] = {part.x(), part.y(), now.width(), now.height()};
    for (int i = 0; i < 4; ++i) {
        message[2 * i] = static_cast<char>(head[i] & 0xFF);
        message[2 * i + 1] = static_cast<char>((head[i] >> 8) & 0xFF);
    }
    for (int i = 0; i < 4; ++i)
        message[8 + i] = static_cast<char>((seq >> (8 * i)) & 0xFF);
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
        if (c.frames)
            Q_EMIT frameClientsChanged(frameClients());
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
    if (c.frames && text == QLatin1String("{\"frames\":\"whole\"}")) {
        // A page that saw a gap in the pictures' numbers starts again from a whole one.
        c.wantsWhole = true;
        if (c.greeted)
            sendWhole(id, c);
        return;
    }
    const remote::Request r = remote::parseRequest(text.toUtf8());
    // Telemetry is the bus's state, small and quick to follow, and a follower needs every
    // change of it: only the per-second flood limit applies to it.
    const bool counted = !std::holds_alternative<remote::Telemetry>(r);
    if (counted && c.waiting >= remote::kMaxWaitingRequests) {
        // Refused here, on the server's thread: a greedy client never reaches the board's.
        const QJsonValue rid = std::holds_alternative<remote::RunRequest>(r)
                                   ? std::get<remote::RunRequest>(r).id
                                   : QJsonValue();
        send(id, remote::errorAnswer(rid, QStringLiteral("too many requests waiting (at most %1)")
                                              .arg(remote::kMaxWaitingRequests)));
        return;
    }
    if (counted)
        ++c.waiting;
    Q_EMIT request(id, r);
}

void ServerWorker::requestDone(quint64 client) {
    if (auto it = clients_.find(client); it != clients_.end() && it->second.waiting > 0)
        --it->second.waiting;
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

void ServerWorker::write(quint64 id, Client& c, const QString* text, const QByteArray* binary) {
    if (c.socket->bytesToWrite() > kMaxUnsentBytes) {
        c.socket->abort();
        drop(id);
        return;
    }
    if (text)
        c.socket->sendTextMessage(*text);
    else
        c.socket->sendBinaryMessage(*binary);
}

void ServerWorker::send(quint64 client, const QByteArray& message) {
    auto it = clients_.find(client);
    if (it == clients_.end())
        return;
    Client& c = it->second;
    const bool first = !c.greeted;
    c.greeted = true; // the first message a client gets is its hello
    const QString text = QString::fromUtf8(message);
    write(client, c, &text, nullptr);
    // A page showing the board starts from a whole picture, right after its hello.
    if (first && c.frames)
        if (auto again = clients_.find(client); again != clients_.end())
            sendWhole(client, again->second);
}

void ServerWorker::broadcast(const QByteArray& message) {
    const QString text = QString::fromUtf8(message);
    std::vector<quint64> ids;
    for (auto& [id, c] : clients_)
        if (c.greeted)
            ids.push_back(id);
    for (quint64 id : ids)
        if (auto it = clients_.find(id); it != clients_.end())
            write(id, it->second, &text, nullptr);
}
