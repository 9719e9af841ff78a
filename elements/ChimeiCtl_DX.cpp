#include "ChimeiCtl_DX.h"

#include "PaintLayers.h"

#include "ByteText.h"
#include "ChimeiLayout.h"
#include "Cp932.h"
#include "DotRaster.h"
#include "M_Degit.h"
#include "PixelScale.h"

#include <QPainter>

namespace {
constexpr int kElementHeight = 56;
constexpr int kFrameMs = 15;

QRgb rgbOf(uint32_t bgr) {
    return colorFromBgr(bgr).rgb();
}
} // namespace

ChimeiCtl_DX::ChimeiCtl_DX(QWidget* parent) : QWidget(parent) {
    setFixedSize(kViewportWidth, kElementHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("停名表示"));
    clearStrip(kViewportWidth);
    timer_.setInterval(kFrameMs);
    connect(&timer_, &SimTimer::timeout, this, &ChimeiCtl_DX::onTimer);
}

void ChimeiCtl_DX::clearStrip(int width) {
    strip_ = QImage(std::max(1, width), kElementHeight, QImage::Format_RGB32);
    strip_.fill(colorFromBgr(backColor_));
    stripChanged();
}

void ChimeiCtl_DX::stripChanged() {
    viewStale_ = true;
}

void ChimeiCtl_DX::setBackColor(uint32_t c) {
    // The background is the strip's and the viewport's together; it erases the dots.
    backColor_ = c;
    clearStrip(strip_.width());
    update();
}

void ChimeiCtl_DX::setAppearance(int16_t v) {
    appearance_ = v;
    setBackColor(backColor_);
}

void ChimeiCtl_DX::SetChimei(const QString& name) {
    SetChimeiBytes(cp932::encode(name));
}

void ChimeiCtl_DX::SetChimeiBytes(std::string_view bytes) {
    clearStrip(strip_.width());
    update();
    if (bytes.empty()) {
        // A running scroll goes on moving the blank strip until the next name.
        name_.clear();
        setAccessibleDescription({});
        return;
    }
    name_ = cp932::decode(bytes);
    const int len = static_cast<int>(bytes.size());
    const bool prefix = tsugiwaMode_ != 0;
    const ChimeiLayout l = layoutChimei(len, prefix);
    clearStrip(l.stripWidth);
    stripLeft_ = l.startLeft;
    if (prefix)
        DrawTsugiwa();
    const int units = len / 2 + (len % 2);
    for (int i = 0; i < units; ++i)
        drawUnit(l.x0 + i * l.pitch, 0, ApiLib::MidB(bytes, 2 * i + 1, 2));
    setAccessibleDescription(name_);

    // Setting a name ends whatever scrolled before; only the newest name moves.
    motion_.reset();
    frames_.reset();
    timer_.stop();
    if (l.scrolls) {
        if (speed_ == 0)
            setSpeed(1);
        startScroll(l.stripWidth, std::nullopt);
    }
    update();
}

void ChimeiCtl_DX::startScroll(int stripWidth, std::optional<int> fromLeft) {
    motion_.reset();
    frames_.reset();
    if (look_.on) {
        frames_.emplace(stripWidth, kViewportWidth);
        if (fromLeft)
            frames_->jumpTo(*fromLeft);
        stripLeft_ = frames_->left();
    } else {
        motion_.emplace(stripWidth, kViewportWidth);
        if (fromLeft)
            motion_->jumpTo(*fromLeft);
        stripLeft_ = motion_->left();
    }
    scrollStartMs_ = lastTickMs_ = SimClock::global().nowMs();
    framesShown_ = 0;
    timer_.setInterval(kFrameMs);
    if (autoScroll_)
        timer_.start();
}

void ChimeiCtl_DX::DrawDot54(int x, int y, const QString& text) {
    drawUnit(x, y, cp932::encode(text));
}

