#pragma once
// The simulator as other programs see it over the control server: their command lines run
// through the command table one at a time on the UI thread, their telemetry drives the
// trip when following is on, and every change of the model goes out as an event.
#include "CommandTable.h"
#include "ControlServer.h"
#include "TelemetryFollower.h"

#include "SimClock.h"
#include <QImage>
#include <QObject>
#include <QTimer>
#include <deque>
#include <map>
#include <optional>

struct Program;
class ScriptedCompanion;

class RemoteSession : public QObject {
    Q_OBJECT
  public:
    // Requests one client may have waiting; the next is answered with an error at once.
    static constexpr int kMaxWaiting = remote::kMaxWaitingRequests;
    RemoteSession(Program& program, ScriptedCompanion& companion, ControlServer& server);
    ~RemoteSession() override;

    // Following the bus's telemetry.
    void setFollowing(bool on);
    bool following() const { return following_; }
    TelemetryFollower& follower() { return follower_; }
    // One telemetry message, from a client, a script or a recorded log.
    void telemetry(const remote::Telemetry& t);
    // The events other programs see, for the state dump: how many went out.
    quint64 eventsSent() const { return eventsSent_; }

    // Tells the pages where a tablet joins (the QR code, the address); after the server
    // has started.
    void publishAddress();
    // The whole state as the hello carries it.
    QJsonObject hello() const;

  Q_SIGNALS:
    void followingChanged(bool on);

  private:
    // A request goes through the guest gate into the program's queue, where it runs in
    // its turn; a command that waits (a sound, the lamp test) keeps the next one queued
    // rather than running it inside its wait.
    void received(quint64 client, const remote::Request& r);
    void runGuest(quint64 client, const remote::RunRequest& run);
    // A client's request has been answered: one fewer waiting.
    void requestFinished(quint64 client);
    // To every client, stamped with the simulator's time (or `atMs`).
    void emitEvent(const QString& name, const QJsonObject& fields = {},
                   std::optional<int64_t> atMs = std::nullopt);
    void watchModel();
    QJsonObject stopFields(int row) const;
    void checkSpeechEnd();
    // The pages: the board's picture while a page shows it, the panel's state as it
    // changes, and the address a tablet joins by.
    void streamFrame();
    void panelChanged();

    Program& p_;
    ControlServer& server_;
    CommandContext ctx_;
    TelemetryFollower follower_;
    bool following_ = false;
    std::map<quint64, int> waiting_; // requests queued per client
    SimTimer speechWatch_;
    bool speaking_ = false;
    int speakingLine_ = 0;
    QString speakingText_;
    quint64 eventsSent_ = 0;
    QTimer frameTimer_;
    QImage lastFrame_;
    bool panelPending_ = false;
};
