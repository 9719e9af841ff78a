// A network client may drive the board, never the computer: what it may not do is
// refused over the socket with its reason and leaves no file; a greedy or deaf client
// costs only itself; a quit is answered and every connection closed cleanly.
#include "RemoteRig.h"

#include <QDirIterator>
#include <QImage>
#include <QTcpSocket>

using namespace remoterig;

namespace {

// Every file under `dir`, relative to it.
QStringList filesUnder(const QString& dir) {
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(dir).relativeFilePath(it.next());
    out.sort();
    return out;
}

QJsonObject stateOf(Client& c) {
    return c.run(QStringLiteral("state"))[QStringLiteral("result")].toObject();
}

QJsonObject panelOf(const QJsonObject& state) {
    return state[QStringLiteral("frmCtl")].toObject();
}

// A WebSocket text frame as a client sends it (masked with a zero key).
QByteArray clientFrame(const QByteArray& payload) {
    QByteArray f("\x81", 1);
    if (payload.size() < 126) {
        f += static_cast<char>(0x80 | payload.size());
    } else {
        f += static_cast<char>(0x80 | 126);
        f += static_cast<char>((payload.size() >> 8) & 0xFF);
        f += static_cast<char>(payload.size() & 0xFF);
    }
    return f + QByteArray(4, '\0') + payload;
}

} // namespace

TEST(RemoteGuests, WhatNamesAFileOpensADialogOrWaitsIsRefusedWithItsReasonAndWritesNothing) {
    Simulator sim;
    ASSERT_FALSE(sim.address.isEmpty()) << sim.out.toStdString();
    Client c(sim.address);
    ASSERT_TRUE(c.hello());
    const QString d = sim.dir.path();
    const QStringList before = filesUnder(d);
    const QStringList refused = {
        QStringLiteral("option FixedDateText $(touch %1/x)").arg(d),
        QStringLiteral("state %1/state.json").arg(d),
        QStringLiteral("snapshot board %1/b.png").arg(d),
        QStringLiteral("snapshot board --zoom 2 %1/b.png").arg(d),
        QStringLiteral("record start %1/r.mp4").arg(d),
        QStringLiteral("record start tcp://127.0.0.1:9/x.mp4"),
        QStringLiteral("replay /etc/shadow"),
        QStringLiteral("answer file %1/x").arg(d),
        QStringLiteral("option FareDataFolder %1").arg(d),
        QStringLiteral("option RemoteLan 1"),
        QStringLiteral("option RemoteQuit 1"),
        QStringLiteral("wait 2147483647"),
        QStringLiteral("at 0:00 next"),
        QStringLiteral("auto wait"),
        QStringLiteral("clock 2026-01-01 00:00:00"),
        QStringLiteral("version"),
        QStringLiteral("settings"),
        QStringLiteral("ok"),
        QStringLiteral("click frmOption.Command4"),
        QStringLiteral("tape adjust"),
        QStringLiteral("digit-dialog 1 1 0 0 1"),
        QStringLiteral("quit"),
    };
    for (const QString& line : refused) {
        const QJsonObject a = c.run(line);
        ASSERT_FALSE(a.isEmpty()) << line.toStdString() << ": no answer";
        EXPECT_FALSE(a[QStringLiteral("ok")].toBool()) << line.toStdString();
        EXPECT_FALSE(a[QStringLiteral("error")].toString().isEmpty()) << line.toStdString();
    }
    // Nothing was held: the board answers at once, and no file appeared anywhere.
    EXPECT_TRUE(c.run(QStringLiteral("next"))[QStringLiteral("ok")].toBool());
    EXPECT_EQ(filesUnder(d), before);
    EXPECT_EQ(stateOf(c)[QStringLiteral("ownOptions")][QStringLiteral("RemoteLan")].toInt(), 0);
    EXPECT_FALSE(c.closed);
}

TEST(RemoteGuests, TheOperatorsCommandsActAndPicturesComeBackInTheAnswer) {
    Simulator sim;
    Client c(sim.address);
    ASSERT_TRUE(c.hello());
    setRoute(c);
    ASSERT_TRUE(c.run(QStringLiteral("next"))[QStringLiteral("ok")].toBool());
    EXPECT_EQ(stateOf(c)[QStringLiteral("CurrentRow")].toInt(), 2);

    const QJsonObject shot =
        c.run(QStringLiteral("snapshot board"))[QStringLiteral("result")].toObject();
    const QImage board = QImage::fromData(
        QByteArray::fromBase64(shot[QStringLiteral("png")].toString().toLatin1()), "PNG");
    EXPECT_EQ(board.size(), QSize(582, 344));
    EXPECT_EQ(shot[QStringLiteral("width")].toInt(), 582);
    const QJsonObject big =
        c.run(QStringLiteral("snapshot board --zoom 2"))[QStringLiteral("result")].toObject();
    EXPECT_EQ(big[QStringLiteral("width")].toInt(), 1164);

    // A plain value takes effect as the dialog's OK would.
    ASSERT_TRUE(c.run(QStringLiteral("option LedDisplay 1"))[QStringLiteral("ok")].toBool());
    EXPECT_EQ(stateOf(c)[QStringLiteral("Form1")][QStringLiteral("led")].toBool(), true);

    // 録画 into the video folder under a name the program chooses.
    const QJsonObject rec = c.run(QStringLiteral("record start"));
    ASSERT_TRUE(rec[QStringLiteral("ok")].toBool())
        << rec[QStringLiteral("error")].toString().toStdString();
    const QString file = rec[QStringLiteral("result")][QStringLiteral("file")].toString();
    EXPECT_TRUE(file.startsWith(sim.dir.filePath(QStringLiteral("home")))) << file.toStdString();
    EXPECT_TRUE(file.endsWith(QLatin1String(".mp4")));
    ASSERT_TRUE(c.run(QStringLiteral("record stop"))[QStringLiteral("ok")].toBool());
    EXPECT_TRUE(QFileInfo(file).size() > 0);
}