void ChimeiCtl_DX::drawUnit(int x, int y, std::string_view unitBytes) {
    if (unitBytes.empty())
        return;
    stripChanged();
    const QString text = cp932::decode(unitBytes);
    const QString shown = replaceUnit(text);
    // The typeface follows the code of what is drawn; only a substituted unit has a code
    // other than its own bytes.
    const unsigned code =
        shown == text ? cp932::firstCode(unitBytes) : cp932::firstCode(cp932::encode(shown));
    const Face face = faceForName(fontMode_, code);
    lastFace_ = static_cast<int>(face);
    paintDots(strip_, x, y, sampleGlyph(shown, {face, fontBold_, 19, 0}), rgbOf(foreColor_));
}

void ChimeiCtl_DX::DrawTsugiwa() {
    const auto faces = tsugiwaFaces(tsugiwaFontMode_);
    const Face last = static_cast<Face>(lastFace_);
    const Face tsugi = faces ? faces->first : last;
    const Face wa = faces ? faces->second : tsugi;
    stripChanged();
    paintDots(strip_, 0, 0, sampleGlyph(QStringLiteral("次"), {tsugi, tsugiwaBold_, 19, 0}),
              rgbOf(tsugiwaColor_));
    const bool small = tsugiwaMode_ == 1;
    paintDots(strip_, kCellPixels, 0,
              sampleGlyph(QStringLiteral("は"), {wa, tsugiwaBold_, small ? 16 : 19, small ? 4 : 0}),
              rgbOf(tsugiwaColor_));
    lastFace_ = static_cast<int>(wa);
}

void ChimeiCtl_DX::tick(int64_t elapsedMs) {
    if (!motion_)
        return;
    motion_->advance(elapsedMs, speed_, startWait_);
    if (motion_->left() != stripLeft_) {
        stripLeft_ = motion_->left();
        update();
    }
}

void ChimeiCtl_DX::tickFrames(int64_t frames) {
    if (!frames_)
        return;
    frames_->advance(frames, speed_, startWait_);
    if (frames_->left() != stripLeft_) {
        stripLeft_ = frames_->left();
        update();
    }
}

void ChimeiCtl_DX::setAutoScroll(bool on) {
    autoScroll_ = on;
    if (!on)
        timer_.stop();
    else if (scrolling()) {
        scrollStartMs_ = lastTickMs_ = SimClock::global().nowMs();
        framesShown_ = 0;
        timer_.start();
    }
}

void ChimeiCtl_DX::onTimer() {
    if (frames_) {
        // The display's frames since the scroll's clock started. The next tick is set for
        // the start of the next frame, so every step is shown as its frame begins and
        // steps of the same length in frames are the same length in time.
        constexpr int64_t kNsPerFrame = 1000000000 / FrameScroll::kFramesPerSecond;
        const int64_t ns = (SimClock::global().nowMs() - scrollStartMs_) * 1000000;
        const int64_t now = ns / kNsPerFrame;
        const int64_t due = now - framesShown_;
        framesShown_ = now;
        tickFrames(std::min<int64_t>(due, FrameScroll::kFramesPerSecond / 4));
        const int64_t untilNext = (now + 1) * kNsPerFrame - ns;
        timer_.setInterval(static_cast<int>(std::max<int64_t>(1, (untilNext + 999999) / 1000000)));
        return;
    }
    const int64_t now = SimClock::global().nowMs();
    const int64_t ms = now - lastTickMs_;
    lastTickMs_ = now;
    // A stalled event loop (a modal pause) must not make the strip jump far ahead.
    tick(std::min<int64_t>(ms, 250));
}

void ChimeiCtl_DX::setZoom(int n) {
    n = std::clamp(n, 1, kMaxScreenZoom);
    if (n == zoom_)
        return;
    zoom_ = n;
    setFixedSize(kViewportWidth * n, kElementHeight * n);
    viewStale_ = true;
    update();
}

void ChimeiCtl_DX::setLook(const LedLook& look) {
    if (look == look_)
        return;
    const bool switched = look.on != look_.on;
    look_ = look;
    viewStale_ = true;
    // A running scroll goes on from where it is, by the other look's steps.
    if (switched && scrolling())
        startScroll(strip_.width(), stripLeft_);
    update();
}

