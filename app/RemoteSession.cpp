#include "RemoteSession.h"

#include "Program.h"
#include "StateDump.h"

#include "RemotePolicy.h"
#include "ScriptedCompanion.h"

#include "Barcode.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkInterface>
#include <QPainter>

RemoteSession::RemoteSession(Program& program, ScriptedCompanion& companion, ControlServer& server)
    : p_(program), server_(server), ctx_{program, companion, 0, {}, {}} {
    connect(&server_, &ControlServer::disconnected, this,
            [this](quint64 client) { waiting_.erase(client); });
    ctx_.startedMs = p_.sim.nowMs();
    connect(&server_, &ControlServer::connected, this, [this](quint64 client) {
        server_.send(client, remote::eventMessage(QStringLiteral("hello"), hello()));
    });
    connect(&server_, &ControlServer::request, this, &RemoteSession::received);
    // Up to 60 pictures a second, each only when the board looks different.
    frameTimer_.setInterval(16);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &RemoteSession::streamFrame);
    connect(&server_, &ControlServer::frameClientsChanged, this, [this](int count) {
        lastFrame_ = QImage();
        if (count > 0)
            frameTimer_.start();
        else
            frameTimer_.stop();
    });
    speechWatch_.setInterval(20);
    connect(&speechWatch_, &SimTimer::timeout, this, &RemoteSession::checkSpeechEnd);
    watchModel();
}

RemoteSession::~RemoteSession() {
    if (p_.channels)
        p_.channels->played = nullptr;
}

QJsonObject RemoteSession::hello() const {
    return {{QStringLiteral("version"), QStringLiteral(MINAMO_VERSION)},
            {QStringLiteral("state"), dumpState(p_)}};
}

void RemoteSession::received(quint64 client, const remote::Request& r) {
    if (const auto* t = std::get_if<remote::Telemetry>(&r)) {
        // Followed in order, never refused for waiting.
        p_.queue.submit(CommandQueue::Source::Telemetry, QStringLiteral("telemetry"),
                        [this, m = *t] { telemetry(m); });
        return;
    }
    int& waiting = waiting_[client];
    if (waiting >= kMaxWaiting) {
        // A greedy client is told so at once rather than queued behind itself.
        const QJsonValue id = std::holds_alternative<remote::RunRequest>(r)
                                  ? std::get<remote::RunRequest>(r).id
                                  : QJsonValue();
        server_.send(
            client,
            remote::errorAnswer(
                id, QStringLiteral("too many requests waiting (at most %1)").arg(kMaxWaiting)));
        return;
    }
    ++waiting;
    if (const auto* run = std::get_if<remote::RunRequest>(&r)) {
        runGuest(client, *run);
        return;
    }
    // Answered in its turn, so a client's answers keep the order of its requests.
    const auto& bad = std::get<remote::BadRequest>(r);
    p_.queue.submit(
        {CommandQueue::Source::Remote, QStringLiteral("bad request"),
         [this, client, bad] { server_.send(client, remote::errorAnswer(bad.id, bad.error)); },
         [this, client] { requestFinished(client); }});
}

void RemoteSession::requestFinished(quint64 client) {
    if (auto it = waiting_.find(client); it != waiting_.end() && --it->second <= 0)
        waiting_.erase(it);
    server_.requestDone(client);
}

void RemoteSession::runGuest(quint64 client, const remote::RunRequest& run) {
    const QStringList words = run.line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // The command waits its turn in the program's queue like any other, and the guest gate
    // decides in that turn: an option set by a command queued before it counts. Its answer
    // goes out when it and what it holds (the lamp test, a sound) have finished.
    auto res = std::make_shared<CommandResult>();
    auto quitting = std::make_shared<bool>(false);
    const bool option = words.value(0) == QLatin1String("option");
    p_.queue.submit(
        {CommandQueue::Source::Remote, run.line,
         [this, client, run, res, quitting, words] {
             remote::GuestFacts facts;
             facts.quitAllowed = p_.options.RemoteQuit != 0;
             facts.plainValueOption = [](const QString& name) {
                 const OptionField* f = findOptionField(name);
                 return f && f->kind != OptionField::Kind::Str;
             };
             const remote::GuestDecision d =
                 findCommand(words.value(0))
                     ? remote::guestPermission(words, facts)
                     : remote::GuestDecision{false, QStringLiteral("unknown command")};
             ctx_.late.reset();
             if (!d.allowed) {
                 *res = CommandResult::fail(d.reason);
                 return;
             }
             *quitting = words[0] == QLatin1String("quit");
             if (*quitting) // answered before the program starts to close, so it goes out
                 server_.send(client, remote::okAnswer(run.id, QJsonValue()));
             ctx_.companion.setGuest(true);
             *res = runCommandLine(ctx_, run.line);
         },
         [this, client, run, res, quitting, option] {
             ctx_.companion.setGuest(false);
             const CommandResult r = ctx_.late ? *ctx_.late : *res;
             const QStringList messages = ctx_.companion.takeGuestMessages();
             // A plain value set from the network takes effect as the dialog's OK would.
             if (!r.error && option)
                 p_.applyOptions();
             if (!(*quitting && !r.error))
                 server_.send(client, r.error ? remote::errorAnswer(run.id, *r.error, messages)
                                              : remote::okAnswer(run.id, r.value, messages));
             requestFinished(client);
         }});
}

