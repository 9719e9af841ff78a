#pragma once
// The trip controller: the one owner of route entry, the route table and its state,
// route setting with the lamp test, stepping, blanking and late-night fares. The panel
// forwards the operator's clicks here and draws what this reports; the board is driven
// through BoardView; sound and announcements hang off this object.
#include "BoardView.h"
#include "Clock.h"
#include "DataIo.h"
#include "Outcome.h"
#include "RouteRules.h"

#include <QDate>
#include <QObject>
#include <array>
#include <functional>

class AnnouncementPlayer;
class CommandQueue;
class PanelState;
class SoundChannels;
class TicketPreview;
struct Options;

// The list page's choices: a digit (0-9) per list, -1 where nothing is chosen.
struct ListEntry {
    std::array<int, 5> route{-1, -1, -1, -1, -1};
    std::array<int, 3> section{-1, -1, -1};
};

enum class EntryPage { Lists = 0, Keypad = 1 };

class Trip : public QObject {
    Q_OBJECT
  public:
    struct Services {
        BoardView& board;
        const Options& options;
        SoundChannels& sound;
        AnnouncementPlayer& tape;
        // The queue the trip's commands run in: the lamp test holds it, and what follows a
        // hold goes after it. None: nothing waits (tests of the rules alone).
        CommandQueue* queue = nullptr;
        // The simulator's clock; none stands for the system's.
        const Clock* clock = nullptr;
        // The ticket preview and the panel state choosing its company; without a preview
        // no ticket is drawn.
        TicketPreview* preview = nullptr;
        const PanelState* panel = nullptr;
    };
    explicit Trip(Services s, QObject* parent = nullptr);

    // Entry
    void pressKey(int button);              // keypad 0-9, 10 route, 11 section
    void chooseRouteDigit(int list, int d); // list page, route list 0-4
    void chooseSectionDigit(int list, int d);
    // A list losing its choice: no sound, the digit is simply gone from the entry.
    void clearListDigit(bool routeList, int list);
    const KeypadEntry& keypad() const { return keypad_; }
    const ListEntry& lists() const { return lists_; }

    // リセット on either page: loads the route and, when it loaded, runs the lamp test and
    // shows the starting stop. A failed load is returned for the panel to report.
    Outcome setRoute(EntryPage page);
    // データ送り (forward) / データ戻し; nothing happens at either end of the route.
    void step(bool forward);
    // Straight to row `row` of the route (following the bus); false when no route is set,
    // the board is blanked or the row is outside the trip.
    bool jumpTo(int row);
    void setBlank(bool on);
    void setLateNight(bool on);
    // The announcement buttons: the player speaks, and the board steps when the line
    // says so.
    void tapeNext();
    void tapeBack();

    // The speech engine's start at the panel's load; true when announcements can be spoken.
    bool initSpeech();
    bool speechUsable() const;
    // Whether the announcement group takes input: on when speech works, off after a
    // broadcast list failed to load and while the board is blanked.
    bool tapeGroupEnabled() const { return tapeGroup_; }
    // Whether the broadcast list has a line after the current one to announce.
    bool tapeHasNext() const;
    void adjustVoice();
    void stopVoice();
    // At quit: the four sound channels closed, then the speech engine released.
    void closeDevices();

    // The board update for row n: fares, the ticket preview, then the stop name.
    void DispData(int n);
    // Whether the last board update drew a ticket.
    bool previewDrawn() const { return previewDrawn_; }
    // Draws the current stop name again (after the options dialog).
    void redrawStopName();

    const RouteTable& table() const { return table_; }
    const RouteState& state() const { return state_; }
    bool routeSet() const { return routeSet_; }
    bool blanked() const { return blanked_; }
    bool lateNight() const { return lateNight_; }
    const QString& RouteDate() const { return routeDate_; }

  Q_SIGNALS:
    // Something the panel shows changed (entry, enabled controls).
    void changed();
    // The board was updated for a row.
    void boardUpdated(int row);
    // A route was set (after its lamp test, before its first board update).
    void routeWasSet();
    void blankChanged(bool on);
    // The announcement list moved (送り or 戻し); the player may be speaking its line.
    void tapeMoved();

  private:
    QDateTime now() const;
    // After whatever holds the queue now (a sound played to its end), or at once.
    void then(std::function<void()> fn);
    // The rest of route setting, once the lamp test is over.
    void finishRouteSetting();
    // Board update steps 3-5: clear the preview, then draw this row's ticket when the
    // preview is in use, taking back the stop name the plug-in left.
    void drawTicket(int n);
    void takeBackStopName(int n, const QByteArray& cp932);

    Services s_;
    RouteTable table_;
    RouteState state_;
    KeypadEntry keypad_;
    ListEntry lists_;
    bool routeSet_ = false;
    bool blanked_ = false;
    bool lateNight_ = false;
    QString routeDate_;
    bool tapeGroup_ = false;
    bool previewDrawn_ = false;
};
