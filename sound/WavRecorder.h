#pragma once
// Writes the mixer's output to a 16-bit stereo WAV as it is played; the header is
// finished when the recorder is destroyed.
#include <QString>
#include <sndfile.h>

class WavRecorder {
  public:
    WavRecorder(const QString& path, int rate);
    ~WavRecorder();
    WavRecorder(const WavRecorder&) = delete;
    WavRecorder& operator=(const WavRecorder&) = delete;

    bool ok() const { return file_ != nullptr; }
    void write(const float* stereo, int frames);

  private:
    SNDFILE* file_ = nullptr;
};
