#include "StopLine.h"

#include "ByteText.h"
#include "ChimeiLayout.h"
#include "ColorCodes.h"
#include "Cp932.h"
#include "DotRaster.h"

namespace {
QRgb rgbOf(uint32_t bgr) {
    return argbFromBgr(bgr);
}
constexpr int64_t kNsPerFrame = 1000000000 / FrameScroll::kFramesPerSecond;
} // namespace

StopLine::StopLine() {
    clearStrip(kViewportWidth);
}

void StopLine::clearStrip(int width) {
    strip_ = QImage(std::max(1, width), kHeight, QImage::Format_RGB32);
    strip_.fill(rgbOf(settings.backColor));
    ++stripVersion_;
}

void StopLine::setBackColor(uint32_t c) {
    settings.backColor = c;
    clearStrip(strip_.width());
}

bool StopLine::setName(std::string_view bytes, int64_t nowMs) {
    clearStrip(strip_.width());
    if (bytes.empty()) {
        name_.clear();
        return false;
    }
    name_ = cp932::decode(bytes);
    const int len = static_cast<int>(bytes.size());
    const bool prefix = settings.tsugiwaMode != 0;
    const ChimeiLayout l = layoutChimei(len, prefix);
    clearStrip(l.stripWidth);
    stripLeft_ = l.startLeft;
    if (prefix)
        drawTsugiwa();
    const int units = len / 2 + (len % 2);
    for (int i = 0; i < units; ++i)
        drawUnit(l.x0 + i * l.pitch, 0, ApiLib::MidB(bytes, 2 * i + 1, 2));
    // Setting a name ends whatever scrolled before; only the newest name moves.
    motion_.reset();
    frames_.reset();
    ++epoch_;
    if (!l.scrolls)
        return false;
    if (settings.speed == 0)
        settings.speed = 1;
    startScroll(l.stripWidth, std::nullopt, nowMs);
    return true;
}

