#include "ScriptRunner.h"

#include "Program.h"
#include "ScriptedCompanion.h"
#include "StateDump.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QJsonDocument>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <cstdio>

namespace {

std::optional<int> toInt(const QString& s) {
    bool ok = false;
    const int v = s.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<bool> onOff(const QString& s) {
    if (s == QLatin1String("on"))
        return true;
    if (s == QLatin1String("off"))
        return false;
    return std::nullopt;
}

// Double-clicks the middle of `w`; a disabled widget takes no clicks, as on screen.
void doubleClick(QWidget* w) {
    if (!w->isEnabled())
        return;
    const QPointF pos(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent ev(QEvent::MouseButtonDblClick, pos, w->mapToGlobal(pos), Qt::LeftButton,
                   Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &ev);
}

// Sets a check box the way a click does: only an enabled box changes.
void setChecked(QAbstractButton* b, bool on) {
    if (b->isChecked() != on)
        b->click();
}

} // namespace

QString ScriptRunner::commandHelp() {
    static const char* const rows[][2] = {
        {"key 0-9|route|section", "a keypad button (系統, 区間 for route and section)"},
        {"list route D D D D D", "choose the route digits on the list page (- for none)"},
        {"list section D D D", "choose the section digits on the list page (- for none)"},
        {"reset keypad|list", "one of the two リセット buttons"},
        {"next, back", "データ送り, データ戻し"},
        {"blank on|off", "表示消去"},
        {"latenight on|off", "深夜料金"},
        {"preview on|off", ">> (the widened panel with the ticket preview)"},
        {"backlight 0|1|2", "バックライト OFF, ON1, ON2"},
        {"speed N, interval N", "the scroll bars ｽｸﾛｰﾙ速度 and ｽｸﾛｰﾙ間隔"},
        {"page 0|1", "double-click the entry page: 0 lists, 1 keypad"},
        {"digit-dialog N ZERO SHIFT FILL RESULT", "double-click fare digit N with these answers"},
        {"tape next|back|stop|adjust", "the announcement buttons 送り, 戻し, ■, 調整"},
        {"option NAME VALUE", "set an option by its settings name (the dialog follows)"},
        {"settings", "設定...: open the options dialog"},
        {"ok, apply", "the options dialog's OK (opening it first if needed)"},
        {"click frmOption.CONTROL", "press a control of the options dialog"},
        {"answer file|folder|color|date VALUE, answer cancel", "the next picker's answer"},
        {"version", "the version button"},
        {"company N", "choose entry N of the panel's company list"},
        {"auto start SECONDS, auto stop, auto wait", "自動; wait: to the last stop and its voice"},
        {"record start FILE, record stop", "録画 into FILE (.mp4 or .webm); finish it"},
        {"clock YYYY-MM-DD HH:MM:SS, clock run", "stop the clock at a moment; let it run"},
        {"wait MS", "let the program run for MS milliseconds"},
        {"at MM:SS COMMAND", "run COMMAND that long after the script started"},
        {"state [FILE]", "the whole observable state as one JSON line"},
        {"snapshot board|panel|options|ticket FILE.png", "a window's pixels"},
        {"quit", "close the program, answering Yes"},
    };
    QString out =
        QStringLiteral("Script commands (527 --script FILE, one a line; # starts a comment):\n\n");
    for (const auto& r : rows)
        out += QStringLiteral("  %1\n      %2\n")
                   .arg(QString::fromUtf8(r[0]), QString::fromUtf8(r[1]));
    return out;
}

ScriptRunner::ScriptRunner(Program& program, ScriptedCompanion& companion)
    : p_(program), companion_(companion) {}

ScriptRunner::Outcome ScriptRunner::run(const QStringList& lines) {
    qsizetype at = 0;
    return run([&]() -> std::optional<QString> {
        if (at >= lines.size())
            return std::nullopt;
        return lines[at++];
    });
}

ScriptRunner::Outcome ScriptRunner::run(const std::function<std::optional<QString>()>& next) {
    started_.start();
    for (int i = 0;; ++i) {
        const std::optional<QString> raw = next();
        if (!raw)
            break;
        QString line = raw->trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        // "at MM:SS COMMAND": the command runs that long after the script started (at
        // once when that moment has passed), the program running meanwhile.
        static const QRegularExpression at(
            QStringLiteral("^at\\s+(\\d+):(\\d{2})(?:\\.(\\d{1,3}))?\\s+(.+)$"));
        if (const auto m = at.match(line); m.hasMatch()) {
            const qint64 due =
                (m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 1000 +
                m.captured(3).leftJustified(3, QLatin1Char('0')).toLongLong();
            const qint64 left = due - started_.elapsed();
            if (left > 0)
                waitProcessing(static_cast<int>(left));
            line = m.captured(4).trimmed();
        } else if (line.startsWith(QLatin1String("at "))) {
            error_ = QStringLiteral("script line %1: %2: at takes MM:SS and a command")
                         .arg(i + 1)
                         .arg(line);
            return Outcome::Error;
        }
        StallWatch::setActivity(QStringLiteral("script line %1: %2").arg(i + 1).arg(line));
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const qsizetype restAt = line.indexOf(QLatin1Char(' '));
        bool quit = false;
        const auto err = execute(words, restAt < 0 ? QString() : line.mid(restAt + 1), quit);
        StallWatch::setActivity({});
        if (err) {
            error_ = QStringLiteral("script line %1: %2: %3").arg(i + 1).arg(line, *err);
            return Outcome::Error;
        }
        if (quit)
            return Outcome::Quit;
    }
    return Outcome::Finished;
}

std::optional<QString> ScriptRunner::execute(const QStringList& w, const QString& rest,
                                             bool& quit) {
    frmCtl& panel = *p_.panel;
    const QString& cmd = w[0];
    auto arg = [&](int i) { return i < w.size() ? w[i] : QString(); };
    auto needArgs = [&](int n) -> std::optional<QString> {
        if (w.size() != n + 1)
            return QStringLiteral("needs %1 argument(s)").arg(n);
        return std::nullopt;
    };

    if (cmd == QLatin1String("key")) {
        if (auto e = needArgs(1))
            return e;
        int index = -1;
        if (arg(1) == QLatin1String("route"))
            index = 10;
        else if (arg(1) == QLatin1String("section"))
            index = 11;
        else if (auto d = toInt(arg(1)); d && *d >= 0 && *d <= 9 && arg(1).size() == 1)
            index = *d;
        if (index < 0)
            return QStringLiteral("key takes 0-9, route or section");
        panel.CommandButton1[static_cast<size_t>(index)]->click();
    } else if (cmd == QLatin1String("list")) {
        const bool route = arg(1) == QLatin1String("route");
        if (!route && arg(1) != QLatin1String("section"))
            return QStringLiteral("list takes route or section");
        const int count = route ? 5 : 3;
        if (w.size() != count + 2)
            return QStringLiteral("list %1 needs %2 digits or -").arg(arg(1)).arg(count);
        for (int k = 0; k < count; ++k) {
            const QString d = arg(k + 2);
            QListWidget* l =
                route ? panel.List2[static_cast<size_t>(k)] : panel.List3[static_cast<size_t>(k)];
            if (!l->isEnabled())
                continue; // a disabled list takes no choice, as on screen
            if (d == QLatin1String("-")) {
                l->setCurrentRow(-1);
                continue;
            }
            const auto v = toInt(d);
            if (!v || *v < 0 || *v > 9 || d.size() != 1)
                return QStringLiteral("\"%1\" is not a digit or -").arg(d);
            l->setCurrentRow(*v);
        }
    } else if (cmd == QLatin1String("reset")) {
        if (arg(1) == QLatin1String("keypad"))
            panel.Command1[1]->click();
        else if (arg(1) == QLatin1String("list"))
            panel.Command1[0]->click();
        else
            return QStringLiteral("reset takes keypad or list");
    } else if (cmd == QLatin1String("next") || cmd == QLatin1String("back")) {
        panel.Command2[cmd == QLatin1String("next") ? 1 : 0]->click();
    } else if (cmd == QLatin1String("blank") || cmd == QLatin1String("latenight") ||
               cmd == QLatin1String("preview")) {
        const auto on = onOff(arg(1));
        if (!on || w.size() != 2)
            return QStringLiteral("takes on or off");
        QAbstractButton* b =
            cmd == QLatin1String("blank")       ? static_cast<QAbstractButton*>(panel.Check1)
            : cmd == QLatin1String("latenight") ? static_cast<QAbstractButton*>(panel.Check2)
                                                : static_cast<QAbstractButton*>(panel.Check4);
        setChecked(b, *on);
    } else if (cmd == QLatin1String("backlight")) {
        const auto v = toInt(arg(1));
        if (!v || *v < 0 || *v > 2)
            return QStringLiteral("backlight takes 0, 1 or 2");
        panel.Option4[static_cast<size_t>(*v)]->click();
    } else if (cmd == QLatin1String("speed") || cmd == QLatin1String("interval")) {
        const auto v = toInt(arg(1));
        QScrollBar* bar = panel.HScroll1[cmd == QLatin1String("speed") ? 0 : 1];
        if (!v || *v < bar->minimum() || *v > bar->maximum())
            return QStringLiteral("takes a number from %1 to %2")
                .arg(bar->minimum())
                .arg(bar->maximum());
        if (bar->isEnabled())
            bar->setValue(*v);
    } else if (cmd == QLatin1String("page")) {
        const auto v = toInt(arg(1));
        if (!v || *v < 0 || *v > 1)
            return QStringLiteral("page takes 0 or 1");
        doubleClick(panel.Frame1[static_cast<size_t>(*v)]);
    } else if (cmd == QLatin1String("digit-dialog")) {
        if (auto e = needArgs(5))
            return e;
        int v[5];
        for (int i = 0; i < 5; ++i) {
            const auto x = toInt(arg(i + 1));
            if (!x)
                return QStringLiteral("\"%1\" is not a number").arg(arg(i + 1));
            v[i] = *x;
        }
        if (v[0] < 1 || v[0] > 32)
            return QStringLiteral("fare digit must be 1-32");
        companion_.queueDigitAnswer(
            {{static_cast<int16_t>(v[1]), static_cast<int16_t>(v[2]), static_cast<int16_t>(v[3])},
             v[4]});
        doubleClick(p_.board->Degit[static_cast<size_t>(v[0])]);
    } else if (cmd == QLatin1String("option")) {
        if (w.size() < 2)
            return QStringLiteral("option needs a name and a value");
        const qsizetype at = rest.indexOf(QLatin1Char(' '));
        const QString value = at < 0 ? QString() : rest.mid(at + 1);
        if (auto e = setOption(p_.options, arg(1), value))
            return *e;
        // The dialog's controls show the model: the control and its handlers follow.
        p_.optionDialog->refreshFromModel();
    } else if (cmd == QLatin1String("apply") || cmd == QLatin1String("ok")) {
        // OK of the options dialog, opened from 設定... first when it is not open, so the
        // board and panel are enabled and the stop name drawn again afterwards.
        if (!p_.optionDialog->isVisible())
            panel.Command4->click();
        static_cast<QPushButton*>(p_.optionDialog->control(QStringLiteral("Command4")))->click();
    } else if (cmd == QLatin1String("settings")) {
        panel.Command4->click();
    } else if (cmd == QLatin1String("click")) {
        const QString name = arg(1);
        if (!name.startsWith(QLatin1String("frmOption.")))
            return QStringLiteral("click takes frmOption.CONTROL");
        auto* b = qobject_cast<QAbstractButton*>(p_.optionDialog->control(name.mid(10)));
        if (!b)
            return QStringLiteral("no button \"%1\" in the options dialog").arg(name.mid(10));
        b->click();
    } else if (cmd == QLatin1String("answer")) {
        const QString kind = arg(1);
        if (kind == QLatin1String("cancel"))
            companion_.queuePickerAnswer(QStringLiteral("cancel"), {});
        else if (kind == QLatin1String("file") || kind == QLatin1String("folder") ||
                 kind == QLatin1String("color") || kind == QLatin1String("date"))
            companion_.queuePickerAnswer(kind, rest.mid(rest.indexOf(QLatin1Char(' ')) + 1));
        else
            return QStringLiteral("answer takes file, folder, color, date or cancel");
    } else if (cmd == QLatin1String("tape")) {
        QPushButton* b = arg(1) == QLatin1String("next")     ? panel.cmdTapeNext
                         : arg(1) == QLatin1String("back")   ? panel.cmdTapeBack
                         : arg(1) == QLatin1String("stop")   ? panel.cmdTapeStop
                         : arg(1) == QLatin1String("adjust") ? panel.cmdTapeSet
                                                             : nullptr;
        if (!b)
            return QStringLiteral("tape takes next, back, stop or adjust");
        b->click();
    } else if (cmd == QLatin1String("version")) {
        panel.Command8->click();
    } else if (cmd == QLatin1String("wait")) {
        const auto v = toInt(arg(1));
        if (!v || *v < 0)
            return QStringLiteral("wait takes milliseconds");
        waitProcessing(*v);
    } else if (cmd == QLatin1String("state")) {
        const QByteArray json = QJsonDocument(dumpState(p_)).toJson(QJsonDocument::Compact);
        if (w.size() >= 2) {
            QFile f(rest);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return QStringLiteral("cannot write %1").arg(rest);
            f.write(json + '\n');
        } else {
            std::fprintf(stdout, "%s\n", json.constData());
            std::fflush(stdout);
        }
    } else if (cmd == QLatin1String("snapshot")) {
        if (w.size() < 3)
            return QStringLiteral("snapshot takes board, panel, options or ticket and a file name");
        const QString file = rest.mid(rest.indexOf(QLatin1Char(' ')) + 1);
        QImage img;
        if (arg(1) == QLatin1String("board"))
            img = p_.board->snapshot();
        else if (arg(1) == QLatin1String("panel"))
            img = p_.panel->grab().toImage();
        else if (arg(1) == QLatin1String("options"))
            img = p_.optionDialog->grab().toImage();
        else if (arg(1) == QLatin1String("ticket"))
            img = p_.panel->previewImage;
        else
            return QStringLiteral("snapshot takes board, panel, options or ticket");
        if (!img.save(file, "PNG"))
            return QStringLiteral("cannot write %1").arg(file);
    } else if (cmd == QLatin1String("auto")) {
        // The panel's 自動 with its interval.
        if (arg(1) == QLatin1String("stop") && w.size() == 2) {
            p_.autoRun->stop();
        } else if (arg(1) == QLatin1String("wait") && w.size() == 2) {
            // Until the run has reached the end of the route (or was stopped) and the last
            // announcement and its chime have finished.
            while (p_.autoRun->running() || p_.mixer->anyPlaying() ||
                   (p_.tape && p_.tape->speaking()))
                waitProcessing(50);
        } else if (arg(1) == QLatin1String("start") && w.size() == 3) {
            bool ok = false;
            const double seconds = arg(2).toDouble(&ok);
            if (!ok || seconds < 1 || seconds > 600)
                return QStringLiteral("auto start takes seconds from 1 to 600");
            if (!p_.autoRun->start(seconds))
                return QStringLiteral("no route is set, or it is at its end");
        } else {
            return QStringLiteral("auto takes start SECONDS, wait or stop");
        }
    } else if (cmd == QLatin1String("record")) {
        if (arg(1) == QLatin1String("stop") && w.size() == 2) {
            if (const auto err = p_.stopRecording())
                return *err;
        } else if (arg(1) == QLatin1String("start") && w.size() >= 3) {
            if (const auto err =
                    p_.startRecording(rest.mid(rest.indexOf(QLatin1Char(' ')) + 1), p_.recordZoom))
                return *err;
        } else {
            return QStringLiteral("record takes start FILE or stop");
        }
        panel.showRecording();
    } else if (cmd == QLatin1String("clock")) {
        // Stops the clock at a moment, so tickets and dates come out the same every run.
        if (rest == QLatin1String("run")) {
            p_.fixedClock.reset();
        } else {
            const QDateTime t = QDateTime::fromString(rest, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (!t.isValid())
                return QStringLiteral("clock takes YYYY-MM-DD HH:MM:SS or run");
            p_.fixedClock = t;
        }
    } else if (cmd == QLatin1String("company")) {
        const auto v = toInt(arg(1));
        if (!v || *v < 0 || *v >= panel.Combo1->count())
            return QStringLiteral("company takes an index into the panel's company list");
        panel.Combo1->setCurrentIndex(*v);
    } else if (cmd == QLatin1String("quit")) {
        companion_.answerYesNext();
        quit = panel.close();
        if (!quit)
            return QStringLiteral("the close was refused");
    } else {
        return QStringLiteral("unknown command");
    }
    return std::nullopt;
}
