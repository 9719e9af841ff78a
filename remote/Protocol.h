#pragma once
// The control protocol's messages as JSON text: what a client may send (a line of the
// script language, or the bus's telemetry) and what the simulator answers and pushes.
// Free of sockets, so every message can be tested as data.
#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

namespace remote {

inline constexpr quint16 kDefaultPort = 52700;
// A request larger than this closes its connection: no command or telemetry is near it.
inline constexpr qint64 kMaxMessageBytes = 64 * 1024;

// {"id": 7, "run": "key route"}
struct RunRequest {
    QJsonValue id;
    QString line;
};

// {"telemetry": {"doors": "open", "speedKmh": 23.5, "stop": 4, "distanceToNextStopM": 180}}:
// every field optional; a message is the complete current state.
struct Telemetry {
    std::optional<bool> doorsOpen;
    std::optional<double> speedKmh;
    std::optional<int> stop;
    std::optional<double> distanceToNextStopM;
    bool operator==(const Telemetry&) const = default;
};

// Anything else: the answer names what is wrong (and the id, when there was one).
struct BadRequest {
    QJsonValue id;
    QString error;
};

using Request = std::variant<RunRequest, Telemetry, BadRequest>;

Request parseRequest(const QByteArray& text);
// The telemetry object alone (a line of a recorded log carries it beside its time).
std::variant<Telemetry, QString> parseTelemetry(const QJsonValue& v);

// `messages`: what the program said while the command ran (a message box's text, which
// a network client gets instead of a window on the desktop).
QByteArray okAnswer(const QJsonValue& id, const QJsonValue& result,
                    const QStringList& messages = {});
QByteArray errorAnswer(const QJsonValue& id, const QString& error,
                       const QStringList& messages = {});
// Requests one client may have waiting to run; the next is refused at once by the
// server's own thread, so a flood never reaches the board's.
inline constexpr int kMaxWaitingRequests = 16;
// The longest command line a client may send.
inline constexpr qsizetype kMaxCommandLine = 1024;
// {"event": name, ...fields}
QByteArray eventMessage(const QString& name, QJsonObject fields = {});

} // namespace remote
