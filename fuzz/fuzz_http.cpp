// The control port's HTTP reader: any bytes are read as a request's head, and whatever
// parses is routed as the server would route it, with and without the network's token.
#include "HttpRequest.h"
#include "RemotePolicy.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace http = remote::http;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype end = http::headEnd(bytes);
    const auto parsed = http::parseHead(end > 0 ? bytes.left(end - 4) : bytes);
    if (const auto* r = std::get_if<http::Request>(&parsed)) {
        http::Site site;
        site.hostIsOurs = [](const QString& h) { return h == QLatin1String("127.0.0.1"); };
        site.originIsOurs = [](const QString& o) { return o.isEmpty(); };
        site.exists = [](const QString& p) { return p == QLatin1String("/board"); };
        site.needsToken = [](const QString&) { return true; };
        site.token = QStringLiteral("0123456789abcdef");
        for (bool lan : {false, true}) {
            site.lan = lan;
            (void)http::route(*r, site);
        }
    }
    // The same bytes as a command line a client sends, through the guest gate.
    remote::GuestFacts facts;
    facts.plainValueOption = [](const QString& n) { return n.size() % 2 == 0; };
    (void)remote::guestPermission(QString::fromUtf8(bytes).split(QLatin1Char(' ')), facts);
    return 0;
}