void ChimeiCtl_DX::prepareView() {
    if (!viewStale_)
        return;
    viewStale_ = false;
    if (look_.on)
        leds_.setStrip(strip_, rgbOf(backColor_), rgbOf(foreColor_), zoom_, look_);
    zoomedStrip_ = !look_.on && zoom_ > 1 ? pixelScale(strip_, zoom_) : QImage();
}

void ChimeiCtl_DX::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (paintlayers::litOnly()) {
        // The dots that shine, on transparency: the strip without its background.
        QImage lit = strip_.convertToFormat(QImage::Format_ARGB32);
        const QRgb back = colorFromBgr(backColor_).rgb();
        for (int y = 0; y < lit.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(lit.scanLine(y));
            for (int x = 0; x < lit.width(); ++x)
                if (line[x] == back)
                    line[x] = 0;
        }
        p.drawImage(stripLeft_ * zoom_, -zoom_, zoom_ == 1 ? lit : pixelScale(lit, zoom_));
        return;
    }
    if (look_.on) {
        prepareView();
        leds_.paint(p, stripLeft_);
        return;
    }
    p.fillRect(rect(), colorFromBgr(backColor_));
    if (zoom_ == 1) {
        p.drawImage(stripLeft_, -1, strip_);
        return;
    }
    prepareView();
    p.drawImage(stripLeft_ * zoom_, -zoom_, zoomedStrip_);
}

std::map<QString, QString> ChimeiCtl_DX::saveProperties() const {
    std::map<QString, QString> bag;
    auto put = [&](const char* key, long long v, long long def) {
        if (v != def)
            bag[QString::fromLatin1(key)] = QString::number(v);
    };
    using D = ChimeiDefaults;
    put("BackColor", backColor_, D::BackColor);
    put("ForeColor", foreColor_, D::ForeColor);
    put("Speed", speed_, D::Speed);
    put("ScrollStartWait", startWait_, D::ScrollStartWait);
    put("Mode", mode_, D::Mode);
    put("Appearance", appearance_, D::Appearance);
    put("FontMode", fontMode_, D::FontMode);
    put("FontBold", fontBold_, D::FontBold);
    put("TsugiwaMode", tsugiwaMode_, D::TsugiwaMode);
    put("TsugiwaColor", tsugiwaColor_, D::TsugiwaColor);
    put("TsugiwaFontMode", tsugiwaFontMode_, D::TsugiwaFontMode);
    put("TsugiwaBold", tsugiwaBold_, D::TsugiwaBold);
    return bag;
}

void ChimeiCtl_DX::restoreProperties(const std::map<QString, QString>& bag) {
    auto get = [&](const char* key, long long def) -> long long {
        auto it = bag.find(QString::fromLatin1(key));
        return it == bag.end() ? def : it->second.toLongLong();
    };
    using D = ChimeiDefaults;
    backColor_ = static_cast<uint32_t>(get("BackColor", D::BackColor));
    clearStrip(strip_.width());
    foreColor_ = static_cast<uint32_t>(get("ForeColor", D::ForeColor));
    speed_ = static_cast<int16_t>(get("Speed", D::Speed));
    startWait_ = static_cast<int32_t>(get("ScrollStartWait", D::ScrollStartWait));
    mode_ = static_cast<int16_t>(get("Mode", D::Mode));
    appearance_ = static_cast<int16_t>(get("Appearance", D::Appearance));
    fontMode_ = static_cast<int16_t>(get("FontMode", D::FontMode));
    fontBold_ = get("FontBold", D::FontBold) != 0;
    // Stored as read: a saved 3 stays 3 and shows the prefix like 2.
    tsugiwaMode_ = static_cast<int16_t>(get("TsugiwaMode", D::TsugiwaMode));
    tsugiwaColor_ = static_cast<uint32_t>(get("TsugiwaColor", D::TsugiwaColor));
    tsugiwaFontMode_ = static_cast<int16_t>(get("TsugiwaFontMode", D::TsugiwaFontMode));
    tsugiwaBold_ = get("TsugiwaBold", D::TsugiwaBold) != 0;
    update();
}
