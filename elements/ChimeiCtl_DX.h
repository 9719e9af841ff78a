#pragma once
// The stop-name element: one line of Japanese text as a dot matrix, with the optional
// 「次は」 prefix, scrolling right to left when it does not fit. The strip is a cached
// image; a timer moves it one iteration per elapsed millisecond. Zoomed, the strip is
// enlarged by whole pixels; in the LED look it is shown as round LEDs moving by whole
// dots on display frames.
#include "FrameScroll.h"
#include "LedLook.h"
#include "LedMatrix.h"
#include "Limits.h"
#include "ScrollMotion.h"

#include "SimClock.h"
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <map>
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

class ChimeiCtl_DX : public QWidget {
    Q_OBJECT
  public:
    explicit ChimeiCtl_DX(QWidget* parent = nullptr);

    uint32_t BackColor() const { return backColor_; }
    void setBackColor(uint32_t c);
    uint32_t ForeColor() const { return foreColor_; }
    void setForeColor(uint32_t c) { foreColor_ = c; }
    int16_t Speed() const { return speed_; }
    void setSpeed(int16_t v) { speed_ = v; }
    int32_t ScrollStartWait() const { return startWait_; }
    void setScrollStartWait(int32_t v) { startWait_ = v; }
    int16_t Mode() const { return mode_; }
    void setMode(int16_t v) { mode_ = v; }
    int16_t Appearance() const { return appearance_; }
    void setAppearance(int16_t v);
    int16_t FontMode() const { return fontMode_; }
    void setFontMode(int16_t v) { fontMode_ = v; }
    bool FontBold() const { return fontBold_; }
    void setFontBold(bool v) { fontBold_ = v; }
    int16_t TsugiwaMode() const { return tsugiwaMode_; }
    void setTsugiwaMode(int16_t v) { tsugiwaMode_ = (v > 2 || v < 0) ? 0 : v; }
    uint32_t TsugiwaColor() const { return tsugiwaColor_; }
    void setTsugiwaColor(uint32_t c) { tsugiwaColor_ = c; }
    int16_t TsugiwaFontMode() const { return tsugiwaFontMode_; }
    void setTsugiwaFontMode(int16_t v) { tsugiwaFontMode_ = v; }
    bool TsugiwaBold() const { return tsugiwaBold_; }
    void setTsugiwaBold(bool v) { tsugiwaBold_ = v; }

    // Shows `name`, replacing what was there; a name that does not fit starts to scroll
    // and every earlier scroll ends. An empty name only clears the line.
    void SetChimei(const QString& name);
    // The same for a name already in CP932 (as fare files store it): encoded never again.
    void SetChimeiBytes(std::string_view cp932Name);
    void Refresh() { update(); }
    void DrawDot54(int x, int y, const QString& text);
    void DrawTsugiwa();

    // Advances a running scroll by `elapsedMs` iterations (the timer calls this with the
    // real elapsed time; tests call it directly).
    void tick(int64_t elapsedMs);
    // The same in the LED look: advances by display frames (60 a second).
    void tickFrames(int64_t frames);
    // Whether the scroll timer runs by itself; tests turn it off and call tick().
    void setAutoScroll(bool on);

    // Whole-pixel zoom (1-8) and the LED look: how the line is drawn, not what it holds.
    int zoom() const { return zoom_; }
    void setZoom(int n);
    const LedLook& look() const { return look_; }
    void setLook(const LedLook& look);
    // The LEDs as last drawn (the LED look only).
    const LedMatrix& leds() const { return leds_; }

    const QString& name() const { return name_; }
    int stripLeft() const { return stripLeft_; }
    int stripWidth() const { return strip_.width(); }
    bool scrolling() const { return motion_.has_value() || frames_.has_value(); }
    const QImage& strip() const { return strip_; }

    std::map<QString, QString> saveProperties() const;
    void restoreProperties(const std::map<QString, QString>& bag);

    QSize sizeHint() const override { return {limits::kChimeiViewport, 56}; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    void clearStrip(int width);
    void drawUnit(int x, int y, std::string_view unitBytes);
    void onTimer();
    void startScroll(int stripWidth, std::optional<int> fromLeft);
    void stripChanged();
    void prepareView();

    uint32_t backColor_ = ChimeiDefaults::BackColor;
    uint32_t foreColor_ = ChimeiDefaults::ForeColor;
    int16_t speed_ = ChimeiDefaults::Speed;
    int32_t startWait_ = ChimeiDefaults::ScrollStartWait;
    int16_t mode_ = ChimeiDefaults::Mode;
    int16_t appearance_ = ChimeiDefaults::Appearance;
    int16_t fontMode_ = ChimeiDefaults::FontMode;
    bool fontBold_ = ChimeiDefaults::FontBold;
    int16_t tsugiwaMode_ = ChimeiDefaults::TsugiwaMode;
    uint32_t tsugiwaColor_ = ChimeiDefaults::TsugiwaColor;
    int16_t tsugiwaFontMode_ = ChimeiDefaults::TsugiwaFontMode;
    bool tsugiwaBold_ = ChimeiDefaults::TsugiwaBold;
    int lastFace_ = 0; // typeface the glyph scratch last had (0 Gothic, 1 Mincho)

    QString name_;
    QImage strip_;
    int stripLeft_ = 0;
    std::optional<ScrollMotion> motion_;
    std::optional<FrameScroll> frames_; // instead of motion_ in the LED look
    SimTimer timer_;
    // On the simulator's clock: when the scroll started, and the last step.
    int64_t scrollStartMs_ = 0;
    int64_t lastTickMs_ = 0;
    int64_t framesShown_ = 0; // display frames since the LED scroll's clock started
    bool autoScroll_ = true;

    int zoom_ = 1;
    LedLook look_;
    bool viewStale_ = true; // the zoomed strip or the LEDs lag behind strip_
    QImage zoomedStrip_;
    LedMatrix leds_;
};
