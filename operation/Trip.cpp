#include "Trip.h"

#include "BroadcastFile.h"

#include "AnnouncementPlayer.h"
#include "ApiLib.h"
#include "CommandQueue.h"
#include "Cp932.h"
#include "Limits.h"
#include "Options.h"
#include "PanelState.h"
#include "SoundChannels.h"
#include "TicketPreview.h"

Trip::Trip(Services s, QObject* parent) : QObject(parent), s_(std::move(s)) {}

void Trip::pressKey(int button) {
    s_.sound.PlaySnd(s_.options.ResetSound, Channel::S1, false, 0);
    keypad_.press(button);
    Q_EMIT changed();
}

void Trip::chooseRouteDigit(int list, int d) {
    if (list >= 0 && list < static_cast<int>(lists_.route.size()))
        lists_.route[static_cast<size_t>(list)] = d;
    s_.sound.PlaySnd(s_.options.ResetSound, Channel::S1, false, 0);
}

void Trip::chooseSectionDigit(int list, int d) {
    if (list >= 0 && list < static_cast<int>(lists_.section.size()))
        lists_.section[static_cast<size_t>(list)] = d;
    s_.sound.PlaySnd(s_.options.RouteSetSound, Channel::S1, false, 0);
}

void Trip::clearListDigit(bool routeList, int list) {
    if (routeList && list >= 0 && list < static_cast<int>(lists_.route.size()))
        lists_.route[static_cast<size_t>(list)] = -1;
    if (!routeList && list >= 0 && list < static_cast<int>(lists_.section.size()))
        lists_.section[static_cast<size_t>(list)] = -1;
}

Outcome Trip::setRoute(EntryPage page) {
    const QString broadcastFolder = ApiLib::withTrailingSeparator(s_.options.BroadcastDataFolder);
    s_.sound.PlaySnd(s_.options.RouteSetSound, Channel::S1, false, 0);
    QString digits, sectionText;
    if (page == EntryPage::Keypad) {
        digits = keypad_.route;
        sectionText = keypad_.section;
    } else {
        for (int d : lists_.route)
            if (d >= 0)
                digits += QString::number(d);
        for (int d : lists_.section)
            if (d >= 0)
                sectionText += QString::number(d);
    }
    state_.RouteDigits = digits;
    state_.StartSection = normalizeSection(sectionText);
    if (s_.tape.LoadTape(broadcastFolder, routeFileNumber(digits))) {
        if (s_.tape.SpeechUsable())
            tapeGroup_ = true;
        // Our option: a trip that starts further on has its announcements start there too.
        if (s_.options.TapeFollowsSection != 0) {
            std::vector<int> flags;
            for (int i = 1; i <= s_.tape.GetTapeCount(); ++i)
                flags.push_back(s_.tape.GetAdvanceFlag(i));
            s_.tape.SetTapePos(broadcast::positionForRow(flags, state_.StartSection));
        }
    } else {
        tapeGroup_ = false;
    }
    Q_EMIT changed();
    Outcome loaded = LoadFareData(table_, state_, s_.options.FareDataFolder);
    if (!loaded.ok)
        return loaded;

    const int16_t remembered = s_.board.stopNameMode();
    s_.board.showStopName(cp932::encode(QStringLiteral("系統選別中")), 0, remembered);
    s_.board.lampTest(true);
    // The lamp test: every segment lit for three seconds; every command waits behind it.
    if (s_.queue)
        s_.queue->holdFor(limits::kLampTestMs, QStringLiteral("LampTest"));
    then([this] { finishRouteSetting(); });
    return loaded;
}

void Trip::finishRouteSetting() {
    s_.board.lampTest(false);
    routeSet_ = true;
    Q_EMIT changed();
    Q_EMIT routeWasSet();
    routeDate_ = s_.options.DateFixed != 0 ? s_.options.FixedDateText : routeDateText(now().date());
    DispData(state_.CurrentRow);
}

void Trip::then(std::function<void()> fn) {
    if (s_.queue)
        s_.queue->then(std::move(fn));
    else
        fn();
}

void Trip::step(bool forward) {
    const std::optional<int16_t> target = stepTarget(state_, forward);
    if (!target)
        return;
    state_.CurrentRow = *target;
    s_.sound.PlaySnd(stepSoundFor(s_.options, table_, state_.CurrentRow), Channel::S2,
                     s_.options.StepSoundSync != 0, 0);
    // A waiting step sound holds the queue: the board changes when it has ended.
    const int row = state_.CurrentRow;
    then([this, row] { DispData(row); });
}

