#include "PanelPresentation.h"

#include "PanelState.h"
#include "Trip.h"

PanelPresentation presentPanel(const Trip& t, const PanelState& s, bool autoRunning) {
    PanelPresentation p;
    p.route = t.keypad().route;
    p.section = t.keypad().section;
    const bool open = !t.blanked();
    p.entry = open;
    p.lateNight = open;
    p.back = open && t.routeSet();
    p.next = open && t.routeSet();
    p.blank = t.routeSet();
    p.tape = t.tapeGroupEnabled();
    p.tapeCaption = t.speechUsable() ? QStringLiteral("音合使用可") : QStringLiteral("音合使用不可");
    // A run already going may always be stopped; a new one needs a board that shows.
    p.autoRun = (t.routeSet() && open) || autoRunning;
    p.blankOn = t.blanked();
    p.lateNightOn = t.lateNight();
    p.autoOn = autoRunning;
    p.backlight = s.backlight();
    return p;
}

QJsonObject PanelPresentation::enabledMap() const {
    return {{QStringLiteral("Command2(0)"), back},  {QStringLiteral("Command2(1)"), next},
            {QStringLiteral("Check1"), blank},      {QStringLiteral("Frame1(0)"), entry},
            {QStringLiteral("Frame1(1)"), entry},   {QStringLiteral("Frame6"), lateNight},
            {QStringLiteral("grpM_Tape"), tape},    {QStringLiteral("cmdAuto"), autoRun}};
}