TEST(RemoteGuests, APanelPressIsAnsweredAfterWhatItHoldsAndItsMessageGoesToItsSender) {
    Simulator sim;
    Client c(sim.address);
    ASSERT_TRUE(c.hello());
    // A route with no fare data: the panel's message comes back in the answer, and no
    // dialog waits for the operator (the next request is answered).
    for (const char* line : {"key route", "key 9", "key 9", "key section", "key 1"})
        ASSERT_TRUE(c.run(QString::fromLatin1(line))[QStringLiteral("ok")].toBool()) << line;
    const QJsonObject failed = c.run(QStringLiteral("reset keypad"));
    ASSERT_TRUE(failed[QStringLiteral("ok")].toBool());
    EXPECT_TRUE(failed[QStringLiteral("messages")].toArray().first().toString().contains(
        QStringLiteral("指定した系統のデータがありません")))
        << QJsonDocument(failed).toJson().toStdString();
    const QJsonObject after = stateOf(c);
    EXPECT_FALSE(panelOf(after)[QStringLiteral("enabled")][QStringLiteral("Command2(1)")].toBool());
    // A greyed データ送り takes no press, as on screen.
    ASSERT_TRUE(c.run(QStringLiteral("next"))[QStringLiteral("ok")].toBool());
    EXPECT_EQ(stateOf(c)[QStringLiteral("CurrentRow")].toInt(),
              after[QStringLiteral("CurrentRow")].toInt());

    // A route that loads: its answer comes once the lamp test is over and the route is
    // set (its event is sent first), ready to step.
    for (const char* line : {"key route", "key 1", "key section", "key 1"})
        ASSERT_TRUE(c.run(QString::fromLatin1(line))[QStringLiteral("ok")].toBool()) << line;
    ASSERT_TRUE(c.run(QStringLiteral("reset keypad"))[QStringLiteral("ok")].toBool());
    const auto at = [&](const std::function<bool(const QJsonObject&)>& is) {
        return std::find_if(c.messages.begin(), c.messages.end(), is) - c.messages.begin();
    };
    const auto routeEvent = at(
        [](const QJsonObject& m) { return m[QStringLiteral("event")] == QStringLiteral("route"); });
    const auto answer = at([&](const QJsonObject& m) {
        return m.contains(QStringLiteral("ok")) && m[QStringLiteral("id")].toInt() == c.lastId;
    });
    EXPECT_LT(routeEvent, answer);
    EXPECT_TRUE(
        panelOf(stateOf(c))[QStringLiteral("enabled")][QStringLiteral("Command2(1)")].toBool());
}

TEST(RemoteGuests, TheSeventeenthRequestWaitingIsRefusedAtOnce) {
    Simulator sim;
    Client c(sim.address);
    ASSERT_TRUE(c.hello());
    for (const char* line : {"key route", "key 1", "key section", "key 1"})
        ASSERT_TRUE(c.run(QString::fromLatin1(line))[QStringLiteral("ok")].toBool());
    // The lamp test holds the queue for three seconds: what comes meanwhile waits.
    auto send = [&](int id, const char* line) { // ids from 1000: apart from the keys' answers
        c.socket.sendTextMessage(QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("id"), id},
                                      {QStringLiteral("run"), QString::fromLatin1(line)}})
                .toJson(QJsonDocument::Compact)));
    };
    send(1000, "reset keypad");
    for (int i = 0; i < 20; ++i)
        send(1001 + i, "state");
    auto ours = [](const QJsonObject& m) {
        return m.contains(QStringLiteral("ok")) && m[QStringLiteral("id")].toInt() > 1000;
    };
    ASSERT_TRUE(
        waitUntil([&] { return std::count_if(c.messages.begin(), c.messages.end(), ours) >= 20; }));
    int ok = 0, busy = 0;
    for (const QJsonObject& m : c.messages) {
        if (!ours(m))
            continue;
        if (m[QStringLiteral("ok")].toBool())
            ++ok;
        else if (m[QStringLiteral("error")].toString().startsWith(QLatin1String("too many")))
            ++busy;
    }
    // Sixteen wait; the reset itself counts while it has not yet been taken up.
    EXPECT_EQ(ok + busy, 20);
    EXPECT_TRUE(busy == 4 || busy == 5) << busy;
}