void StopLine::startScroll(int stripWidth, std::optional<int> fromLeft, int64_t nowMs) {
    motion_.reset();
    frames_.reset();
    if (ledLook_) {
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
    restartClock(nowMs);
}

void StopLine::restartClock(int64_t nowMs) {
    ++epoch_;
    scrollStartMs_ = lastTickMs_ = nowMs;
    framesShown_ = 0;
}

void StopLine::drawUnit(int x, int y, std::string_view unitBytes) {
    if (unitBytes.empty())
        return;
    ++stripVersion_;
    const QString text = cp932::decode(unitBytes);
    const QString shown = replaceUnit(text);
    // The typeface follows the code of what is drawn; only a substituted unit has a code
    // other than its own bytes.
    const unsigned code =
        shown == text ? cp932::firstCode(unitBytes) : cp932::firstCode(cp932::encode(shown));
    const Face face = faceForName(settings.fontMode, code);
    lastFace_ = static_cast<int>(face);
    paintDots(strip_, x, y, sampleGlyph(shown, {face, settings.fontBold, 19, 0}),
              rgbOf(settings.foreColor));
}

void StopLine::drawTsugiwa() {
    const auto faces = tsugiwaFaces(settings.tsugiwaFontMode);
    const Face last = static_cast<Face>(lastFace_);
    const Face tsugi = faces ? faces->first : last;
    const Face wa = faces ? faces->second : tsugi;
    ++stripVersion_;
    const QRgb colour = rgbOf(settings.tsugiwaColor);
    paintDots(strip_, 0, 0, sampleGlyph(QStringLiteral("次"), {tsugi, settings.tsugiwaBold, 19, 0}),
              colour);
    const bool small = settings.tsugiwaMode == 1;
    paintDots(strip_, kCellPixels, 0,
              sampleGlyph(QStringLiteral("は"),
                          {wa, settings.tsugiwaBold, small ? 16 : 19, small ? 4 : 0}),
              colour);
    lastFace_ = static_cast<int>(wa);
}

int StopLine::stepTo(Stepper& s, int64_t nowMs, bool capped) const {
    if (s.frames) {
        // The display's frames since the scroll's clock started: every step is shown as
        // its frame begins, so steps of the same length in frames last the same time.
        const int64_t now = (nowMs - scrollStartMs_) * 1000000 / kNsPerFrame;
        int64_t due = now - s.framesShown;
        s.framesShown = now;
        if (capped)
            due = std::min<int64_t>(due, FrameScroll::kFramesPerSecond / 4);
        if (due > 0)
            s.frames->advance(due, settings.speed, settings.startWait);
        s.lastTickMs = nowMs;
        return s.frames->left();
    }
    if (!s.motion)
        return stripLeft_;
    int64_t ms = nowMs - s.lastTickMs;
    s.lastTickMs = nowMs;
    if (capped)
        ms = std::min<int64_t>(ms, 250);
    if (ms > 0)
        s.motion->advance(ms, settings.speed, settings.startWait);
    return s.motion->left();
}

bool StopLine::advanceTo(int64_t nowMs) {
    if (!scrolling())
        return false;
    Stepper s{std::move(motion_), std::move(frames_), lastTickMs_, framesShown_};
    const int left = stepTo(s, nowMs, true);
    motion_ = std::move(s.motion);
    frames_ = std::move(s.frames);
    lastTickMs_ = s.lastTickMs;
    framesShown_ = s.framesShown;
    const bool moved = left != stripLeft_;
    stripLeft_ = left;
    ++epoch_;
    return moved;
}

int StopLine::leftAt(int64_t nowMs, Cursor& c) const {
    if (!scrolling() || nowMs <= lastTickMs_)
        return stripLeft_;
    if (!c.s || c.epoch != epoch_ || nowMs < c.s->lastTickMs) {
        c.s = std::make_shared<Stepper>(Stepper{motion_, frames_, lastTickMs_, framesShown_});
        c.epoch = epoch_;
    }
    return stepTo(*c.s, nowMs, false);
}

int StopLine::leftAt(int64_t nowMs) const {
    if (!scrolling() || nowMs <= lastTickMs_)
        return stripLeft_;
    Stepper s{motion_, frames_, lastTickMs_, framesShown_};
    return stepTo(s, nowMs, false);
}

void StopLine::setLook(const LedLook& look, int64_t nowMs) {
    if (look.on == ledLook_)
        return;
    ledLook_ = look.on;
    // A running scroll goes on from where it is, by the other look's steps.
    if (scrolling())
        startScroll(strip_.width(), stripLeft_, nowMs);
}

void StopLine::tick(int64_t elapsedMs) {
    if (!motion_)
        return;
    motion_->advance(elapsedMs, settings.speed, settings.startWait);
    stripLeft_ = motion_->left();
    ++epoch_;
}

void StopLine::tickFrames(int64_t frames) {
    if (!frames_)
        return;
    frames_->advance(frames, settings.speed, settings.startWait);
    stripLeft_ = frames_->left();
    ++epoch_;
}

std::map<QString, QString> StopLine::saveProperties() const {
    std::map<QString, QString> bag;
    auto put = [&](const char* key, long long v, long long def) {
        if (v != def)
            bag[QString::fromLatin1(key)] = QString::number(v);
    };
    using D = ChimeiDefaults;
    const StopLineSettings& s = settings;
    put("BackColor", s.backColor, D::BackColor);
    put("ForeColor", s.foreColor, D::ForeColor);
    put("Speed", s.speed, D::Speed);
    put("ScrollStartWait", s.startWait, D::ScrollStartWait);
    put("Mode", s.mode, D::Mode);
    put("Appearance", s.appearance, D::Appearance);
    put("FontMode", s.fontMode, D::FontMode);
    put("FontBold", s.fontBold, D::FontBold);
    put("TsugiwaMode", s.tsugiwaMode, D::TsugiwaMode);
    put("TsugiwaColor", s.tsugiwaColor, D::TsugiwaColor);
    put("TsugiwaFontMode", s.tsugiwaFontMode, D::TsugiwaFontMode);
    put("TsugiwaBold", s.tsugiwaBold, D::TsugiwaBold);
    return bag;
}

void StopLine::restoreProperties(const std::map<QString, QString>& bag) {
    auto get = [&](const char* key, long long def) -> long long {
        auto it = bag.find(QString::fromLatin1(key));
        return it == bag.end() ? def : it->second.toLongLong();
    };
    using D = ChimeiDefaults;
    StopLineSettings& s = settings;
    s.backColor = static_cast<uint32_t>(get("BackColor", D::BackColor));
    clearStrip(strip_.width());
    s.foreColor = static_cast<uint32_t>(get("ForeColor", D::ForeColor));
    s.speed = static_cast<int16_t>(get("Speed", D::Speed));
    s.startWait = static_cast<int32_t>(get("ScrollStartWait", D::ScrollStartWait));
    s.mode = static_cast<int16_t>(get("Mode", D::Mode));
    s.appearance = static_cast<int16_t>(get("Appearance", D::Appearance));
    s.fontMode = static_cast<int16_t>(get("FontMode", D::FontMode));
    s.fontBold = get("FontBold", D::FontBold) != 0;
    // Stored as read: a saved 3 stays 3 and shows the prefix like 2.
    s.tsugiwaMode = static_cast<int16_t>(get("TsugiwaMode", D::TsugiwaMode));
    s.tsugiwaColor = static_cast<uint32_t>(get("TsugiwaColor", D::TsugiwaColor));
    s.tsugiwaFontMode = static_cast<int16_t>(get("TsugiwaFontMode", D::TsugiwaFontMode));
    s.tsugiwaBold = get("TsugiwaBold", D::TsugiwaBold) != 0;
}
