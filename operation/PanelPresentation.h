#pragma once
// What the control panel shows: which controls take input, which switches are on, and
// the captions that change, decided from the trip, the panel state and the auto run
// alone. The desktop panel and the panel page of the browser both show this one answer,
// so a rule about what is greyed is written once.
#include <QJsonObject>
#include <QString>

class Trip;
class PanelState;

struct PanelPresentation {
    QString route, section;    // the entry as typed
    bool entry = true;         // both entry pages (keypad and digit lists)
    bool lateNight = true;     // the 深夜料金 frame
    bool back = false, next = false; // データ戻し, データ送り
    bool blank = false;        // 表示消去 takes a click
    bool tape = false;         // the announcement group
    QString tapeCaption;       // 音合使用可 / 音合使用不可
    bool autoRun = false;      // 自動 takes a click
    bool blankOn = false, lateNightOn = false, autoOn = false;
    int backlight = 0;

    // Controls by the names the state dump and the pages use ("Command2(1)", "cmdAuto" …).
    QJsonObject enabledMap() const;
    bool operator==(const PanelPresentation&) const = default;
};

PanelPresentation presentPanel(const Trip& trip, const PanelState& state, bool autoRunning);