void RemoteSession::setFollowing(bool on) {
    if (on == following_)
        return;
    following_ = on;
    follower_.reset();
    Q_EMIT followingChanged(on);
    emitEvent(QStringLiteral("follow"), {{QStringLiteral("on"), on}});
}

void RemoteSession::telemetry(const remote::Telemetry& t) {
    const TelemetryFollower::Actions a = follower_.update(t, p_.trip->state().CurrentRow);
    if (!following_ || !p_.trip->routeSet())
        return;
    // As the operator would: a jump first, then leaving the stop, then the announcement of
    // the stop that is now next. With a broadcast list the board moves through 送り alone.
    if (a.jumpTo)
        p_.trip->jumpTo(*a.jumpTo);
    const bool list = p_.trip->tapeGroupEnabled() && p_.tape->GetTapeCount() > 0;
    auto nextFlag = [this] {
        return p_.trip->tapeHasNext() ? p_.tape->GetAdvanceFlag(p_.tape->GetTapePos() + 1) : -1;
    };
    auto apply = [this](TelemetryFollower::Move m) {
        if (m == TelemetryFollower::Move::TapeNext)
            p_.trip->tapeNext();
        else if (m == TelemetryFollower::Move::DataStep && !p_.trip->blanked())
            p_.trip->step(true);
    };
    if (a.step)
        apply(TelemetryFollower::onMovingOff(list, nextFlag()));
    if (a.announce)
        apply(TelemetryFollower::onApproach(list, nextFlag()));
}

void RemoteSession::emitEvent(const QString& name, const QJsonObject& fields,
                              std::optional<int64_t> atMs) {
    ++eventsSent_;
    QJsonObject stamped = fields;
    stamped[QStringLiteral("ms")] = static_cast<qint64>(atMs.value_or(p_.sim.nowMs()));
    server_.broadcast(remote::eventMessage(name, stamped));
}

QJsonObject RemoteSession::stopFields(int row) const {
    const Trip& t = *p_.trip;
    QJsonArray fares;
    for (int n = 1; n <= limits::kFareCells; ++n) {
        const auto v = p_.board->model().shownFare(n);
        fares.append(v ? QJsonValue(*v) : QJsonValue());
    }
    const bool firstRow = row == std::max<int>(t.state().StartSection, 1);
    return {{QStringLiteral("row"), row},
            {QStringLiteral("name"), t.table().row(row).StopName},
            {QStringLiteral("prefix"), !firstRow && p_.options.TsugiwaDisplay != 0},
            {QStringLiteral("fares"), fares},
            {QStringLiteral("lateNight"), t.lateNight()}};
}

