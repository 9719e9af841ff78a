#include "AudioDevice.h"

#include "WavRecorder.h"

#include <QFileInfo>
#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <vector>

namespace {

void pull(void* user, Uint8* stream, int len) {
    auto* mixer = static_cast<Mixer*>(user);
    mixer->render(reinterpret_cast<float*>(stream), len / static_cast<int>(2 * sizeof(float)));
}

// One period of 512 frames: about 12 ms at 44.1 kHz, the granularity of every wait.
constexpr Uint16 kPeriodFrames = 512;

} // namespace

AudioDevice::AudioDevice(Mixer& mixer, QObject* parent) : QObject(parent), mixer_(mixer) {
    idle_.setInterval(250);
    connect(&idle_, &QTimer::timeout, this, &AudioDevice::pauseIfIdle);
    mixer_.onPlay = [this] { wake(); };
}

AudioDevice::~AudioDevice() {
    close();
}

namespace {
// Whether any sound output could exist here: a sound card, or a sound server's socket.
// Without one the back ends only print errors before failing, so go straight to dummy.
bool soundOutputPossible() {
    if (std::getenv("SDL_AUDIODRIVER"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return QFileInfo::exists(QStringLiteral("/dev/snd")) || std::getenv("PULSE_SERVER") ||
           (!runtime.isEmpty() && (QFileInfo::exists(runtime + QStringLiteral("/pulse/native")) ||
                                   QFileInfo::exists(runtime + QStringLiteral("/pipewire-0"))));
}
} // namespace

bool AudioDevice::open() {
    SDL_AudioSpec want{};
    want.freq = Mixer::kRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kPeriodFrames;
    want.callback = pull;
    want.userdata = &mixer_;
    // SDL would otherwise turn SIGINT and SIGTERM into events nobody reads here, and the
    // program could no longer be ended with them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    const char* asked = std::getenv("SDL_AUDIODRIVER");
    const bool silentAsked = asked && std::string_view(asked) == "dummy";
    if (soundOutputPossible() && !silentAsked && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ != 0)
            driver_ = QString::fromUtf8(SDL_GetCurrentAudioDriver());
    }
    paused_ = true;
    if (device_ == 0) {
        // No sound card or server (or silence asked for): play into nothing on a clock of
        // our own. SDL's dummy driver would do, but it runs a few percent fast, and a
        // recording made headless would then be slower than the trip it shows.
        driver_ = QStringLiteral("dummy");
        silentPaused_ = true;
        silentRunning_ = true;
        silent_ = std::thread([this] { runSilent(); });
    }
    idle_.start();
    return true;
}

bool AudioDevice::openVirtual(SimClock& clock) {
    driver_ = QStringLiteral("virtual");
    paused_ = false;
    mixer_.setDeviceLatency(false);
    virtualFrames_ = clock.nowMs() * Mixer::kRate / 1000;
    connect(&clock, &SimClock::advanced, this, [this](int64_t, int64_t toMs) {
        // Counted from the start, so the spans add up to the frames of the whole time.
        const int64_t due = toMs * Mixer::kRate / 1000;
        virtualBuffer_.resize(2 * kPeriodFrames);
        while (virtualFrames_ < due) {
            const int n = static_cast<int>(std::min<int64_t>(kPeriodFrames, due - virtualFrames_));
            mixer_.render(virtualBuffer_.data(), n);
            virtualFrames_ += n;
        }
    });
    return true;
}

void AudioDevice::runSilent() {
    using clock = std::chrono::steady_clock;
    std::vector<float> buffer(2 * kPeriodFrames);
    clock::time_point start = clock::now();
    int64_t done = 0;
    bool wasPaused = true;
    while (silentRunning_) {
        if (silentPaused_) {
            wasPaused = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        if (wasPaused) {
            // A fresh start: the sound begins now, one period ahead as a device would.
            start = clock::now();
            done = 0;
            wasPaused = false;
        }
        const double elapsed = std::chrono::duration<double>(clock::now() - start).count();
        const int64_t due = static_cast<int64_t>(elapsed * Mixer::kRate) + kPeriodFrames;
        while (done < due) {
            mixer_.render(buffer.data(), kPeriodFrames);
            done += kPeriodFrames;
        }
        std::this_thread::sleep_until(
            start + std::chrono::microseconds((done - kPeriodFrames) * 1000000 / Mixer::kRate));
    }
}

void AudioDevice::close() {
    idle_.stop();
    if (silent_.joinable()) {
        silentRunning_ = false;
        silent_.join();
    }
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    mixer_.setTap({});
    recorder_.reset();
    listener_ = {};
}

bool AudioDevice::recordTo(const QString& path) {
    auto rec = std::make_unique<WavRecorder>(path, Mixer::kRate);
    if (!rec->ok())
        return false;
    recorder_ = std::move(rec);
    updateTap();
    wake();
    return true;
}

void AudioDevice::setListener(std::function<void(const float*, int)> listener) {
    listener_ = std::move(listener);
    updateTap();
    if (listener_)
        wake();
}

void AudioDevice::updateTap() {
    WavRecorder* r = recorder_.get();
    auto l = listener_;
    if (!r && !l) {
        mixer_.setTap({});
        return;
    }
    mixer_.setTap([r, l](const float* out, int frames) {
        if (r)
            r->write(out, frames);
        if (l)
            l(out, frames);
    });
}

void AudioDevice::wake() {
    if (!paused_ || (device_ == 0 && !silent_.joinable()))
        return;
    if (device_ != 0)
        SDL_PauseAudioDevice(device_, 0);
    silentPaused_ = false;
    paused_ = false;
}

void AudioDevice::pauseIfIdle() {
    if (paused_ || recorder_ || listener_ || mixer_.anyPlaying())
        return;
    if (device_ != 0)
        SDL_PauseAudioDevice(device_, 1);
    else if (!silent_.joinable())
        return;
    silentPaused_ = true;
    paused_ = true;
}
