#include "StateDump.h"

#include "LedLook.h"

#include "Limits.h"

#include "Options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "M_Degit.h"
#include "Program.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>

namespace {

void describeTripAndBoard(const Program& p, QJsonObject& o) {
    o[QStringLiteral("RouteDigits")] = p.trip->state().RouteDigits;
    o[QStringLiteral("StartSection")] = p.trip->state().StartSection;
    o[QStringLiteral("CurrentRow")] = p.trip->state().CurrentRow;
    o[QStringLiteral("RowCount")] = p.trip->state().RowCount;
    o[QStringLiteral("RouteDate")] = p.trip->RouteDate();

    const QJsonObject board = p.board->describe();
    for (auto it = board.begin(); it != board.end(); ++it)
        o[it.key()] = it.value();
    QJsonObject f1 = o[QStringLiteral("Form1")].toObject();
    f1[QStringLiteral("backlight")] = p.panelState.backlight();
    o[QStringLiteral("Form1")] = f1;
}

void describePanel(const Program& p, QJsonObject& o) {
    const frmCtl& f = *p.panel;
    QJsonObject fc;
    fc[QStringLiteral("Left")] = f.LeftTwips();
    fc[QStringLiteral("Top")] = f.TopTwips();
    fc[QStringLiteral("Width")] = f.widthTwips();
    // The panel's state from the models, never read back from its widgets.
    const PanelPresentation shown = f.presentation();
    fc[QStringLiteral("Label2")] = QJsonArray{shown.route, QStringLiteral("-"), shown.section};
    fc[QStringLiteral("PanelPage")] = p.panelState.entryPage();
    fc[QStringLiteral("Check1")] = shown.blankOn ? 1 : 0;
    fc[QStringLiteral("Check2")] = shown.lateNightOn ? 1 : 0;
    fc[QStringLiteral("Check4")] = p.panelState.expanded() ? 1 : 0;
    fc[QStringLiteral("Check4Caption")] =
        p.panelState.expanded() ? QStringLiteral("<<") : QStringLiteral(">>");
    fc[QStringLiteral("grpM_TapeCaption")] = shown.tapeCaption;
    fc[QStringLiteral("enabled")] = shown.enabledMap();
    fc[QStringLiteral("cmdAuto")] = shown.autoOn ? 1 : 0;
    fc[QStringLiteral("backlight")] = p.panelState.backlight();
    fc[QStringLiteral("HScroll1")] =
        QJsonArray{p.panelState.scrollSpeed(), p.panelState.scrollInterval()};
    QJsonObject prev;
    prev[QStringLiteral("width")] = f.previewWidthTwips();
    prev[QStringLiteral("height")] = f.previewHeightTwips();
    prev[QStringLiteral("drawn")] = p.trip->previewDrawn();
    fc[QStringLiteral("picSeirikenPrev")] = prev;
    QJsonObject companies;
    companies[QStringLiteral("index")] = p.panelState.company();
    companies[QStringLiteral("items")] = QJsonArray::fromStringList(p.panelState.companies());
    fc[QStringLiteral("Combo1")] = companies;
    o[QStringLiteral("frmCtl")] = fc;
}

void describeOptions(const Program& p, QJsonObject& o) {
    // Every option under its settings name, as the settings file keeps it.
    auto dump = [&p](const std::vector<OptionField>& fields) {
        QJsonObject opts;
        for (const OptionField& f : fields) {
            const QString name = QString::fromLatin1(f.name);
            if (f.kind == OptionField::Kind::Str)
                opts[name] = getOption(p.options, name);
            else
                opts[name] = getOption(p.options, name).toInt();
        }
        return opts;
    };
    o[QStringLiteral("options")] = dump(optionFields());
    o[QStringLiteral("litColors")] = litColors(p);
    // Ours apart, so the settings file's own stay exactly its fields.
    o[QStringLiteral("ownOptions")] = dump(ownOptionFields());
}

void describeOptionDialog(const Program& p, QJsonObject& o) {
    if (p.optionDialog) {
        QJsonObject d, controls;
        d[QStringLiteral("page")] = p.optionDialog->page();
        d[QStringLiteral("visible")] = p.optionDialog->isVisible();
        // Where the dialog's frame stands on the screen, in pixels.
        d[QStringLiteral("left")] = p.optionDialog->frameGeometry().x();
        d[QStringLiteral("top")] = p.optionDialog->frameGeometry().y();
        for (const auto& [name, w] : p.optionDialog->controls()) {
            QJsonObject c;
            c[QStringLiteral("enabled")] = w->isEnabled();
            c[QStringLiteral("visible")] = w->isVisibleTo(p.optionDialog.get());
            if (auto* e = qobject_cast<QLineEdit*>(w))
                c[QStringLiteral("value")] = e->text();
            else if (auto* cb = qobject_cast<QCheckBox*>(w))
                c[QStringLiteral("value")] = cb->isChecked() ? 1 : 0;
            else if (auto* r = qobject_cast<QRadioButton*>(w))
                c[QStringLiteral("value")] = r->isChecked() ? -1 : 0;
            else if (auto* combo = qobject_cast<QComboBox*>(w)) {
                c[QStringLiteral("index")] = combo->currentIndex();
                QStringList items;
                for (int i = 0; i < combo->count(); ++i)
                    items << combo->itemText(i);
                c[QStringLiteral("items")] = QJsonArray::fromStringList(items);
            } else if (auto* l = qobject_cast<QLabel*>(w))
                c[QStringLiteral("value")] = l->text();
            else if (auto* t = qobject_cast<QPlainTextEdit*>(w))
                c[QStringLiteral("value")] = t->toPlainText();
            else if (auto* list = qobject_cast<QListWidget*>(w)) {
                QStringList items;
                for (int i = 0; i < list->count(); ++i)
                    items << list->item(i)->text();
                c[QStringLiteral("items")] = QJsonArray::fromStringList(items);
            } else if (auto* b = qobject_cast<QPushButton*>(w)) {
                if (b->property("color").isValid())
                    c[QStringLiteral("color")] = b->property("color").toInt();
                c[QStringLiteral("caption")] = b->text();
                if (b->isCheckable())
                    c[QStringLiteral("value")] = b->isChecked() ? -1 : 0;
            } else if (auto* d1 = qobject_cast<M_Degit*>(w)) {
                c[QStringLiteral("BackColor")] = static_cast<qint64>(d1->BackColor());
                c[QStringLiteral("BaseForeColor")] = static_cast<qint64>(d1->BaseForeColor());
                c[QStringLiteral("DegitForeColor")] = static_cast<qint64>(d1->DegitForeColor());
            }
            controls[name] = c;
        }
        d[QStringLiteral("controls")] = controls;
        o[QStringLiteral("frmOption")] = d;
    }
}

void describeRemote(const Program& p, QJsonObject& o) {
    if (!p.server || !p.remote)
        return;
    QJsonObject r;
    r[QStringLiteral("listening")] = p.server->listening();
    r[QStringLiteral("port")] = p.server->port();
    r[QStringLiteral("following")] = p.remote->following();
    r[QStringLiteral("announceDistanceM")] = p.remote->follower().announceDistance();
    const remote::Telemetry& t = p.remote->follower().last();
    QJsonObject last;
    if (t.doorsOpen)
        last[QStringLiteral("doors")] =
            *t.doorsOpen ? QStringLiteral("open") : QStringLiteral("closed");
    if (t.speedKmh)
        last[QStringLiteral("speedKmh")] = *t.speedKmh;
    if (t.stop)
        last[QStringLiteral("stop")] = *t.stop;
    if (t.distanceToNextStopM)
        last[QStringLiteral("distanceToNextStopM")] = *t.distanceToNextStopM;
    r[QStringLiteral("telemetry")] = last;
    o[QStringLiteral("remote")] = r;
}

void describeRunning(const Program& p, QJsonObject& o) {
    if (p.recording) {
        QJsonObject r;
        r[QStringLiteral("active")] = p.recording->recording();
        r[QStringLiteral("file")] = p.recording->file();
        r[QStringLiteral("frames")] = static_cast<qint64>(p.recording->frames());
        r[QStringLiteral("dropped")] = static_cast<qint64>(p.recording->dropped());
        r[QStringLiteral("repeated")] = static_cast<qint64>(p.recording->repeated());
        r[QStringLiteral("seconds")] = p.recording->seconds();
        o[QStringLiteral("recording")] = r;
    }
    if (p.stalls) {
        QJsonObject ui;
        ui[QStringLiteral("longestStallMs")] = p.stalls->longestStallMs();
        ui[QStringLiteral("stallsOver50ms")] = p.stalls->stallsOver50ms();
        ui[QStringLiteral("recentLongestStallMs")] = p.stalls->recentLongestStallMs();
        o[QStringLiteral("ui")] = ui;
    }
    // The simulator's time and what the queue is doing: where a virtual run has got to.
    QJsonObject sim;
    sim[QStringLiteral("mode")] =
        p.sim.isVirtual() ? QStringLiteral("virtual") : QStringLiteral("real");
    sim[QStringLiteral("ms")] = static_cast<qint64>(p.sim.nowMs());
    sim[QStringLiteral("waitingFor")] = p.queue.waitingFor();
    sim[QStringLiteral("pending")] = static_cast<qint64>(p.queue.pending());
    o[QStringLiteral("clock")] = sim;
    if (p.autoRun) {
        QJsonObject a;
        a[QStringLiteral("running")] = p.autoRun->running();
        a[QStringLiteral("interval")] = p.autoRun->interval();
        o[QStringLiteral("auto")] = a;
    }
}

void describeSound(const Program& p, QJsonObject& o) {
    if (p.tape) {
        QJsonObject t;
        t[QStringLiteral("count")] = p.tape->GetTapeCount();
        t[QStringLiteral("position")] = p.tape->GetTapePos();
        t[QStringLiteral("SpeechUsable")] = p.tape->SpeechUsable();
        t[QStringLiteral("speaking")] = p.tape->speaking();
        t[QStringLiteral("lastText")] = p.tape->lastText();
        if (p.speech)
            t[QStringLiteral("reading")] = p.speech->reading(p.tape->lastText());
        o[QStringLiteral("mdlM_Tape")] = t;
    }

    if (p.channels && p.mixer) {
        QJsonObject snd, chans;
        for (const Channel c : kAllChannels) {
            const QString alias = p.channels->alias(c);
            QJsonObject ch;
            const QString type = p.mixer->typeOf(alias);
            const QString file = p.mci ? p.mci->fileOf(alias) : QString();
            ch[QStringLiteral("file")] = file.isEmpty() ? QJsonValue() : QJsonValue(file);
            ch[QStringLiteral("type")] = type.isEmpty() ? QJsonValue() : QJsonValue(type);
            ch[QStringLiteral("playing")] = p.mixer->playing(alias);
            chans[channelName(c)] = ch;
        }
        snd[QStringLiteral("channels")] = chans;
        snd[QStringLiteral("commands")] = QJsonArray::fromStringList(p.channels->recentCommands());
        snd[QStringLiteral("driver")] = p.audio ? p.audio->driver() : QString();
        snd[QStringLiteral("renderedSeconds")] =
            static_cast<double>(p.mixer->framesRendered()) / Mixer::kRate;
        o[QStringLiteral("mdlSndAPI")] = snd;
    }
}
} // namespace

QJsonObject dumpState(const Program& p) {
    QJsonObject o;
    for (auto* part : {describeTripAndBoard, describePanel, describeOptions, describeOptionDialog,
                       describeRunning, describeRemote, describeSound})
        part(p, o);
    return o;
}

QJsonObject dumpPanel(const Program& p) {
    QJsonObject o;
    describePanel(p, o);
    return o[QStringLiteral("frmCtl")].toObject();
}

QJsonArray litColors(const Program& p) {
    const Options& o = p.options;
    QJsonArray out{o.DigitLitColor, o.ChimeiForeColor, o.TsugiwaColorValue};
    // The LED look's presets light every LED in their own colour.
    if (o.LedDisplay != 0)
        if (const auto preset = ledPresetColor(o.LedColor))
            out.append((qBlue(*preset) << 16) | (qGreen(*preset) << 8) | qRed(*preset));
    return out;
}