void RemoteSession::watchModel() {
    Trip& trip = *p_.trip;
    connect(&trip, &Trip::routeWasSet, this, [this] {
        const RouteState& s = p_.trip->state();
        emitEvent(QStringLiteral("route"), {{QStringLiteral("route"), s.RouteDigits},
                                            {QStringLiteral("section"), s.StartSection},
                                            {QStringLiteral("rows"), s.RowCount}});
    });
    connect(&trip, &Trip::boardUpdated, this,
            [this](int row) { emitEvent(QStringLiteral("stop"), stopFields(row)); });
    connect(&trip, &Trip::blankChanged, this, [this](bool on) {
        emitEvent(QStringLiteral("blank"), {{QStringLiteral("on"), on}});
    });
    connect(&p_.panelState, &PanelState::backlightChanged, this, [this](int state) {
        emitEvent(QStringLiteral("backlight"), {{QStringLiteral("state"), state}});
    });
    connect(&trip, &Trip::tapeMoved, this, [this] {
        if (!p_.tape->speaking())
            return;
        checkSpeechEnd(); // a line cut short by the next one ends first
        speaking_ = true;
        speakingLine_ = p_.tape->GetTapePos();
        speakingText_ = p_.tape->lastText();
        emitEvent(QStringLiteral("announce"), {{QStringLiteral("phase"), QStringLiteral("start")},
                                               {QStringLiteral("line"), speakingLine_},
                                               {QStringLiteral("text"), speakingText_}});
        speechWatch_.start();
    });
    p_.channels->played = [this](Channel c, const QString& file) {
        emitEvent(QStringLiteral("sound"),
                  {{QStringLiteral("channel"), channelName(c)}, {QStringLiteral("file"), file}});
    };
    connect(p_.recording.get(), &RecordingSession::changed, this, [this] {
        emitEvent(QStringLiteral("recording"),
                  {{QStringLiteral("active"), p_.recording->recording()},
                   {QStringLiteral("file"), p_.recording->file()}});
    });
    p_.quitting.push_back([this] { emitEvent(QStringLiteral("quit")); });
    // The overlay page keeps the colours the board lights now.
    p_.lookChanged.push_back([this] {
        emitEvent(QStringLiteral("look"), {{QStringLiteral("litColors"), litColors(p_)}});
    });
    // What the panel page shows and greys follows the desktop panel.
    connect(&trip, &Trip::changed, this, &RemoteSession::panelChanged);
    connect(&p_.panelState, &PanelState::backlightChanged, this, &RemoteSession::panelChanged);
    connect(p_.autoRun.get(), &AutoRun::changed, this, &RemoteSession::panelChanged);
}

void RemoteSession::panelChanged() {
    // Several changes in one go make one event.
    if (panelPending_)
        return;
    panelPending_ = true;
    // Stamped with the moment of the first change: a virtual clock may have moved on by
    // the time the event goes out.
    QTimer::singleShot(0, this, [this, at = p_.sim.nowMs()] {
        panelPending_ = false;
        emitEvent(QStringLiteral("panel"), {{QStringLiteral("panel"), dumpPanel(p_)}}, at);
    });
}

void RemoteSession::streamFrame() {
    // Drawn from what the board shows, whether or not its window is on screen; the same
    // picture twice is not sent.
    const QImage frame = p_.board->snapshot();
    if (frame == lastFrame_)
        return;
    lastFrame_ = frame;
    server_.sendFrame(frame);
}

void RemoteSession::publishAddress() {
    if (!server_.listening())
        return;
    const ControlServer::Config& c = p_.serverConfig;
    QString host = QStringLiteral("127.0.0.1");
    if (c.lan)
        for (const QHostAddress& a : QNetworkInterface::allAddresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) {
                host = a.toString();
                break;
            }
    const QString url = QStringLiteral("http://%1:%2/").arg(host).arg(server_.port()) +
                        (c.lan ? QStringLiteral("?token=") + c.token : QString());
    server_.setFile(
        QStringLiteral("/info.json"), "application/json",
        QJsonDocument(QJsonObject{{QStringLiteral("url"), url},
                                  {QStringLiteral("version"), QStringLiteral(MINAMO_VERSION)}})
            .toJson(QJsonDocument::Compact));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    // The symbol with its quiet zone of four modules, six pixels to a module.
    const QImage modules = ticket::encodeBarcode(QStringLiteral("qr"), url).modules;
    QImage qr(modules.size() + QSize(8, 8), QImage::Format_RGB32);
    qr.fill(Qt::white);
    QPainter(&qr).drawImage(4, 4, modules);
    qr.scaled(qr.size() * 6, Qt::KeepAspectRatio, Qt::FastTransformation).save(&buffer, "PNG");
    server_.setFile(QStringLiteral("/qr.png"), "image/png", png);
}

void RemoteSession::checkSpeechEnd() {
    if (!speaking_ || (p_.tape->speaking() && p_.tape->lastText() == speakingText_))
        return;
    speaking_ = false;
    speechWatch_.stop();
    emitEvent(QStringLiteral("announce"), {{QStringLiteral("phase"), QStringLiteral("end")},
                                           {QStringLiteral("line"), speakingLine_},
                                           {QStringLiteral("text"), speakingText_}});
}
