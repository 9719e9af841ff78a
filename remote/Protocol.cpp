#include "Protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <cmath>

namespace remote {

namespace {

QByteArray compact(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// A finite, non-negative number, as speeds and distances are.
std::optional<double> measure(const QJsonValue& v) {
    if (!v.isDouble() || !std::isfinite(v.toDouble()) || v.toDouble() < 0)
        return std::nullopt;
    return v.toDouble();
}

} // namespace

std::variant<Telemetry, QString> parseTelemetry(const QJsonValue& v) {
    if (!v.isObject())
        return QStringLiteral("\"telemetry\" must be an object");
    Telemetry t;
    const QJsonObject o = v.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        const QString& key = it.key();
        const QJsonValue& x = it.value();
        if (key == QLatin1String("doors")) {
            if (x.toString() != QLatin1String("open") && x.toString() != QLatin1String("closed"))
                return QStringLiteral("\"doors\" is \"open\" or \"closed\"");
            t.doorsOpen = x.toString() == QLatin1String("open");
        } else if (key == QLatin1String("speedKmh")) {
            if (!(t.speedKmh = measure(x)))
                return QStringLiteral("\"speedKmh\" is a number of at least 0");
        } else if (key == QLatin1String("distanceToNextStopM")) {
            if (!(t.distanceToNextStopM = measure(x)))
                return QStringLiteral("\"distanceToNextStopM\" is a number of at least 0");
        } else if (key == QLatin1String("stop")) {
            const double d = x.toDouble(-1);
            if (!x.isDouble() || d < 1 || d > 100000 || d != std::floor(d))
                return QStringLiteral("\"stop\" is a row number from 1");
            t.stop = static_cast<int>(d);
        } else {
            return QStringLiteral("unknown telemetry field \"%1\"").arg(key);
        }
    }
    return t;
}

Request parseRequest(const QByteArray& text) {
    if (text.size() > kMaxMessageBytes)
        return BadRequest{{}, QStringLiteral("message too large")};
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
    if (err.error != QJsonParseError::NoError)
        return BadRequest{{}, QStringLiteral("not JSON: %1").arg(err.errorString())};
    if (!doc.isObject())
        return BadRequest{{}, QStringLiteral("a message is a JSON object")};
    const QJsonObject o = doc.object();
    if (o.contains(QLatin1String("telemetry"))) {
        if (o.size() != 1)
            return BadRequest{o.value(QLatin1String("id")),
                              QStringLiteral("a telemetry message holds \"telemetry\" alone")};
        auto t = parseTelemetry(o.value(QLatin1String("telemetry")));
        if (auto* e = std::get_if<QString>(&t))
            return BadRequest{{}, *e};
        return std::get<Telemetry>(t);
    }
    const QJsonValue id = o.value(QLatin1String("id"));
    if (!id.isDouble() && !id.isString())
        return BadRequest{{}, QStringLiteral("missing field \"id\" (a number or a string)")};
    const QJsonValue run = o.value(QLatin1String("run"));
    if (!run.isString())
        return BadRequest{id,
                          QStringLiteral("missing field \"run\" (a line of the script language)")};
    const QString line = run.toString().trimmed();
    if (line.isEmpty() || line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')))
        return BadRequest{id, QStringLiteral("\"run\" holds one command line")};
    if (line.size() > kMaxCommandLine)
        return BadRequest{id, QStringLiteral("a command line is at most %1 characters")
                                  .arg(kMaxCommandLine)};
    return RunRequest{id, line};
}

QByteArray okAnswer(const QJsonValue& id, const QJsonValue& result, const QStringList& messages) {
    QJsonObject o{{QStringLiteral("id"), id}, {QStringLiteral("ok"), true}};
    o[QStringLiteral("result")] = result.isUndefined() ? QJsonValue() : result;
    if (!messages.isEmpty())
        o[QStringLiteral("messages")] = QJsonArray::fromStringList(messages);
    return compact(o);
}

QByteArray errorAnswer(const QJsonValue& id, const QString& error, const QStringList& messages) {
    QJsonObject o{{QStringLiteral("id"), id.isUndefined() ? QJsonValue() : id},
                  {QStringLiteral("ok"), false},
                  {QStringLiteral("error"), error}};
    if (!messages.isEmpty())
        o[QStringLiteral("messages")] = QJsonArray::fromStringList(messages);
    return compact(o);
}

QByteArray eventMessage(const QString& name, QJsonObject fields) {
    fields[QStringLiteral("event")] = name;
    return compact(fields);
}

} // namespace remote
