// Windows come back where they were: the simulator restarted five times on a real X
// server, with a window manager that frames the windows and without one, keeps the board
// and the panel to the pixel; the options dialog opens where it was closed.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// A virtual screen of its own (Xvfb picks the display number), with openbox on it when
// asked; both end with the object.
class Screen {
  public:
    explicit Screen(bool windowManager) {
        xvfb_.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1280x800x24")});
        if (!xvfb_.waitForStarted(5000))
            return;
        while (!xvfb_.canReadLine() && xvfb_.waitForReadyRead(5000)) {
        }
        const QString number = QString::fromLatin1(xvfb_.readLine()).trimmed();
        if (number.isEmpty())
            return;
        display_ = QLatin1Char(':') + number;
        if (windowManager) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DISPLAY"), display_);
            wm_.setProcessEnvironment(env);
            wm_.start(QStringLiteral("openbox"), {});
            if (!wm_.waitForStarted(5000))
                display_.clear();
            QThread::msleep(500); // until it manages the screen
        }
    }
    ~Screen() {
        for (QProcess* p : {&wm_, &xvfb_}) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }
    const QString& display() const { return display_; }

  private:
    QProcess xvfb_, wm_;
    QString display_;
};

struct Places {
    QString saved; // the settings file's window fields
    std::vector<QPoint> dialog;
};

// One run: the dialog shown three times, then quit (which saves the places).
Places runOnce(const QString& display, const QString& settings, const QTemporaryDir& dir) {
    const QString script = dir.filePath(QStringLiteral("places.script"));
    QFile f(script);
    f.open(QIODevice::WriteOnly);
    // Each opening is read twice; the second read, once the window manager has surely
    // framed the dialog on a busy machine (an instrumented build under load has taken
    // over a second and a half), is the one compared.
    for (int i = 0; i < 3; ++i)
        f.write("settings\nwait 400\nstate\nwait 2500\nstate\nok\nwait 100\n");
    f.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SIMULATOR),
            {QStringLiteral("--unattended"), QStringLiteral("--settings"), settings,
             QStringLiteral("--script"), script});
    Places out;
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return out;
    int read = 0;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty() && ++read % 2 == 0) {
            const QJsonObject d =
                QJsonDocument::fromJson(line).object()[QStringLiteral("frmOption")].toObject();
            out.dialog.emplace_back(d[QStringLiteral("left")].toInt(),
                                    d[QStringLiteral("top")].toInt());
        }
    QProcess dump;
    dump.start(QStringLiteral(IN4_TOOL), {QStringLiteral("dump"), settings});
    dump.waitForFinished(10000);
    static const QRegularExpression place(QStringLiteral("^(Panel|Board)(Left|Top) = .*$"),
                                          QRegularExpression::MultilineOption);
    for (auto it = place.globalMatch(QString::fromUtf8(dump.readAllStandardOutput()));
         it.hasNext();)
        out.saved += it.next().captured(0) + QLatin1Char('\n');
    return out;
}

void expectStablePlaces(bool windowManager, int restarts) {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        (windowManager && QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()))
        GTEST_SKIP() << "Xvfb or openbox is not installed";
    Screen screen(windowManager);
    ASSERT_FALSE(screen.display().isEmpty());
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("places.in4"));
    std::vector<Places> runs;
    for (int i = 0; i < restarts; ++i) {
        runs.push_back(runOnce(screen.display(), settings, dir));
        ASSERT_EQ(runs.back().dialog.size(), 3u) << "run " << i;
        ASSERT_FALSE(runs.back().saved.isEmpty());
    }
    // Twips are 15 to the pixel: the same text is the same pixel.
    for (size_t i = 1; i < runs.size(); ++i)
        EXPECT_EQ(runs[i].saved.toStdString(), runs[0].saved.toStdString()) << "restart " << i;
    // The dialog never wanders from one opening to the next, nor from one run to the next.
    // The first opening of a run is read before a busy window manager may have framed it
    // (it is centred again once it has its frame), so only the later ones are compared.
    for (const Places& r : runs)
        for (size_t i = 2; i < r.dialog.size(); ++i) {
            EXPECT_LE(std::abs(r.dialog[i].x() - r.dialog[1].x()), 1);
            EXPECT_LE(std::abs(r.dialog[i].y() - r.dialog[1].y()), 1);
        }
    for (const Places& r : runs) {
        EXPECT_LE(std::abs(r.dialog.back().x() - runs[0].dialog.back().x()), 1);
        EXPECT_LE(std::abs(r.dialog.back().y() - runs[0].dialog.back().y()), 1);
    }
}

} // namespace

TEST(WindowPlaces, FiveRestartsUnderAWindowManagerKeepEveryWindowInPlace) {
    expectStablePlaces(true, 5);
}

TEST(WindowPlaces, RestartsWithoutAWindowManagerKeepEveryWindowInPlace) {
    expectStablePlaces(false, 2);
}