bool Trip::jumpTo(int row) {
    if (!routeSet_ || blanked_ || row < std::max<int>(state_.StartSection, 1) ||
        row > state_.RowCount)
        return false;
    if (row != state_.CurrentRow) {
        state_.CurrentRow = static_cast<int16_t>(row);
        DispData(row);
    }
    return true;
}

void Trip::setBlank(bool on) {
    const bool was = blanked_;
    blanked_ = on;
    if (was != on)
        Q_EMIT blankChanged(on);
    // Released, the group follows only whether speech works, as the panel always did.
    tapeGroup_ = !on && s_.tape.SpeechUsable();
    if (on) {
        s_.board.blank(true);
        Q_EMIT changed();
        return;
    }
    Q_EMIT changed();
    s_.board.blank(false);
    DispData(state_.CurrentRow);
}

void Trip::setLateNight(bool on) {
    lateNight_ = on;
    Q_EMIT changed();
}

void Trip::tapeNext() {
    s_.tape.TapeNext();
    // After a waiting chime, as the line's own step follows it.
    then([this] {
        Q_EMIT tapeMoved();
        if (s_.tape.GetAdvanceFlag(s_.tape.GetTapePos()) == 1)
            step(true);
    });
}

void Trip::tapeBack() {
    s_.tape.TapeBack();
    then([this] {
        Q_EMIT tapeMoved();
        if (s_.tape.GetAdvanceFlag(s_.tape.GetTapePos()) == 1)
            step(false);
    });
}

void Trip::DispData(int n) {
    const DispPlan plan = planDispData(table_, state_, s_.options, lateNight_, n);
    for (const DigitWrite& w : plan.writes)
        s_.board.showFare(w.position, w.value);
    drawTicket(n);
    // The first stop never shows 「次は」, but the element keeps the chosen mode for the
    // stops that follow. The name is read again: the ticket draw may have replaced it.
    const int16_t mode = s_.options.TsugiwaDisplay;
    s_.board.showStopName(table_.row(n).StopNameBytes, plan.firstRow ? 0 : mode, mode);
    Q_EMIT boardUpdated(n);
}

QDateTime Trip::now() const {
    return s_.clock ? s_.clock->now() : QDateTime::currentDateTime();
}

void Trip::drawTicket(int n) {
    previewDrawn_ = false;
    if (!s_.preview)
        return;
    s_.preview->clear();
    if (s_.options.UseTicketPreview != 1)
        return;
    SeirikenArgs args = seirikenArgs(table_, state_, s_.options, routeDate_, now(), n);
    args.company = static_cast<int16_t>(s_.panel ? s_.panel->company() : -1);
    // The path goes to the draw call even when it did not load at start: what a bad path
    // draws is the plug-in side's affair.
    s_.preview->draw(args);
    takeBackStopName(n, args.stopName);
    previewDrawn_ = true;
}

void Trip::takeBackStopName(int n, const QByteArray& cp932) {
    // Only a name the plug-in side really rewrote replaces the row's, so a draw never
    // disturbs the table.
    const std::string bytes = cp932.toStdString();
    if (bytes != table_.row(n).StopNameBytes)
        table_.SetRouteName(n, bytes);
}

void Trip::redrawStopName() {
    const int16_t mode = s_.board.stopNameMode();
    s_.board.showStopName({}, mode, mode);
    s_.board.showStopName(table_.row(state_.CurrentRow).StopNameBytes, mode, mode);
}

bool Trip::initSpeech() {
    tapeGroup_ = s_.tape.InitSpeech();
    Q_EMIT changed();
    return tapeGroup_;
}

bool Trip::speechUsable() const {
    return s_.tape.SpeechUsable();
}

bool Trip::tapeHasNext() const {
    return tapeGroup_ && s_.tape.GetTapeCount() > 0 &&
           s_.tape.GetTapePos() < s_.tape.GetTapeCount();
}

void Trip::adjustVoice() {
    s_.tape.TapeAdjust();
}

void Trip::stopVoice() {
    s_.tape.TapeStop();
}

void Trip::closeDevices() {
    s_.sound.CloseAllSnd();
    s_.tape.ReleaseSpeech();
}
