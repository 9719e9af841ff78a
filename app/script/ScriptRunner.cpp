#include "ScriptRunner.h"

#include "Program.h"
#include "StallWatch.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <memory>

ScriptRunner::ScriptRunner(Program& program, ScriptedCompanion& companion, QObject* parent)
    : QObject(parent), program_(program), ctx_{program, companion, 0, {}, {}} {
    // A virtual clock waits for the script's next line: time moves only as the script
    // says, however late its input comes through a pipe.
    gate_ = sim_.addGate([this] { return !waitingForLine_; });
}

ScriptRunner::~ScriptRunner() {
    // The clock outlives the program (a runner may be the application's child, destroyed
    // after the program is gone).
    sim_.removeGate(gate_);
}

void ScriptRunner::start(const QStringList& lines) {
    auto at = std::make_shared<qsizetype>(0);
    start([lines, at]() -> Next {
        if (*at >= lines.size())
            return {};
        return {Next::Kind::Line, lines[(*at)++]};
    });
}

void ScriptRunner::start(Source next) {
    next_ = std::move(next);
    waitingForLine_ = false;
    ctx_.startedMs = program_.sim.nowMs();
    lineNo_ = 0;
    running_ = true;
    feed();
}

void ScriptRunner::linesArrived() {
    if (waitingForLine_) {
        waitingForLine_ = false;
        feed();
        program_.sim.poke();
    }
}

void ScriptRunner::feed() {
    for (;;) {
        const Next n = next_();
        if (n.kind == Next::Kind::End) {
            finish(Outcome::Finished);
            return;
        }
        if (n.kind == Next::Kind::Later) {
            waitingForLine_ = true;
            return;
        }
        ++lineNo_;
        const QString line = n.text.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        auto result = std::make_shared<CommandResult>();
        program_.queue.submit({CommandQueue::Source::Script, line,
                               [this, line, result] {
                                   StallWatch::setActivity(
                                       QStringLiteral("script line %1: %2").arg(lineNo_).arg(line));
                                   ctx_.late.reset();
                                   ctx_.pause.reset();
                                   *result = runCommandLine(ctx_, line);
                               },
                               [this, line, result] {
                                   StallWatch::setActivity({});
                                   lineDone(line, ctx_.late ? *ctx_.late : *result);
                               }});
        return;
    }
}

void ScriptRunner::lineDone(const QString& line, const CommandResult& r) {
    if (r.error) {
        error_ = QStringLiteral("script line %1: %2: %3").arg(lineNo_).arg(line, *r.error);
        finish(Outcome::Error);
        return;
    }
    // What a command answers (the state) goes to standard output, a line each.
    if (r.value.isObject()) {
        std::fprintf(stdout, "%s\n",
                     QJsonDocument(r.value.toObject()).toJson(QJsonDocument::Compact).constData());
        std::fflush(stdout);
    }
    if (r.quit) {
        finish(Outcome::Quit);
        return;
    }
    if (!ctx_.pause) {
        feed();
        return;
    }
    const CommandContext::Pause pause = *ctx_.pause;
    ctx_.pause.reset();
    pauseThen(pause, [this, line, resume = pause.resume] {
        if (!resume) {
            feed();
            return;
        }
        // What comes after the pause (`at`'s command) is a command of its own.
        program_.queue.submit(
            {CommandQueue::Source::Script, line,
             [this, resume] {
                 ctx_.late.reset();
                 resume();
             },
             [this, line] { lineDone(line, ctx_.late ? *ctx_.late : CommandResult{}); }});
    });
}

void ScriptRunner::pauseThen(const CommandContext::Pause& pause, std::function<void()> go) {
    if (pause.untilMs >= 0) {
        program_.sim.schedule(pause.untilMs, this, std::move(go));
        return;
    }
    if (!pause.until || pause.until()) {
        go();
        return;
    }
    program_.sim.after(CommandQueue::kPollMs, this,
                       [this, pause, go = std::move(go)] { pauseThen(pause, go); });
}

void ScriptRunner::finish(Outcome o) {
    if (!running_)
        return;
    running_ = false;
    Q_EMIT finished(o);
}
