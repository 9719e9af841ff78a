#pragma once
// What the stop-name line holds, apart from any window: its settings, the name, the dot
// strip drawn from it (with the optional 「次は」 prefix) and the scroll, stepped on the
// simulator's clock. The element widget is a view of one; the board's renderer paints one
// at any moment without a widget.
#include "FrameScroll.h"
#include "LedLook.h"
#include "ScrollMotion.h"

#include <QImage>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

// The element's persisted keys and their defaults: a fresh element starts with them and
// saving leaves out a value equal to its default.
struct ChimeiDefaults {
    static constexpr uint32_t BackColor = 8421504;
    static constexpr uint32_t ForeColor = 48895;
    static constexpr int16_t Speed = 5;
    static constexpr int32_t ScrollStartWait = 1500;
    static constexpr int16_t Mode = 0;
    static constexpr int16_t Appearance = 1;
    static constexpr int16_t FontMode = 0;
    static constexpr bool FontBold = false;
    static constexpr int16_t TsugiwaMode = 0;
    static constexpr uint32_t TsugiwaColor = 7977471;
    static constexpr int16_t TsugiwaFontMode = 0;
    static constexpr bool TsugiwaBold = false;
};

struct StopLineSettings {
    uint32_t backColor = ChimeiDefaults::BackColor;
    uint32_t foreColor = ChimeiDefaults::ForeColor;
    int16_t speed = ChimeiDefaults::Speed;
    int32_t startWait = ChimeiDefaults::ScrollStartWait;
    int16_t mode = ChimeiDefaults::Mode;
    int16_t appearance = ChimeiDefaults::Appearance;
    int16_t fontMode = ChimeiDefaults::FontMode;
    bool fontBold = ChimeiDefaults::FontBold;
    int16_t tsugiwaMode = ChimeiDefaults::TsugiwaMode;
    uint32_t tsugiwaColor = ChimeiDefaults::TsugiwaColor;
    int16_t tsugiwaFontMode = ChimeiDefaults::TsugiwaFontMode;
    bool tsugiwaBold = ChimeiDefaults::TsugiwaBold;
};

class StopLine {
    struct Stepper;

  public:
    static constexpr int kHeight = 56;
    static constexpr int kFrameMs = 15; // the scroll's step in the plain look

    StopLine();

    StopLineSettings settings;
    // The background is the strip's and the viewport's together; setting it erases the dots.
    void setBackColor(uint32_t c);

    // Shows `cp932Name` from `nowMs`, replacing what was there; a name that does not fit
    // starts to scroll and every earlier scroll ends. Empty only clears the line (a running
    // scroll goes on moving the blank strip). True when a scroll started.
    bool setName(std::string_view cp932Name, int64_t nowMs);
    void drawUnit(int x, int y, std::string_view unitBytes);
    void drawTsugiwa();

    // Steps the scroll up to `nowMs`, as a running display does (a step never covers more
    // than a quarter of a second: a stalled loop must not make the strip jump). True when
    // the strip moved.
    bool advanceTo(int64_t nowMs);
    // Where the strip's left edge is at `nowMs`, without stepping this line.
    int leftAt(int64_t nowMs) const;
    // A viewer's own copy of the scroll, stepped on from one picture to the next so that
    // each costs only the time between them.
    class Cursor {
        friend class StopLine;
        std::shared_ptr<Stepper> s;
        uint64_t epoch = 0;
    };
    int leftAt(int64_t nowMs, Cursor& cursor) const;
    // The look decides how the scroll steps; switching goes on from where the strip is.
    void setLook(const LedLook& look, int64_t nowMs);
    // Tests step the scroll by hand: iterations of the plain look, frames of the LED one.
    void tick(int64_t elapsedMs);
    void tickFrames(int64_t frames);
    // Starts the scroll clock again at `nowMs` (where automatic stepping resumes).
    void restartClock(int64_t nowMs);

    const QString& name() const { return name_; }
    const QImage& strip() const { return strip_; }
    int stripLeft() const { return stripLeft_; }
    bool scrolling() const { return motion_.has_value() || frames_.has_value(); }
    bool ledLook() const { return ledLook_; }
    // The moment the strip was last stepped to.
    int64_t steppedToMs() const { return lastTickMs_; }
    int64_t scrollStartMs() const { return scrollStartMs_; }
    // Counts every change of the strip's dots, for views that cache a picture of it.
    uint64_t stripVersion() const { return stripVersion_; }

    std::map<QString, QString> saveProperties() const;
    void restoreProperties(const std::map<QString, QString>& bag);

  private:
    void clearStrip(int width);
    void startScroll(int stripWidth, std::optional<int> fromLeft, int64_t nowMs);
    // Steps a copy or this line: `motion`/`frames` from `lastTick`/`shown` to `nowMs`.
    struct Stepper {
        std::optional<ScrollMotion> motion;
        std::optional<FrameScroll> frames;
        int64_t lastTickMs;
        int64_t framesShown;
    };
    int stepTo(Stepper& s, int64_t nowMs, bool capped) const;

    uint64_t epoch_ = 0; // counts every change of the scroll's own state
    QString name_;
    QImage strip_;
    int stripLeft_ = 0;
    std::optional<ScrollMotion> motion_;
    std::optional<FrameScroll> frames_; // instead of motion_ in the LED look
    bool ledLook_ = false;
    int64_t scrollStartMs_ = 0;
    int64_t lastTickMs_ = 0;
    int64_t framesShown_ = 0; // display frames since the LED scroll's clock started
    int lastFace_ = 0;        // typeface the glyph scratch last had (0 Gothic, 1 Mincho)
    uint64_t stripVersion_ = 0;
};
