#include "VideoExport.h"

#include "Program.h"
#include "VideoEncoder.h"
#include "WavRecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

VideoExport::VideoExport(Program& program, exportfmt::Options options, QObject* parent)
    : QObject(parent), p_(program), o_(std::move(options)) {}

VideoExport::~VideoExport() {
    if (running_)
        cancel();
}

bool VideoExport::start() {
    if (!openOutput())
        return false;
    running_ = true;
    startMs_ = p_.sim.nowMs();
    nextFrame_ = 0;
    // The clock waits while the encoder holds all the frames it may.
    gate_ = p_.sim.addGate([this] {
        std::lock_guard lock(mutex_);
        return framesQueued_ < kInFlight;
    });
    // The sound is gathered here and handed over with each frame: one hand-over a frame
    // rather than one for every step of the clock.
    p_.audio->setListener([this](const float* stereo, int frames) {
        pendingAudio_.insert(pendingAudio_.end(), stereo, stereo + 2 * frames);
    });
    watchCaptions();
    writer_ = std::thread([this] { writerLoop(); });
    scheduleFrame();
    return true;
}

bool VideoExport::openOutput() {
    if (o_.container == exportfmt::Container::PngFolder) {
        madeFolder_ = !QFileInfo::exists(o_.path);
        if (!QDir().mkpath(o_.path)) {
            error_ = QStringLiteral("cannot make the folder %1").arg(o_.path);
            return false;
        }
        wav_ = std::make_unique<WavRecorder>(QDir(o_.path).filePath(QStringLiteral("audio.wav")),
                                             Mixer::kRate);
        if (!wav_->ok()) {
            error_ = QStringLiteral("cannot write %1/audio.wav").arg(o_.path);
            return false;
        }
        return true;
    }
    const QImage first = picture();
    VideoEncoder::Settings s;
    s.path = o_.path;
    // Even sizes, as the encoders need: the board's own sizes are, at every zoom.
    s.width = first.width() & ~1;
    s.height = first.height() & ~1;
    s.fps = o_.fps;
    s.sampleRate = Mixer::kRate;
    s.alpha = exportfmt::keepsAlpha(o_.container);
    s.forExport = true;
    encoder_ = std::make_unique<VideoEncoder>();
    if (!encoder_->open(s)) {
        error_ = encoder_->error();
        encoder_.reset();
        return false;
    }
    return true;
}

void VideoExport::watchCaptions() {
    // An announcement from its first spoken sample to its last (or where the next cut it
    // off); the mixer says where on its own count of frames, which is the clock's.
    p_.mixer->setEdges([this](const QString& voice, bool starts, int64_t frame) {
        if (voice != OpenJTalkEngine::kVoiceName)
            return;
        const int64_t ms = (frame * 1000 + Mixer::kRate / 2) / Mixer::kRate;
        if (starts)
            announcements_.open(ms, p_.tape->lastText());
        else
            announcements_.close(ms);
    });
    connections_.push_back(connect(p_.trip.get(), &Trip::boardUpdated, this, [this](int row) {
        stops_.open(p_.sim.nowMs(), p_.trip->table().row(row).StopName);
    }));
    connections_.push_back(connect(p_.trip.get(), &Trip::blankChanged, this, [this](bool on) {
        if (on)
            stops_.close(p_.sim.nowMs());
    }));
}

void VideoExport::scheduleFrame() {
    p_.sim.schedule(startMs_ + exportfmt::frameTimeMs(nextFrame_, o_.fps), this,
                    [this] { takeFrame(); });
}

void VideoExport::flushAudio() {
    if (pendingAudio_.empty())
        return;
    push(Item{{}, -1, std::move(pendingAudio_)});
    pendingAudio_.clear();
}

void VideoExport::takeFrame() {
    if (!running_)
        return;
    flushAudio();
    push(Item{picture(), nextFrame_, {}});
    ++nextFrame_;
    scheduleFrame();
}

QImage VideoExport::picture() const {
    // Drawn from what the board shows at this frame's moment, at the export's own zoom:
    // the window stays as the operator set it.
    const int64_t now = SimClock::global().nowMs();
    switch (o_.background) {
    case exportfmt::Background::Transparent:
        return p_.board->render(o_.zoom, BoardBackground::Transparent, now);
    case exportfmt::Background::Lit:
        return p_.board->render(o_.zoom, BoardBackground::Lit, now);
    case exportfmt::Background::Panel:
        break;
    }
    // Opaque: black outside the rounded shape, as a dark studio wall would show it.
    return p_.board->render(o_.zoom, BoardBackground::Panel, now)
        .convertToFormat(QImage::Format_RGB32);
}

