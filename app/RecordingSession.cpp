#include "RecordingSession.h"

#include "AudioDevice.h"

RecordingSession::RecordingSession(AudioDevice& audio, std::function<QImage()> picture,
                                   QObject* parent)
    : QObject(parent), audio_(audio), picture_(std::move(picture)) {
    // Well under a frame's 33 ms, so each frame is taken close to its time.
    timer_.setInterval(5);
    connect(&timer_, &SimTimer::timeout, this, &RecordingSession::tick);
}

RecordingSession::~RecordingSession() {
    stop();
}

bool RecordingSession::start(const QString& path, int zoom, int sampleRate) {
    if (recording())
        return false;
    const QImage first = picture_();
    frameSize_ = first.size();
    Recorder::Settings s;
    s.path = path;
    s.frameSize = first.size();
    s.zoom = zoom;
    s.sampleRate = sampleRate;
    auto rec = std::make_unique<Recorder>();
    if (!rec->start(s)) {
        error_ = rec->error();
        return false;
    }
    recorder_ = std::move(rec);
    file_ = path;
    error_.clear();
    Recorder* r = recorder_.get();
    audio_.setListener([r](const float* out, int frames) { r->addAudio(out, frames); });
    recorder_->addFrame(first, 0);
    last_ = 0;
    timer_.start();
    Q_EMIT changed();
    return true;
}

QImage RecordingSession::picture() const {
    // The board zoomed or brought back while recording keeps the video's size: the
    // picture is fitted by whole-pixel sampling, as the zoom itself is made.
    const QImage img = picture_();
    return img.size() == frameSize_
               ? img
               : img.scaled(frameSize_, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void RecordingSession::tick() {
    if (!recording())
        return;
    const int64_t due = recorder_->dueFrame();
    if (due <= last_)
        return;
    // After a stall of the window the frames passed over repeat the picture before it,
    // which is what the window showed meanwhile.
    recorder_->addFrame(picture(), due);
    last_ = due;
}

bool RecordingSession::stop() {
    if (!recording())
        return false;
    // The picture up to the sound's last moment: both end within one frame.
    tick();
    timer_.stop();
    audio_.setListener({});
    const bool ok = recorder_->stop();
    if (!ok)
        error_ = recorder_->error();
    Q_EMIT changed();
    return ok;
}
