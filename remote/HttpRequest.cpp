#include "HttpRequest.h"

#include <QList>
#include <QUrl>
#include <QUrlQuery>
#include <cstring>

namespace remote::http {

namespace {

Error bad(const char* message) {
    return {400, "Bad Request", QByteArray(message) + '\n'};
}

bool isTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return c != 0 && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

bool isToken(const QByteArray& s) {
    if (s.isEmpty())
        return false;
    for (char c : s)
        if (!isTokenChar(c))
            return false;
    return true;
}

// "a, B ,c" -> does it hold `want` (case-insensitive)?
bool listHas(const QByteArray& value, const QByteArray& want) {
    for (const QByteArray& item : value.split(','))
        if (item.trimmed().compare(want, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool validPort(const QString& s, int& port) {
    if (s.isEmpty() || s.size() > 5)
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    port = s.toInt();
    return port <= 65535;
}

// The request line: METHOD SP target SP HTTP/1.x, single spaces, nothing else.
std::optional<Error> readRequestLine(const QByteArray& line, Request& r) {
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || parts[1].isEmpty())
        return bad("malformed request line");
    if (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0")
        return bad("HTTP/1.0 or HTTP/1.1 only");
    r.method = parts[0];
    r.target = parts[1];
    for (char c : r.target)
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            return bad("malformed request target");
    if (r.target.startsWith('/')) {
        const qsizetype q = r.target.indexOf('?');
        r.path = QUrl::fromPercentEncoding(r.target.left(q < 0 ? r.target.size() : q));
        r.query = q < 0 ? QString() : QString::fromLatin1(r.target.mid(q + 1));
        return std::nullopt;
    }
    // The absolute form names a host; it must be one of ours, checked by the router.
    if (!r.target.toLower().startsWith("http://"))
        return bad("malformed request target");
    const QByteArray rest = r.target.mid(7);
    const qsizetype slash = rest.indexOf('/');
    const qsizetype q = rest.indexOf('?');
    const qsizetype end = slash < 0 ? (q < 0 ? rest.size() : q) : (q < 0 ? slash : std::min(slash, q));
    r.absoluteHost = parseHost(QString::fromLatin1(rest.left(end)));
    if (!r.absoluteHost)
        return bad("malformed host in the request target");
    const QByteArray tail = rest.mid(end);
    const qsizetype tq = tail.indexOf('?');
    r.path = QUrl::fromPercentEncoding(tail.left(tq < 0 ? tail.size() : tq));
    if (r.path.isEmpty())
        r.path = QStringLiteral("/");
    r.query = tq < 0 ? QString() : QString::fromLatin1(tail.mid(tq + 1));
    return std::nullopt;
}

} // namespace

std::optional<HostPort> parseHost(const QString& field) {
    const QString f = field.trimmed().toLower();
    if (f.isEmpty() || f.size() > 255)
        return std::nullopt;
    HostPort hp;
    QString portText;
    if (f.startsWith(QLatin1Char('['))) {
        const qsizetype close = f.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        hp.host = f.mid(1, close - 1);
        // Hex digits, colons and (for a mapped IPv4 tail) dots; the router asks the
        // network layer whether the address is ours.
        if (hp.host.isEmpty() || !hp.host.contains(QLatin1Char(':')))
            return std::nullopt;
        for (QChar c : hp.host)
            if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                  (c >= QLatin1Char('a') && c <= QLatin1Char('f')) || c == QLatin1Char(':') ||
                  c == QLatin1Char('.')))
                return std::nullopt;
        const QString after = f.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(QLatin1Char(':')))
                return std::nullopt;
            portText = after.mid(1);
            if (!validPort(portText, hp.port))
                return std::nullopt;
        }
        return hp;
    }
    const qsizetype colon = f.indexOf(QLatin1Char(':'));
    hp.host = colon < 0 ? f : f.left(colon);
    if (colon >= 0 && !validPort(f.mid(colon + 1), hp.port))
        return std::nullopt;
    if (hp.host.isEmpty())
        return std::nullopt;
    // A name or an IPv4 address: letters, digits, dots and hyphens, nothing that could
    // carry a user, a path or a second host.
    for (QChar c : hp.host)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('.') &&
            c != QLatin1Char('-'))
            return std::nullopt;
    return hp;
}

qsizetype headEnd(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    const qsizetype seen = end < 0 ? bytes.size() : end;
    for (qsizetype i = 0; i < seen; ++i)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return -1;
    if (end < 0)
        return bytes.size() >= kMaxHead ? -1 : 0;
    return end + 4 > kMaxHead ? -1 : end + 4;
}

std::variant<Request, Error> parseHead(const QByteArray& head) {
    if (head.size() > kMaxHead)
        return Error{431, "Request Header Fields Too Large", "request head too large\n"};
    QList<QByteArray> lines = head.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray& l = lines[i];
        // Every line but the last ends in CR LF; a bare LF is not HTTP.
        if (i + 1 < lines.size()) {
            if (!l.endsWith('\r'))
                return bad("bare line feed");
            l.chop(1);
        }
        if (l.contains('\r') || l.contains('\0'))
            return bad("stray carriage return or NUL");
    }
    Request r;
    if (auto e = readRequestLine(lines.value(0), r))
        return *e;
    int hosts = 0;
    QByteArray upgrade, connection;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& l = lines[i];
        if (l.isEmpty())
            return bad("empty header line");
        const qsizetype colon = l.indexOf(':');
        if (colon <= 0 || !isToken(l.left(colon)))
            return bad("malformed header line");
        const QByteArray name = l.left(colon).toLower();
        const QByteArray value = l.mid(colon + 1).trimmed();
        if (name == "host") {
            if (++hosts > 1)
                return bad("more than one Host");
            const auto hp = parseHost(QString::fromLatin1(value));
            if (!hp)
                return bad("malformed Host");
            r.host = *hp;
        } else if (name == "origin") {
            r.origin = QString::fromLatin1(value);
        } else if (name == "upgrade") {
            upgrade += value + ',';
        } else if (name == "connection") {
            connection += value + ',';
        }
    }
    if (hosts == 0)
        return bad("no Host");
    r.websocket = listHas(upgrade, "websocket") && listHas(connection, "upgrade");
    return r;
}

Route route(const Request& r, const Site& site) {
    Route out;
    if (r.method != "GET" && r.method != "HEAD") {
        out.error = {405, "Method Not Allowed", "GET only\n"};
        out.allow = "GET, HEAD";
        return out;
    }
    // A name that is not this computer's is another site reached through this one.
    const bool hostOk = site.hostIsOurs(r.host.host) &&
                        (!r.absoluteHost || site.hostIsOurs(r.absoluteHost->host));
    if (!hostOk || !site.originIsOurs(r.origin)) {
        out.error = {403, "Forbidden", "not from this computer\n"};
        return out;
    }
    if (r.websocket) {
        out.kind = Route::Kind::WebSocket;
        return out;
    }
    if (!site.exists(r.path)) {
        out.error = {404, "Not Found", "no such page\n"};
        return out;
    }
    if (site.lan && site.needsToken(r.path) &&
        QUrlQuery(r.query).queryItemValue(QStringLiteral("token")) != site.token) {
        out.error = {403, "Forbidden", QStringLiteral("トークンが必要です (?token=...)\n").toUtf8()};
        return out;
    }
    out.kind = Route::Kind::Page;
    out.path = r.path;
    return out;
}

} // namespace remote::http
