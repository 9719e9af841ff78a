#include "ScriptRunner.h"

#include "StallWatch.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

ScriptRunner::ScriptRunner(Program& program, ScriptedCompanion& companion)
    : ctx_{program, companion, {}} {}

ScriptRunner::Outcome ScriptRunner::run(const QStringList& lines) {
    qsizetype at = 0;
    return run([&]() -> std::optional<QString> {
        if (at >= lines.size())
            return std::nullopt;
        return lines[at++];
    });
}

ScriptRunner::Outcome ScriptRunner::run(const std::function<std::optional<QString>()>& next) {
    ctx_.started.start();
    for (int i = 1;; ++i) {
        const std::optional<QString> raw = next();
        if (!raw)
            return Outcome::Finished;
        const QString line = raw->trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        StallWatch::setActivity(QStringLiteral("script line %1: %2").arg(i).arg(line));
        const CommandResult r = runCommandLine(ctx_, line);
        StallWatch::setActivity({});
        if (r.error) {
            error_ = QStringLiteral("script line %1: %2: %3").arg(i).arg(line, *r.error);
            return Outcome::Error;
        }
        // What a command answers (the state) goes to standard output, a line each.
        if (r.value.isObject()) {
            std::fprintf(
                stdout, "%s\n",
                QJsonDocument(r.value.toObject()).toJson(QJsonDocument::Compact).constData());
            std::fflush(stdout);
        }
        if (r.quit)
            return Outcome::Quit;
    }
}
