// The control port's HTTP reader as a table of requests and what the port does with them.
#include "HttpRequest.h"

#include <gtest/gtest.h>

namespace {

namespace http = remote::http;

http::Site site(bool lan = false) {
    http::Site s;
    s.hostIsOurs = [](const QString& h) {
        return h == QLatin1String("127.0.0.1") || h == QLatin1String("localhost") ||
               h == QLatin1String("::1");
    };
    s.originIsOurs = [](const QString& o) {
        return o.isEmpty() || o == QLatin1String("http://127.0.0.1:52700");
    };
    s.exists = [](const QString& p) {
        return p == QLatin1String("/") || p == QLatin1String("/board") ||
               p == QLatin1String("/minamo.js");
    };
    s.needsToken = [](const QString& p) { return p != QLatin1String("/minamo.js"); };
    s.lan = lan;
    s.token = QStringLiteral("feedface");
    return s;
}

// The status the port answers (101 for a WebSocket handed on, 200 for a page).
int answer(const QByteArray& head, bool lan = false) {
    const auto parsed = http::parseHead(head);
    if (const auto* e = std::get_if<http::Error>(&parsed))
        return e->status;
    const http::Route r = http::route(std::get<http::Request>(parsed), site(lan));
    if (r.kind == http::Route::Kind::WebSocket)
        return 101;
    if (r.kind == http::Route::Kind::Page)
        return 200;
    if (r.error.status == 405) {
        EXPECT_EQ(r.allow, QByteArray("GET, HEAD"));
    }
    return r.error.status;
}

struct Row {
    const char* name;
    const char* head;
    int status;
    bool lan = false;
};

} // namespace

TEST(HttpRequest, EveryRequestGetsTheAnswerItsShapeDeserves) {
    const Row rows[] = {
        {"a page", "GET /board HTTP/1.1\r\nHost: 127.0.0.1:52700", 200},
        {"HEAD as GET", "HEAD / HTTP/1.1\r\nHost: localhost", 200},
        {"HTTP/1.0", "GET / HTTP/1.0\r\nHost: 127.0.0.1", 200},
        {"IPv6 loopback", "GET / HTTP/1.1\r\nHost: [::1]:52700", 200},
        {"no such page", "GET /etc/passwd HTTP/1.1\r\nHost: 127.0.0.1", 404},
        {"a WebSocket", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                        "Connection: keep-alive, Upgrade", 101},
        {"Upgrade as a token list", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: h2c, WebSocket\r\n"
                                    "Connection: upgrade", 101},
        {"websocket inside another token is no upgrade",
         "GET /nothing HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: notwebsocket\r\nConnection: upgrade",
         404},
        {"POST", "POST /board HTTP/1.1\r\nHost: 127.0.0.1", 405},
        {"garbage method", "G\x01T / HTTP/1.1\r\nHost: 127.0.0.1", 400},
        {"two blanks", "GET  / HTTP/1.1\r\nHost: 127.0.0.1", 400},
        {"no version", "GET /\r\nHost: 127.0.0.1", 400},
        {"HTTP/2 text", "GET / HTTP/2.0\r\nHost: 127.0.0.1", 400},
        {"bare line feed", "GET / HTTP/1.1\nHost: 127.0.0.1", 400},
        {"stray carriage return", "GET / HTTP/1.1\r\nHost: 127.0.0.1\rX: y", 400},
        {"no Host", "GET / HTTP/1.1\r\nAccept: */*", 400},
        {"two Hosts", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nHost: evil.example", 400},
        {"a folded header", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n x", 400},
        {"blank before the colon", "GET / HTTP/1.1\r\nHost : 127.0.0.1", 400},
        {"userinfo in Host", "GET / HTTP/1.1\r\nHost: evil.example@127.0.0.1", 400},
        {"path in Host", "GET / HTTP/1.1\r\nHost: 127.0.0.1/x", 400},
        {"bad port", "GET / HTTP/1.1\r\nHost: 127.0.0.1:99999", 400},
        {"another site's name", "GET / HTTP/1.1\r\nHost: evil.example", 403},
        {"absolute form for another host",
         "GET http://evil.example/board HTTP/1.1\r\nHost: 127.0.0.1", 403},
        {"absolute form for us", "GET http://127.0.0.1:52700/board HTTP/1.1\r\nHost: 127.0.0.1", 200},
        {"another site's page", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nOrigin: http://evil.example", 403},
        {"network without token", "GET /board HTTP/1.1\r\nHost: 127.0.0.1", 403, true},
        {"network with token", "GET /board?token=feedface HTTP/1.1\r\nHost: 127.0.0.1", 200, true},
        {"a script needs no token", "GET /minamo.js HTTP/1.1\r\nHost: 127.0.0.1", 200, true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(answer(QByteArray(r.head), r.lan), r.status) << r.name;
}

TEST(HttpRequest, AHeadEndsAtItsBlankLineAndNotBeyondItsLimit) {
    EXPECT_EQ(http::headEnd("GET / HTTP/1.1\r\nHost: a"), 0); // still coming
    const QByteArray whole = "GET / HTTP/1.1\r\nHost: a\r\n\r\nbody";
    EXPECT_EQ(http::headEnd(whole), whole.indexOf("body"));
    EXPECT_EQ(http::headEnd("GET / HTTP/1.1\nHost: a\n\n"), -1); // bare line feeds
    EXPECT_EQ(http::headEnd(QByteArray(http::kMaxHead, 'a')), -1);
}

TEST(HttpRequest, AHostIsANameOrAddressAndAPortOnly) {
    EXPECT_EQ(http::parseHost(QStringLiteral("LocalHost:80"))->host, QStringLiteral("localhost"));
    EXPECT_EQ(http::parseHost(QStringLiteral("LocalHost:80"))->port, 80);
    EXPECT_EQ(http::parseHost(QStringLiteral("[::1]"))->host, QStringLiteral("::1"));
    EXPECT_EQ(http::parseHost(QStringLiteral("[::1]"))->port, -1);
    for (const char* bad : {"", "a b", "u:p@host", "host:", "[::1", "[zz::1]", "host:1:2",
                            "ホスト", "host#x", "host?x"})
        EXPECT_FALSE(http::parseHost(QString::fromUtf8(bad))) << bad;
}
