#include "CommandTable.h"

#include "LeadingFlags.h"

#include "Program.h"
#include "ScriptedCompanion.h"
#include "StateDump.h"

#include "RegularFile.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>

namespace {

using Result = CommandResult;

std::optional<int> toInt(const QString& s) {
    bool ok = false;
    const int v = s.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

// A single ASCII digit, as the keypad and the lists have them.
std::optional<int> digit(const QString& s) {
    if (s.size() != 1 || s[0] < QLatin1Char('0') || s[0] > QLatin1Char('9'))
        return std::nullopt;
    return s[0].unicode() - u'0';
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

frmCtl& panelOf(CommandContext& c) {
    return *c.program.panel;
}

// A panel button pressed as a click presses it. Whether it takes the press is the panel
// presentation's answer, not the widget's: greyed, nothing happens, as on screen. It runs
// in this command's own turn, so the command ends (and a client is answered) after what
// the press holds: the lamp test, a step sound played to its end. And a message it gives
// goes to whoever sent the command rather than to a dialog on the operator's screen.
Result press(CommandContext& c, bool PanelPresentation::*takesInput,
             const std::function<void(frmCtl&)>& handler) {
    frmCtl& panel = panelOf(c);
    if (panel.presentation().*takesInput)
        handler(panel);
    return {};
}

// ---- the panel's entry, stepping and switches

Result key(CommandContext& c, const CommandLine& l) {
    const QString a = l.arg(1);
    int index = -1;
    if (a == QLatin1String("route"))
        index = 10;
    else if (a == QLatin1String("section"))
        index = 11;
    else if (const auto d = digit(a))
        index = *d;
    if (index < 0)
        return Result::fail(QStringLiteral("key takes 0-9, route or section"));
    return press(c, &PanelPresentation::entry,
                 [index](frmCtl& p) { p.CommandButton1_Click(index); });
}

Result list(CommandContext& c, const CommandLine& l) {
    const bool route = l.arg(1) == QLatin1String("route");
    if (!route && l.arg(1) != QLatin1String("section"))
        return Result::fail(QStringLiteral("list takes route or section"));
    frmCtl& panel = panelOf(c);
    const int count =
        route ? static_cast<int>(panel.List2.size()) : static_cast<int>(panel.List3.size());
    if (l.argCount() != count + 1)
        return Result::fail(
            QStringLiteral("list %1 needs %2 digits or -").arg(l.arg(1)).arg(count));
    for (int k = 0; k < count; ++k) {
        const QString d = l.arg(k + 2);
        QListWidget* list =
            route ? panel.List2[static_cast<size_t>(k)] : panel.List3[static_cast<size_t>(k)];
        if (!list->isEnabled())
            continue; // a disabled list takes no choice, as on screen
        if (d == QLatin1String("-")) {
            list->setCurrentRow(-1);
            continue;
        }
        const auto v = digit(d);
        if (!v)
            return Result::fail(QStringLiteral("\"%1\" is not a digit or -").arg(d));
        list->setCurrentRow(*v);
    }
    return {};
}

Result reset(CommandContext& c, const CommandLine& l) {
    const int index = l.arg(1) == QLatin1String("keypad") ? 1
                      : l.arg(1) == QLatin1String("list") ? 0
                                                          : -1;
    if (index < 0)
        return Result::fail(QStringLiteral("reset takes keypad or list"));
    return press(c, &PanelPresentation::entry, [index](frmCtl& p) { p.Command1_Click(index); });
}

Result next(CommandContext& c, const CommandLine&) {
    return press(c, &PanelPresentation::next, [](frmCtl& p) { p.Command2_Click(1); });
}

Result back(CommandContext& c, const CommandLine&) {
    return press(c, &PanelPresentation::back, [](frmCtl& p) { p.Command2_Click(0); });
}

// A switch of the panel turned on or off as a click does.
Result toggle(QAbstractButton* b, const CommandLine& l) {
    const auto on = onOff(l.arg(1));
    if (!on)
        return Result::fail(QStringLiteral("takes on or off"));
    setChecked(b, *on);
    return {};
}

// A switch the trip owns, turned as a click turns it: only when it takes input and only
// when it changes; the panel's box follows the trip.
Result tripSwitch(CommandContext& c, const CommandLine& l, bool PanelPresentation::*takesInput,
                  bool PanelPresentation::*isOn, void (Trip::*set)(bool)) {
    const auto on = onOff(l.arg(1));
    if (!on)
        return Result::fail(QStringLiteral("takes on or off"));
    const PanelPresentation shown = panelOf(c).presentation();
    if (shown.*takesInput && shown.*isOn != *on)
        (c.program.trip.get()->*set)(*on);
    return {};
}

Result blank(CommandContext& c, const CommandLine& l) {
    return tripSwitch(c, l, &PanelPresentation::blank, &PanelPresentation::blankOn,
                      &Trip::setBlank);
}

Result latenight(CommandContext& c, const CommandLine& l) {
    return tripSwitch(c, l, &PanelPresentation::lateNight, &PanelPresentation::lateNightOn,
                      &Trip::setLateNight);
}

Result preview(CommandContext& c, const CommandLine& l) {
    return toggle(panelOf(c).Check4, l);
}

Result backlight(CommandContext& c, const CommandLine& l) {
    const auto v = toInt(l.arg(1));
    if (!v || *v < 0 || *v > 2)
        return Result::fail(QStringLiteral("backlight takes 0, 1 or 2"));
    panelOf(c).Option4[static_cast<size_t>(*v)]->click();
    return {};
}

Result scrollBar(QScrollBar* bar, const CommandLine& l) {
    const auto v = toInt(l.arg(1));
    if (!v || *v < bar->minimum() || *v > bar->maximum())
        return Result::fail(
            QStringLiteral("takes a number from %1 to %2").arg(bar->minimum()).arg(bar->maximum()));
    if (bar->isEnabled())
        bar->setValue(*v);
    return {};
}

Result speed(CommandContext& c, const CommandLine& l) {
    return scrollBar(panelOf(c).HScroll1[0], l);
}

Result interval(CommandContext& c, const CommandLine& l) {
    return scrollBar(panelOf(c).HScroll1[1], l);
}

Result page(CommandContext& c, const CommandLine& l) {
    const auto v = toInt(l.arg(1));
    if (!v || *v < 0 || *v > 1)
        return Result::fail(QStringLiteral("page takes 0 or 1"));
    const int index = *v;
    return press(c, &PanelPresentation::entry, [index](frmCtl& p) { p.Frame1_DblClick(index); });
}

Result tape(CommandContext& c, const CommandLine& l) {
    const QString a = l.arg(1);
    void (frmCtl::*handler)() = a == QLatin1String("next")     ? &frmCtl::cmdTapeNext_Click
                                : a == QLatin1String("back")   ? &frmCtl::cmdTapeBack_Click
                                : a == QLatin1String("stop")   ? &frmCtl::cmdTapeStop_Click
                                : a == QLatin1String("adjust") ? &frmCtl::cmdTapeSet_Click
                                                               : nullptr;
    if (!handler)
        return Result::fail(QStringLiteral("tape takes next, back, stop or adjust"));
    return press(c, &PanelPresentation::tape, [handler](frmCtl& p) { (p.*handler)(); });
}

Result version(CommandContext& c, const CommandLine&) {
    panelOf(c).Command8->click();
    return {};
}

Result company(CommandContext& c, const CommandLine& l) {
    PanelState& state = c.program.panelState;
    const auto v = toInt(l.arg(1));
    if (!v || *v < 0 || *v >= state.companies().size())
        return Result::fail(QStringLiteral("company takes an index into the panel's company list"));
    state.setCompany(*v);
    return {};
}

// ---- the board, the options dialog and the pickers

Result digitDialog(CommandContext& c, const CommandLine& l) {
    int v[5];
    for (int i = 0; i < 5; ++i) {
        const auto x = toInt(l.arg(i + 1));
        if (!x)
            return Result::fail(QStringLiteral("\"%1\" is not a number").arg(l.arg(i + 1)));
        v[i] = *x;
    }
    if (v[0] < 1 || v[0] > limits::kFareCells)
        return Result::fail(QStringLiteral("fare digit must be 1-%1").arg(limits::kFareCells));
    c.companion.queueDigitAnswer(
        {{static_cast<int16_t>(v[1]), static_cast<int16_t>(v[2]), static_cast<int16_t>(v[3])},
         v[4]});
    doubleClick(c.program.board->Degit(v[0]));
    return {};
}

Result option(CommandContext& c, const CommandLine& l) {
    if (auto e = setOption(c.program.options, l.arg(1), l.afterFirst()))
        return Result::fail(*e);
    // The dialog's controls show the model: the control and its handlers follow.
    c.program.optionDialog->refreshFromModel();
    return {};
}

Result settings(CommandContext& c, const CommandLine&) {
    panelOf(c).Command4->click();
    return {};
}

Result ok(CommandContext& c, const CommandLine&) {
    // OK of the options dialog, opened from 設定... first when it is not open, so the
    // board and panel are enabled and the stop name drawn again afterwards.
    if (!c.program.optionDialog->isVisible())
        panelOf(c).Command4->click();
    static_cast<QPushButton*>(c.program.optionDialog->control(QStringLiteral("Command4")))->click();
    return {};
}

Result click(CommandContext& c, const CommandLine& l) {
    const QString name = l.arg(1);
    if (!name.startsWith(QLatin1String("frmOption.")))
        return Result::fail(QStringLiteral("click takes frmOption.CONTROL"));
    auto* b = qobject_cast<QAbstractButton*>(c.program.optionDialog->control(name.mid(10)));
    if (!b)
        return Result::fail(
            QStringLiteral("no button \"%1\" in the options dialog").arg(name.mid(10)));
    b->click();
    return {};
}

Result answer(CommandContext& c, const CommandLine& l) {
    const QString kind = l.arg(1);
    if (kind == QLatin1String("cancel"))
        c.companion.queuePickerAnswer(QStringLiteral("cancel"), {});
    else if (kind == QLatin1String("file") || kind == QLatin1String("folder") ||
             kind == QLatin1String("color") || kind == QLatin1String("date"))
        c.companion.queuePickerAnswer(kind, l.afterFirst());
    else
        return Result::fail(QStringLiteral("answer takes file, folder, color, date or cancel"));
    return {};
}

// ---- the program: running by itself, recording, the clock, waiting, looking

Result autoRun(CommandContext& c, const CommandLine& l) {
    Program& p = c.program;
    const QString a = l.arg(1);
    if (a == QLatin1String("stop") && l.argCount() == 1) {
        p.autoRun->stop();
    } else if (a == QLatin1String("wait") && l.argCount() == 1) {
        // Until the run has reached the end of the route (or was stopped) and the last
        // announcement and its chime have finished; the queue waits, the program runs.
        c.pause =
            CommandContext::Pause{-1,
                                  [&p] {
                                      return !p.autoRun->running() && !p.mixer->anyPlaying() &&
                                             !(p.tape && p.tape->speaking()) && p.queue.idle();
                                  },
                                  {}};
    } else if (a == QLatin1String("start") && l.argCount() == 2) {
        bool ok = false;
        const double seconds = l.arg(2).toDouble(&ok);
        if (!ok || seconds < 1 || seconds > 600)
            return Result::fail(QStringLiteral("auto start takes seconds from 1 to 600"));
        if (!p.autoRun->start(seconds))
            return Result::fail(
                QStringLiteral("no route is set, it is at its end, or the board is blanked"));
    } else {
        return Result::fail(QStringLiteral("auto takes start SECONDS, wait or stop"));
    }
    return {};
}

Result record(CommandContext& c, const CommandLine& l) {
    Program& p = c.program;
    std::optional<QString> err;
    if (l.arg(1) == QLatin1String("stop") && l.argCount() == 1)
        err = p.stopRecording();
    else if (l.arg(1) == QLatin1String("start"))
        // Without a file: the video folder, named by the time, as the panel's 録画 does.
        err = p.startRecording(l.argCount() >= 2 ? l.afterFirst() : p.defaultRecordingPath(),
                               p.recordZoom);
    else
        return Result::fail(QStringLiteral("record takes start [FILE] or stop"));
    panelOf(c).showRecording();
    if (err)
        return Result::fail(*err);
    return {std::nullopt, QJsonObject{{QStringLiteral("file"), p.recording->file()}}, false};
}

Result clock(CommandContext& c, const CommandLine& l) {
    // Stops the clock at a moment, so tickets and dates come out the same every run.
    if (l.rest == QLatin1String("run")) {
        c.program.clock.run();
        return {};
    }
    const QDateTime t = QDateTime::fromString(l.rest, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid())
        return Result::fail(QStringLiteral("clock takes YYYY-MM-DD HH:MM:SS or run"));
    c.program.clock.stopAt(t);
    return {};
}

Result wait(CommandContext& c, const CommandLine& l) {
    const auto v = toInt(l.arg(1));
    if (!v || *v < 0)
        return Result::fail(QStringLiteral("wait takes milliseconds"));
    c.pause = CommandContext::Pause{c.program.sim.nowMs() + *v, {}, {}};
    return {};
}

Result at(CommandContext& c, const CommandLine& l) {
    // The command runs that long after the script started (at once when that moment has
    // passed), the program running meanwhile.
    static const QRegularExpression when(QStringLiteral("^(\\d+):(\\d{2})(?:\\.(\\d{1,3}))?$"));
    const auto m = when.match(l.arg(1));
    if (!m.hasMatch())
        return Result::fail(QStringLiteral("at takes MM:SS and a command"));
    const qint64 due = (m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 1000 +
                       m.captured(3).leftJustified(3, QLatin1Char('0')).toLongLong();
    const QString line = l.afterFirst();
    c.pause = CommandContext::Pause{
        c.startedMs + due, {}, [&c, line] { c.late = runCommandLine(c, line); }};
    return {};
}

Result state(CommandContext& c, const CommandLine& l) {
    const QJsonObject dump = dumpState(c.program);
    if (l.argCount() == 0)
        return {std::nullopt, dump, false};
    QFile f(l.rest);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Result::fail(QStringLiteral("cannot write %1").arg(l.rest));
    f.write(QJsonDocument(dump).toJson(QJsonDocument::Compact) + '\n');
    return {};
}

Result snapshot(CommandContext& c, const CommandLine& l) {
    Program& p = c.program;
    const QString what = l.arg(1);
    QString path = l.afterFirst();
    QImage img;
    if (what == QLatin1String("board")) {
        const LeadingFlags f =
            readLeadingFlags(l.words, 2, {QStringLiteral("zoom"), QStringLiteral("background")});
        if (!f.error.isEmpty())
            return Result::fail(f.error);
        int zoom = p.board->zoom();
        if (f.values.count(QStringLiteral("zoom"))) {
            bool ok = false;
            zoom = f.values.at(QStringLiteral("zoom")).toInt(&ok);
            if (!ok || zoom < 1 || zoom > 4)
                return Result::fail(QStringLiteral("snapshot board --zoom takes 1-4"));
        }
        const QString bg = f.values.count(QStringLiteral("background"))
                               ? f.values.at(QStringLiteral("background"))
                               : QStringLiteral("transparent");
        static const std::map<QString, BoardBackground> backgrounds{
            {QStringLiteral("panel"), BoardBackground::Panel},
            {QStringLiteral("transparent"), BoardBackground::Transparent},
            {QStringLiteral("lit"), BoardBackground::Lit}};
        if (!backgrounds.count(bg))
            return Result::fail(
                QStringLiteral("snapshot board --background takes panel, transparent or lit"));
        path = l.words.mid(f.next).join(QLatin1Char(' '));
        // Drawn from what the board shows, never from the window: any zoom, any background.
        img = p.board->render(zoom, backgrounds.at(bg));
    } else if (what == QLatin1String("panel"))
        img = p.panel->grab().toImage();
    else if (what == QLatin1String("options"))
        img = p.optionDialog->grab().toImage();
    else if (what == QLatin1String("routes"))
        img = p.routeImport().grab().toImage();
    else if (what == QLatin1String("ticket"))
        img = p.preview->image();
    else
        return Result::fail(
            QStringLiteral("snapshot takes board, panel, options, routes or ticket"));
    if (path.isEmpty()) {
        // No file: the picture comes back in the answer (what a network client gets).
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, "PNG");
        return {std::nullopt,
                QJsonObject{{QStringLiteral("width"), img.width()},
                            {QStringLiteral("height"), img.height()},
                            {QStringLiteral("png"), QString::fromLatin1(png.toBase64())}},
                false};
    }
    if (!img.save(path, "PNG"))
        return Result::fail(QStringLiteral("cannot write %1").arg(path));
    return {};
}

// ---- how the board is drawn

Result zoom(CommandContext& c, const CommandLine& l) {
    bool ok = false;
    const int n = l.arg(1).toInt(&ok);
    if (!ok || n < 1 || n > 4)
        return Result::fail(QStringLiteral("zoom takes 1, 2, 3 or 4"));
    // As the board's menu chooses it: remembered with the options.
    c.program.board->zoomChosen(n);
    return {};
}

Result fullscreen(CommandContext& c, const CommandLine& l) {
    const QString how = l.arg(1);
    if (how != QLatin1String("on") && how != QLatin1String("off"))
        return Result::fail(QStringLiteral("fullscreen takes on [MONITOR] or off"));
    QScreen* screen = nullptr;
    if (l.argCount() == 2) {
        for (QScreen* s : QGuiApplication::screens())
            if (s->name() == l.arg(2))
                screen = s;
        if (!screen)
            return Result::fail(QStringLiteral("no monitor named %1").arg(l.arg(2)));
    }
    c.program.board->setFullScreen(how == QLatin1String("on"), screen);
    return {};
}

// ---- following the bus

Result follow(CommandContext& c, const CommandLine& l) {
    const auto on = onOff(l.arg(1));
    if (!on)
        return Result::fail(QStringLiteral("follow takes on or off"));
    c.program.remote->setFollowing(*on);
    return {};
}

Result telemetry(CommandContext& c, const CommandLine& l) {
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(l.rest.toUtf8(), &err);
    if (err.error != QJsonParseError::NoError)
        return Result::fail(QStringLiteral("telemetry takes a JSON object"));
    auto t = remote::parseTelemetry(doc.object().value(QLatin1String("telemetry")).isObject()
                                        ? doc.object().value(QLatin1String("telemetry"))
                                        : QJsonValue(doc.object()));
    if (auto* e = std::get_if<QString>(&t))
        return Result::fail(*e);
    c.program.remote->telemetry(std::get<remote::Telemetry>(t));
    return {};
}

Result replay(CommandContext& c, const CommandLine& l) {
    // A FIFO or a device would hold the program in open() or read forever.
    if (const auto why = files::notRegularFile(l.rest))
        return Result::fail(QStringLiteral("cannot read %1: %2").arg(l.rest, *why));
    QFile f(l.rest);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return Result::fail(QStringLiteral("cannot read %1: %2").arg(l.rest, f.errorString()));
    std::vector<std::pair<int64_t, remote::Telemetry>> log;
    int lineNo = 0;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        auto t = remote::parseTelemetry(o.value(QLatin1String("telemetry")));
        if (!o.value(QLatin1String("t")).isDouble() || std::holds_alternative<QString>(t))
            return Result::fail(QStringLiteral("%1 line %2: a time \"t\" in seconds and a "
                                               "\"telemetry\" object")
                                    .arg(l.rest)
                                    .arg(lineNo));
        log.emplace_back(static_cast<int64_t>(o.value(QLatin1String("t")).toDouble() * 1000),
                         std::get<remote::Telemetry>(t));
    }
    if (log.empty())
        return Result::fail(QStringLiteral("%1 holds no telemetry").arg(l.rest));
    Program& p = c.program;
    p.remote->setFollowing(true);
    // Each message at its time after the first, as the bus sent it: a telemetry command
    // in the queue like a client's. The script goes on once the last has run.
    const int64_t since = p.sim.nowMs();
    auto left = std::make_shared<size_t>(log.size());
    for (const auto& [due, message] : log)
        p.sim.schedule(since + due, p.remote.get(), [&p, left, m = message] {
            p.queue.submit({CommandQueue::Source::Telemetry, QStringLiteral("telemetry"),
                            [&p, m] { p.remote->telemetry(m); }, [left] { --*left; }});
        });
    c.pause = CommandContext::Pause{-1, [left] { return *left == 0; }, {}};
    return {};
}

// 路線データの取り込み, worked as a person does; opening a feed and importing wait until
// the dialog's thread has finished.
Result routes(CommandContext& c, const CommandLine& l) {
    Program& p = c.program;
    ImportDialog& d = p.routeImport();
    const QString what = l.arg(1);
    // The dialog's thread works while the queue waits; what comes after looks at the result.
    auto settle = [&p, &d](std::function<void()> after) {
        p.queue.holdUntil([&d] { return !d.busy(); }, QStringLiteral("Import"));
        p.queue.then(std::move(after));
    };
    if (what == QLatin1String("open")) {
        p.showRouteImport();
    } else if (what == QLatin1String("feed") && l.argCount() >= 2) {
        p.showRouteImport();
        d.openFeed(l.afterFirst());
        settle([&c, &d, feed = l.afterFirst()] {
            if (!d.hasFeed())
                c.late = Result::fail(QStringLiteral("the feed %1 could not be read").arg(feed));
        });
    } else if (what == QLatin1String("folder") && l.argCount() >= 2) {
        d.setFolder(l.afterFirst());
    } else if (what == QLatin1String("search")) {
        d.search(l.afterFirst());
    } else if (what == QLatin1String("tick") && l.argCount() == 2) {
        if (!d.tick(l.arg(2).toInt()))
            return Result::fail(QStringLiteral("no pattern numbered %1 in the list").arg(l.arg(2)));
    } else if (what == QLatin1String("import")) {
        d.startImport();
        settle([&c, &d] { c.late = Result{std::nullopt, d.report().json(), false}; });
    } else if (what == QLatin1String("show")) {
        if (d.firstImported() == 0)
            return Result::fail(QStringLiteral("nothing has been imported"));
        p.showImportedRoute(d.folder(), d.firstImported());
    } else if (what == QLatin1String("close")) {
        d.hide();
    } else {
        return Result::fail(
            QStringLiteral("routes takes open, feed PATH, folder PATH, search TEXT, "
                           "tick NUMBER, import, show or close"));
    }
    return {};
}

Result quit(CommandContext& c, const CommandLine&) {
    c.companion.answerYesNext();
    if (!panelOf(c).close())
        return Result::fail(QStringLiteral("the close was refused"));
    return {std::nullopt, {}, true};
}

} // namespace

QString CommandLine::afterFirst() const {
    const qsizetype at = rest.indexOf(QLatin1Char(' '));
    return at < 0 ? QString() : rest.mid(at + 1).trimmed();
}

const std::vector<CommandRow>& commandTable() {
    static const std::vector<CommandRow> rows = {
        {"key", 1, 1, "key 0-9|route|section", "a keypad button (系統, 区間 for route and section)",
         key},
        {"list", 4, 6, "list route D D D D D | list section D D D",
         "choose the digits on the list page (- for none)", list},
        {"reset", 1, 1, "reset keypad|list", "one of the two リセット buttons", reset},
        {"next", 0, 0, "next", "データ送り", next},
        {"back", 0, 0, "back", "データ戻し", back},
        {"blank", 1, 1, "blank on|off", "表示消去", blank},
        {"latenight", 1, 1, "latenight on|off", "深夜料金", latenight},
        {"preview", 1, 1, "preview on|off", ">> (the widened panel with the ticket preview)",
         preview},
        {"backlight", 1, 1, "backlight 0|1|2", "バックライト OFF, ON1, ON2", backlight},
        {"speed", 1, 1, "speed N", "the scroll bar ｽｸﾛｰﾙ速度", speed},
        {"interval", 1, 1, "interval N", "the scroll bar ｽｸﾛｰﾙ間隔 (milliseconds)", interval},
        {"page", 1, 1, "page 0|1", "double-click the entry page: 0 lists, 1 keypad", page},
        {"digit-dialog", 5, 5, "digit-dialog N ZERO SHIFT FILL RESULT",
         "double-click fare digit N with these answers", digitDialog},
        {"tape", 1, 1, "tape next|back|stop|adjust", "the announcement buttons 送り, 戻し, ■, 調整",
         tape},
        {"option", 1, kAnyArgs, "option NAME VALUE",
         "set an option by its settings name (the dialog follows)", option},
        {"settings", 0, 0, "settings", "設定...: open the options dialog", settings},
        {"ok", 0, 0, "ok", "the options dialog's OK (opening it first if needed)", ok},
        {"apply", 0, 0, "apply", "the same as ok", ok},
        {"click", 1, 1, "click frmOption.CONTROL", "press a control of the options dialog", click},
        {"answer", 1, kAnyArgs, "answer file|folder|color|date VALUE | answer cancel",
         "the next picker's answer", answer},
        {"version", 0, 0, "version", "the version button", version},
        {"company", 1, 1, "company N", "choose entry N of the panel's company list", company},
        {"auto", 1, 2, "auto start SECONDS | auto stop | auto wait",
         "自動; wait: to the last stop and its voice", autoRun},
        {"record", 1, kAnyArgs, "record start [FILE] | record stop",
         "録画 into FILE (.mp4 or .webm; without one, the video folder); finish it", record},
        {"clock", 1, 2, "clock YYYY-MM-DD HH:MM:SS | clock run",
         "stop the clock at a moment; let it run", clock},
        {"zoom", 1, 1, "zoom 1|2|3|4", "the board's 表示倍率 (remembered)", zoom},
        {"fullscreen", 1, 2, "fullscreen on [MONITOR] | fullscreen off",
         "全画面表示 on the board's monitor or the one named; back", fullscreen},
        {"wait", 1, 1, "wait MS", "let the program run for MS milliseconds", wait},
        {"at", 2, kAnyArgs, "at MM:SS COMMAND", "run COMMAND that long after the script started",
         at},
        {"state", 0, kAnyArgs, "state [FILE]", "the whole observable state as one JSON line",
         state},
        {"snapshot", 1, kAnyArgs,
         "snapshot board [--zoom N] [--background panel|transparent|lit]|panel|options|routes|"
         "ticket [FILE.png]",
         "a picture: the board drawn from what it shows (at its zoom or N; transparent corners, "
         "black ones, or only what is lit), the other windows' pixels; without a file, base64 "
         "PNG in the answer",
         snapshot},
        {"follow", 1, 1, "follow on|off", "follow the telemetry other programs send", follow},
        {"telemetry", 1, kAnyArgs, "telemetry JSON",
         "one telemetry message, as a client sends it (doors, speedKmh, stop, distance)",
         telemetry},
        {"replay", 1, kAnyArgs, "replay FILE",
         "feed a recorded telemetry log (JSON lines with \"t\" in seconds) at its times", replay},
        {"routes", 1, kAnyArgs,
         "routes open | feed PATH | folder PATH | search TEXT | tick NUMBER | import | show | "
         "close",
         "路線データの取り込み: open a GTFS-JP feed, tick a pattern by its number, import it "
         "(the report is the answer), この路線を表示",
         routes},
        {"quit", 0, 0, "quit", "close the program, answering Yes", quit},
    };
    return rows;
}

const CommandRow* findCommand(const QString& name) {
    for (const CommandRow& r : commandTable())
        if (name == QLatin1String(r.name))
            return &r;
    return nullptr;
}

CommandResult runCommandLine(CommandContext& ctx, const QString& text) {
    const QString line = text.trimmed();
    CommandLine l;
    l.words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (l.words.isEmpty())
        return Result::fail(QStringLiteral("empty command"));
    const qsizetype restAt = line.indexOf(QLatin1Char(' '));
    l.rest = restAt < 0 ? QString() : line.mid(restAt + 1).trimmed();
    const CommandRow* row = findCommand(l.words[0]);
    if (!row)
        return Result::fail(QStringLiteral("unknown command"));
    if (l.argCount() < row->minArgs || l.argCount() > row->maxArgs)
        return Result::fail(QStringLiteral("usage: %1").arg(QString::fromUtf8(row->usage)));
    return row->run(ctx, l);
}

QString commandHelp() {
    QString out =
        QStringLiteral("Script commands (527 --script FILE, one a line; # starts a comment):\n\n");
    for (const CommandRow& r : commandTable())
        out += QStringLiteral("  %1\n      %2\n")
                   .arg(QString::fromUtf8(r.usage), QString::fromUtf8(r.help));
    return out;
}