void VideoExport::push(Item item) {
    {
        std::lock_guard lock(mutex_);
        if (item.index >= 0)
            ++framesQueued_;
        queue_.push_back(std::move(item));
    }
    wake_.notify_one();
}

void VideoExport::writerLoop() {
    for (;;) {
        Item item;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            item = std::move(queue_.front());
            queue_.pop_front();
        }
        const bool ok = writeItem(item);
        bool wasFull = false;
        {
            std::lock_guard lock(mutex_);
            if (item.index >= 0) {
                wasFull = framesQueued_ >= kInFlight;
                --framesQueued_;
            }
            if (!ok && writerError_.isEmpty())
                writerError_ =
                    encoder_ ? encoder_->error() : QStringLiteral("cannot write a frame");
        }
        // Room again: the clock, on the UI thread, may go on.
        if (wasFull)
            QMetaObject::invokeMethod(
                this, [this] { p_.sim.poke(); }, Qt::QueuedConnection);
    }
}

bool VideoExport::writeItem(const Item& item) {
    if (item.index < 0) {
        const int frames = static_cast<int>(item.audio.size() / 2);
        if (wav_)
            wav_->write(item.audio.data(), frames);
        return !encoder_ || encoder_->addAudio(item.audio.data(), frames);
    }
    if (encoder_) {
        const QImage frame =
            item.frame.copy(0, 0, item.frame.width() & ~1, item.frame.height() & ~1);
        return encoder_->addFrame(frame.convertToFormat(QImage::Format_ARGB32), item.index);
    }
    return item.frame.save(
        QDir(o_.path).filePath(
            QStringLiteral("frame-%1.png").arg(item.index, 6, 10, QLatin1Char('0'))),
        "PNG");
}

bool VideoExport::closeOutput() {
    flushAudio();
    p_.sim.removeGate(gate_);
    p_.audio->setListener({});
    p_.mixer->setEdges({});
    for (const auto& c : connections_)
        disconnect(c);
    connections_.clear();
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_one();
    if (writer_.joinable())
        writer_.join();
    running_ = false;
    bool ok = writerError_.isEmpty();
    if (encoder_ && !encoder_->finish())
        ok = false;
    wav_.reset();
    if (!ok && error_.isEmpty())
        error_ = writerError_.isEmpty() ? encoder_->error() : writerError_;
    encoder_.reset();
    return ok;
}

QStringList VideoExport::captionFiles() const {
    // trip.mov → trip.announcements.srt …; a folder holds its own.
    const bool folder = o_.container == exportfmt::Container::PngFolder;
    const QString base = folder ? QDir(o_.path).absolutePath() + QLatin1Char('/')
                                : QFileInfo(o_.path).path() + QLatin1Char('/') +
                                      QFileInfo(o_.path).completeBaseName() + QLatin1Char('.');
    QStringList out;
    for (const char* track : {"announcements", "stops"})
        for (const char* ext : {"srt", "vtt"})
            out << base + QString::fromLatin1(track) + QLatin1Char('.') + QString::fromLatin1(ext);
    return out;
}

bool VideoExport::finish() {
    if (!running_)
        return false;
    const int64_t end = p_.sim.nowMs();
    announcements_.close(end);
    stops_.close(end);
    if (!closeOutput()) {
        removeOutput();
        return false;
    }
    const QStringList files = captionFiles();
    const QString texts[] = {announcements_.srt(), announcements_.vtt(), stops_.srt(),
                             stops_.vtt()};
    for (int i = 0; i < 4; ++i) {
        QFile f(files[i]);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(texts[i].toUtf8()) < 0) {
            error_ = QStringLiteral("cannot write %1").arg(files[i]);
            return false;
        }
    }
    return true;
}

void VideoExport::cancel() {
    if (running_)
        closeOutput();
    removeOutput();
}

void VideoExport::removeOutput() {
    for (const QString& f : captionFiles())
        QFile::remove(f);
    if (o_.container != exportfmt::Container::PngFolder) {
        QFile::remove(o_.path);
        return;
    }
    // Only what the export wrote: a folder the user had keeps everything else.
    QDir dir(o_.path);
    for (int64_t k = 0; k < nextFrame_; ++k)
        dir.remove(QStringLiteral("frame-%1.png").arg(k, 6, 10, QLatin1Char('0')));
    dir.remove(QStringLiteral("audio.wav"));
    if (madeFolder_)
        QDir().rmdir(o_.path);
}

QString VideoExport::progress() const {
    const double seconds = static_cast<double>(p_.sim.nowMs() - startMs_) / 1000.0;
    return QStringLiteral("%1 s of the trip, %2 frames").arg(seconds, 0, 'f', 1).arg(nextFrame_);
}
