#pragma once
// The head of an HTTP request as the control server's port reads it, and what the port
// does with it: hand it to the WebSocket server, serve a page, or answer an error. Pure
// functions over bytes, so every malformed request can be tested and fuzzed as data.
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <variant>

namespace remote::http {

// A whole head is at most this long; a longer one is refused without reading on.
inline constexpr qsizetype kMaxHead = 16 * 1024;
// Connections that have not yet sent a whole head, at most.
inline constexpr int kMaxUnfinished = 64;

struct HostPort {
    QString host; // lower case; an IPv6 address without its brackets
    int port = -1; // -1 when the field names none
};

// "name", "name:port", "[v6]", "[v6]:port": nothing else (no user, path or blanks).
std::optional<HostPort> parseHost(const QString& field);

struct Request {
    QByteArray method;
    QByteArray target;      // as sent: "/board?token=…" or "http://host:port/board"
    QString path;           // the target's path, decoded
    QString query;          // the target's query, as sent
    std::optional<HostPort> absoluteHost; // the host an absolute-form target names
    HostPort host;
    QString origin;
    bool websocket = false; // Upgrade names websocket and Connection names upgrade
};

struct Error {
    int status = 400;
    QByteArray reason;  // "Bad Request"
    QByteArray message; // the body's text
};

// The head without its closing blank line: a request, or the error to answer.
std::variant<Request, Error> parseHead(const QByteArray& head);

// Where the request's bytes end: the index just past "\r\n\r\n", 0 while incomplete, or
// -1 when the bytes so far can never become a head (too long, or a bare line feed).
qsizetype headEnd(const QByteArray& bytes);

// What the port does with a parsed request.
struct Route {
    enum class Kind { WebSocket, Page, Refused } kind = Kind::Refused;
    Error error;   // for Refused
    QString path;  // for Page
    QByteArray allow; // the Allow header that goes with a 405
};

struct Site {
    std::function<bool(const QString& host)> hostIsOurs;
    std::function<bool(const QString& origin)> originIsOurs;
    std::function<bool(const QString& path)> exists;
    std::function<bool(const QString& path)> needsToken;
    bool lan = false;
    QString token;
};

Route route(const Request& r, const Site& site);

} // namespace remote::http
