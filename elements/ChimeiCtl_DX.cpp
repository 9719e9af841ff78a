#include "ChimeiCtl_DX.h"

#include "ApiLib.h"
#include "ChimeiLayout.h"
#include "Cp932.h"
#include "DotRaster.h"
#include "M_Degit.h"

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
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kFrameMs);
    connect(&timer_, &QTimer::timeout, this, &ChimeiCtl_DX::onTimer);
}

void ChimeiCtl_DX::clearStrip(int width) {
    strip_ = QImage(std::max(1, width), kElementHeight, QImage::Format_RGB32);
    strip_.fill(colorFromBgr(backColor_));
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
    clearStrip(strip_.width());
    update();
    if (name.isEmpty()) {
        // A running scroll goes on moving the blank strip until the next name.
        name_.clear();
        setAccessibleDescription({});
        return;
    }
    name_ = name;
    const int len = ApiLib::LenB_ASCII(name);
    const bool prefix = tsugiwaMode_ != 0;
    const ChimeiLayout l = layoutChimei(len, prefix);
    clearStrip(l.stripWidth);
    stripLeft_ = l.startLeft;
    if (prefix)
        DrawTsugiwa();
    const std::vector<QString> units = chimeiUnits(name);
    for (size_t i = 0; i < units.size(); ++i)
        DrawDot54(l.x0 + static_cast<int>(i) * l.pitch, 0, units[i]);
    setAccessibleDescription(name);

    // Setting a name ends whatever scrolled before; only the newest name moves.
    motion_.reset();
    timer_.stop();
    if (l.scrolls) {
        if (speed_ == 0)
            setSpeed(1);
        motion_.emplace(l.stripWidth, kViewportWidth);
        stripLeft_ = motion_->left();
        elapsed_.start();
        if (autoScroll_)
            timer_.start();
    }
    update();
}

void ChimeiCtl_DX::DrawDot54(int x, int y, const QString& text) {
    if (text.isEmpty())
        return;
    const QString shown = replaceUnit(text);
    const Face face = faceForName(fontMode_, cp932::firstCode(cp932::encode(shown)));
    lastFace_ = static_cast<int>(face);
    paintDots(strip_, x, y, sampleGlyph(shown, {face, fontBold_, 19, 0}), rgbOf(foreColor_));
}

void ChimeiCtl_DX::DrawTsugiwa() {
    const auto faces = tsugiwaFaces(tsugiwaFontMode_);
    const Face last = static_cast<Face>(lastFace_);
    const Face tsugi = faces ? faces->first : last;
    const Face wa = faces ? faces->second : tsugi;
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

void ChimeiCtl_DX::setAutoScroll(bool on) {
    autoScroll_ = on;
    if (!on)
        timer_.stop();
    else if (motion_) {
        elapsed_.start();
        timer_.start();
    }
}

void ChimeiCtl_DX::onTimer() {
    const int64_t ms = elapsed_.restart();
    // A stalled event loop (a modal pause) must not make the strip jump far ahead.
    tick(std::min<int64_t>(ms, 250));
}

void ChimeiCtl_DX::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), colorFromBgr(backColor_));
    p.drawImage(stripLeft_, -1, strip_);
}

std::map<QString, QString> ChimeiCtl_DX::saveProperties() const {
    std::map<QString, QString> bag;
    auto put = [&](const char* key, long long v, long long def) {
        if (v != def)
            bag[QString::fromLatin1(key)] = QString::number(v);
    };
    put("BackColor", backColor_, 8421504);
    put("ForeColor", foreColor_, 48895);
    put("Speed", speed_, 5);
    put("ScrollStartWait", startWait_, 1500);
    put("Mode", mode_, 0);
    put("Appearance", appearance_, 1);
    put("FontMode", fontMode_, 0);
    put("FontBold", fontBold_, 0);
    put("TsugiwaMode", tsugiwaMode_, 0);
    put("TsugiwaColor", tsugiwaColor_, 7977471);
    put("TsugiwaFontMode", tsugiwaFontMode_, 0);
    put("TsugiwaBold", tsugiwaBold_, 0);
    return bag;
}

void ChimeiCtl_DX::restoreProperties(const std::map<QString, QString>& bag) {
    auto get = [&](const char* key, long long def) -> long long {
        auto it = bag.find(QString::fromLatin1(key));
        return it == bag.end() ? def : it->second.toLongLong();
    };
    backColor_ = static_cast<uint32_t>(get("BackColor", 8421504));
    clearStrip(strip_.width());
    foreColor_ = static_cast<uint32_t>(get("ForeColor", 48895));
    speed_ = static_cast<int16_t>(get("Speed", 5));
    startWait_ = static_cast<int32_t>(get("ScrollStartWait", 1500));
    mode_ = static_cast<int16_t>(get("Mode", 0));
    appearance_ = static_cast<int16_t>(get("Appearance", 1));
    fontMode_ = static_cast<int16_t>(get("FontMode", 0));
    fontBold_ = get("FontBold", 0) != 0;
    // Stored as read: a saved 3 stays 3 and shows the prefix like 2.
    tsugiwaMode_ = static_cast<int16_t>(get("TsugiwaMode", 0));
    tsugiwaColor_ = static_cast<uint32_t>(get("TsugiwaColor", 7977471));
    tsugiwaFontMode_ = static_cast<int16_t>(get("TsugiwaFontMode", 0));
    tsugiwaBold_ = get("TsugiwaBold", 0) != 0;
    update();
}
