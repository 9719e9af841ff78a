#include "Recorder.h"

Recorder::~Recorder() {
    stop();
}

bool Recorder::start(const Settings& s) {
    if (running_)
        return false;
    settings_ = s;
    settings_.zoom = std::clamp(s.zoom, 1, 4);
    VideoEncoder::Settings e;
    e.path = s.path;
    e.width = s.frameSize.width() * settings_.zoom;
    e.height = s.frameSize.height() * settings_.zoom;
    e.fps = s.fps;
    e.sampleRate = s.sampleRate;
    if (!encoder_.open(e)) {
        error_ = encoder_.error();
        return false;
    }
    audioFrames_ = 0;
    lastIndex_ = -1;
    lastPicture_ = QImage();
    frames_ = 0;
    dropped_ = 0;
    repeated_ = 0;
    stopping_ = false;
    error_.clear();
    running_ = true;
    thread_ = std::thread([this] { work(); });
    return true;
}

bool Recorder::stop() {
    if (!running_)
        return false;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
    running_ = false;
    const bool ok = encoder_.finish();
    std::lock_guard lock(mutex_);
    if (!ok && error_.isEmpty())
        error_ = encoder_.error();
    return ok && error_.isEmpty();
}

void Recorder::addAudio(const float* stereo, int frames) {
    if (frames <= 0)
        return;
    {
        std::lock_guard lock(mutex_);
        if (!running_ || stopping_)
            return;
        jobs_.push_back({QImage(), 0, std::vector<float>(stereo, stereo + 2 * frames)});
    }
    audioFrames_ += frames;
    wake_.notify_one();
}

int64_t Recorder::dueFrame() const {
    return audioFrames_.load() * settings_.fps / settings_.sampleRate;
}

double Recorder::seconds() const {
    return static_cast<double>(audioFrames_.load()) / settings_.sampleRate;
}

size_t Recorder::pending() const {
    std::lock_guard lock(mutex_);
    return jobs_.size() + (busy_ ? 1 : 0);
}

QString Recorder::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void Recorder::addFrame(const QImage& picture, int64_t index) {
    if (!running_ || index <= lastIndex_)
        return;
    // Frames passed over while the caller was busy showed the picture before: the window
    // did not change meanwhile, so that picture is what they hold.
    for (int64_t i = lastIndex_ + 1; i < index && !lastPicture_.isNull(); ++i) {
        ++repeated_;
        queue(lastPicture_, i, true);
    }
    queue(picture, index, false);
    lastIndex_ = index;
    lastPicture_ = picture;
}

void Recorder::queue(const QImage& picture, int64_t index, bool repeat) {
    {
        std::lock_guard lock(mutex_);
        // A repeat shares the picture before it and encodes as almost nothing: after a
        // stall of the caller they all come at once, and leaving them out would leave a
        // hole in the video, so they may queue deeper than new pictures.
        const int limit = settings_.maxQueuedFrames + (repeat ? kRepeatAllowance : 0);
        if (queuedFrames_ >= limit) {
            ++dropped_; // the encoder is behind: leave it out rather than wait
            return;
        }
        jobs_.push_back({picture, index, {}});
        ++queuedFrames_;
    }
    ++frames_;
    wake_.notify_one();
}

void Recorder::fail(const QString& why) {
    std::lock_guard lock(mutex_);
    if (error_.isEmpty())
        error_ = why;
}

void Recorder::work() {
    const QSize out = settings_.frameSize * settings_.zoom;
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty())
                return; // stopping, and everything handed in is written
            job = std::move(jobs_.front());
            jobs_.pop_front();
            busy_ = true;
            if (!job.picture.isNull())
                --queuedFrames_;
        }
        if (!job.picture.isNull()) {
            // Transparent corners become black; the zoom repeats pixels, so dots and
            // segments keep their edges.
            QImage frame = job.picture.convertToFormat(QImage::Format_RGB32);
            if (frame.size() != out)
                frame = frame.scaled(out, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            if (!encoder_.addFrame(frame, job.index))
                fail(encoder_.error());
        } else if (!encoder_.addAudio(job.sound.data(), static_cast<int>(job.sound.size() / 2))) {
            fail(encoder_.error());
        }
        std::lock_guard lock(mutex_);
        busy_ = false;
    }
}
