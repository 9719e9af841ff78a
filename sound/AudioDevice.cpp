#include "AudioDevice.h"

#include "WavRecorder.h"

#include <QFileInfo>
#include <SDL.h>
#include <cstdlib>

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
    for (int attempt = soundOutputPossible() ? 0 : 1; attempt < 2 && device_ == 0; ++attempt) {
        if (attempt == 1) {
            // No sound card or server: play into nothing, in real time.
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
        }
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            continue;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ != 0)
            driver_ = QString::fromUtf8(SDL_GetCurrentAudioDriver());
    }
    if (device_ == 0)
        return false;
    paused_ = true;
    idle_.start();
    return true;
}

void AudioDevice::close() {
    idle_.stop();
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
    if (device_ != 0 && paused_) {
        SDL_PauseAudioDevice(device_, 0);
        paused_ = false;
    }
}

void AudioDevice::pauseIfIdle() {
    if (device_ == 0 || paused_ || recorder_ || listener_ || mixer_.anyPlaying())
        return;
    SDL_PauseAudioDevice(device_, 1);
    paused_ = true;
}
