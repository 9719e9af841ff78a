#include "WavRecorder.h"

#include <QFile>

WavRecorder::WavRecorder(const QString& path, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    file_ = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
}

WavRecorder::~WavRecorder() {
    if (file_)
        sf_close(file_);
}

void WavRecorder::write(const float* stereo, int frames) {
    if (file_)
        sf_writef_float(file_, stereo, frames);
}