TEST(RemoteGuests, QuitIsAnsweredThenEveryClientSeesTheEventAndACloseFrame) {
    for (int run = 0; run < 20; ++run) {
        Simulator sim;
        Client c(sim.address), other(sim.address);
        ASSERT_TRUE(c.hello());
        ASSERT_TRUE(other.hello());
        // The script's lines come through a pipe, the client through a socket: on a busy
        // machine either may come first, so the client waits for the event of the line
        // after the option, which runs after it.
        sim.script(QStringLiteral("option RemoteQuit 1"));
        sim.script(QStringLiteral("backlight 1"));
        ASSERT_TRUE(waitUntil([&] { return !c.events(QStringLiteral("backlight")).empty(); }));
        const QJsonObject a = c.run(QStringLiteral("quit"));
        ASSERT_TRUE(a[QStringLiteral("ok")].toBool()) << "run " << run;
        for (Client* x : {&c, &other}) {
            ASSERT_TRUE(waitUntil([&] { return x->closed; }, 10000)) << "run " << run;
            EXPECT_EQ(x->events(QStringLiteral("quit")).size(), 1u) << "run " << run;
            EXPECT_EQ(x->socket.closeCode(), QWebSocketProtocol::CloseCodeGoingAway)
                << "run " << run;
        }
        // A guard against a hang only: an instrumented program on a busy machine has taken
        // over ten seconds to end.
        ASSERT_TRUE(sim.process.waitForFinished(60000));
        EXPECT_EQ(sim.process.exitCode(), 0);
    }
}

TEST(RemoteGuests, AClientThatNeverReadsIsDroppedAndTheProgramStaysSmall) {
    Simulator sim;
    Client watcher(sim.address);
    ASSERT_TRUE(watcher.hello());
    // What the deaf client costs, over what the program holds before it comes (an
    // instrumented build holds much more of its own).
    const qint64 baseKb = sim.residentKb();
    QTcpSocket deaf;
    deaf.setReadBufferSize(1024); // it takes almost nothing off the wire
    deaf.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(sim.port().toUInt()));
    ASSERT_TRUE(deaf.waitForConnected(5000));
    deaf.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    // Requests whose answers are large, faster than anyone could read them.
    const QByteArray request = clientFrame(R"({"id":1,"run":"state"})");
    qint64 peakKb = 0;
    QElapsedTimer t;
    t.start();
    int sent = 0;
    // Until it is dropped (a slower build, under the sanitizers, answers more slowly and
    // takes longer to fill the limit).
    while (t.elapsed() < 20000 && deaf.state() == QAbstractSocket::ConnectedState) {
        for (int i = 0; i < 20; ++i, ++sent)
            deaf.write(request);
        deaf.flush();
        waitUntil([] { return false; }, 5);
        peakKb = std::max(peakKb, sim.residentKb());
    }
    ASSERT_TRUE(waitUntil([&] { return deaf.state() != QAbstractSocket::ConnectedState; }, 10000))
        << "still connected after " << sent << " requests";
    peakKb = std::max(peakKb, sim.residentKb());
    EXPECT_LT(peakKb - baseKb, 100 * 1024) << sent << " requests, from " << baseKb << " kB";
    // The others go on.
    EXPECT_TRUE(watcher.run(QStringLiteral("backlight 1"))[QStringLiteral("ok")].toBool());
}

TEST(RemoteGuests, FourGreedyClientsLeaveTheBoardResponsive) {
    Simulator sim({QStringLiteral("--debug-stalls")});
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<Client>(sim.address));
        ASSERT_TRUE(clients.back()->hello());
    }
    setRoute(*clients[0]);
    // Start-up's own stalls (fonts, the sound device) forgotten first.
    Client probe(sim.address);
    ASSERT_TRUE(probe.hello());
    auto recent = [&] {
        return stateOf(probe)[QStringLiteral("ui")][QStringLiteral("recentLongestStallMs")]
            .toDouble();
    };
    waitUntil([&] { return recent() < 20; }, 8000);
    const QString request = QStringLiteral(R"({"id":1,"run":"state"})");
    // 4,000 requests a second from each, for a second, in steps of 10 ms.
    QElapsedTimer t;
    t.start();
    for (int step = 0; step < 100; ++step) {
        for (auto& c : clients)
            for (int i = 0; i < 40; ++i)
                c->socket.sendTextMessage(request);
        waitUntil([&] { return t.elapsed() >= (step + 1) * 10; }, 50);
    }
    const double stall = recent();
    std::printf("longest stall under four greedy clients: %.1f ms\n", stall);
    // Measured 18 ms on a quiet machine of two cores (77-124 ms before the server's
    // thread refused what waits beyond 16, seconds before requests were capped at all).
    // With both cores busy the operating system alone stalls the loop for a hundred
    // milliseconds or so; the bound catches only the old pathology of whole seconds.
    EXPECT_LT(stall, 1000.0) << sim.process.readAllStandardError().toStdString();
    for (auto& c : clients)
        EXPECT_FALSE(c->closed);
}
