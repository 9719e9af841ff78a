#pragma once
// The real simulator serving on a free port, and WebSocket clients that keep what they
// receive: the rig of the tests that drive the program from outside.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWebSocket>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace remoterig {

// Spins the event loop until `done` or the timeout; whether it got there.
inline bool waitUntil(const std::function<bool()>& done, int ms = 20000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The simulator serving on a free port, its script on standard input kept open.
class Simulator {
  public:
    explicit Simulator(const QStringList& extra = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        // Its own home, so what it writes there (the video folder) is the test's to see.
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home/.config")));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(SIMULATOR),
                      QStringList{QStringLiteral("--unattended"), QStringLiteral("--settings"),
                                  dir.filePath(QStringLiteral("t.in4")), QStringLiteral("--serve"),
                                  QStringLiteral("0"), QStringLiteral("--script"),
                                  QStringLiteral("-")} +
                          extra);
        static const QRegularExpression url(QStringLiteral("control server: (ws://\\S+)"));
        waitUntil([&] {
            process.waitForReadyRead(50);
            out += QString::fromUtf8(process.readAllStandardOutput());
            return url.match(out).hasMatch() || process.state() == QProcess::NotRunning;
        });
        address = url.match(out).captured(1);
        script(QStringLiteral("option FareDataFolder %1").arg(QStringLiteral(DEMO_DIR)));
        script(QStringLiteral("option ResetSound %1/sounds/key.wav").arg(QStringLiteral(DEMO_DIR)));
        // The script and the network are two doors: a client that came in before these lines
        // had run would find no fare data. The state line answers after them.
        script(QStringLiteral("state"));
        waitUntil([&] {
            process.waitForReadyRead(50);
            out += QString::fromUtf8(process.readAllStandardOutput());
            return out.contains(QLatin1String("\"ownOptions\"")) ||
                   process.state() == QProcess::NotRunning;
        });
    }
    ~Simulator() {
        script(QStringLiteral("quit"));
        if (!process.waitForFinished(20000))
            process.kill();
    }
    void script(const QString& line) { process.write((line + QLatin1Char('\n')).toUtf8()); }
    // The resident memory of the simulator's process, from the kernel's own count.
    qint64 residentKb() const {
        QFile f(QStringLiteral("/proc/%1/status").arg(process.processId()));
        if (!f.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& l : f.readAll().split('\n'))
            if (l.startsWith("VmRSS:"))
                return l.mid(6).trimmed().split(' ').value(0).toLongLong();
        return -1;
    }
    QString port() const {
        return address.section(QLatin1Char(':'), 2).section(QLatin1Char('/'), 0, 0);
    }
    // ws://127.0.0.1:PORT/ without a token
    QString plainAddress() const { return address.section(QLatin1Char('?'), 0, 0); }

    QTemporaryDir dir;
    QProcess process;
    QString out;
    QString address;
};

// A client that keeps every message it receives.
class Client {
  public:
    explicit Client(const QString& url, const QString& origin = {}) {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString& m) {
            messages.push_back(QJsonDocument::fromJson(m.toUtf8()).object());
        });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
        QNetworkRequest r{QUrl(url)};
        if (!origin.isEmpty())
            r.setRawHeader("Origin", origin.toUtf8());
        socket.open(r);
    }
    bool hello() {
        return waitUntil([&] { return !messages.empty() || closed; }, 10000) && !closed &&
               messages[0][QStringLiteral("event")] == QStringLiteral("hello");
    }
    // Runs a command and waits for its answer.
    QJsonObject run(const QString& line) {
        const int id = ++lastId;
        socket.sendTextMessage(QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("run"), line}})
                .toJson(QJsonDocument::Compact)));
        QJsonObject answer;
        waitUntil([&] {
            for (const QJsonObject& m : messages)
                if (m.contains(QStringLiteral("ok")) && m[QStringLiteral("id")].toInt() == id)
                    answer = m;
            return !answer.isEmpty() || closed;
        });
        return answer;
    }
    std::vector<QJsonObject> events(const QString& name) const {
        std::vector<QJsonObject> out;
        for (const QJsonObject& m : messages)
            if (m[QStringLiteral("event")] == name)
                out.push_back(m);
        return out;
    }
    QStringList eventNames() const {
        QStringList out;
        for (const QJsonObject& m : messages)
            if (m.contains(QStringLiteral("event")))
                out << m[QStringLiteral("event")].toString();
        return out;
    }

    QWebSocket socket;
    std::vector<QJsonObject> messages;
    bool closed = false;
    int lastId = 0;
};

inline void setRoute(Client& c) {
    for (const char* line : {"key route", "key 1", "key section", "key 1", "reset keypad"})
        ASSERT_TRUE(c.run(QString::fromLatin1(line))[QStringLiteral("ok")].toBool()) << line;
}

} // namespace remoterig
