#include "mdlM_Tape.h"
#include "RegularFile.h"

#include "Options.h"
#include "SoundChannels.h"
#include "SpeechEngine.h"

#include <QFile>

mdlM_Tape::mdlM_Tape(SpeechEngine& engine, SoundChannels& sound, const Options& options,
                     std::function<QString()> osName)
    : engine_(&engine), sound_(sound), options_(options), osName_(std::move(osName)) {}

bool mdlM_Tape::vista() const {
    return osName_ && osName_() == QLatin1String("Windows Vista");
}

bool mdlM_Tape::InitSpeech() {
    usable_ = !vista() && engine_ && engine_->create();
    return usable_;
}

bool mdlM_Tape::LoadTape(const QString& folder, const QString& routeNumber) {
    if (vista())
        return false;
    // Counting the lines: a file that cannot be read leaves the old list and position.
    const QString path = broadcast::findFile(folder, routeNumber);
    QFile f(path);
    if (files::notRegularFile(path) || !f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    f.close();
    const std::vector<QString> lines =
        broadcast::lines(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    // From here the old list is gone; a bad line leaves the entries read so far, with the
    // position at the entry being read.
    list_.assign(lines.size(), TapeEntry{});
    if (lines.empty()) {
        pos_ = 1;
        return false;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto e = broadcast::parseLine(lines[i]);
        if (!e) {
            pos_ = static_cast<int>(i) + 1;
            return false;
        }
        list_[i] = *e;
    }
    pos_ = 0;
    // The first 送り speaks line 1: its start is made while the route is being set.
    if (engine_ && !list_.empty())
        engine_->prepare(list_[0].Text);
    return true;
}

int mdlM_Tape::GetAdvanceFlag(int pos) const {
    if (pos < 1 || pos > GetTapeCount())
        return 0;
    return list_[static_cast<size_t>(pos - 1)].AdvanceFlag;
}

int mdlM_Tape::GetSoundFlag(int pos) const {
    if (pos < 1 || pos > GetTapeCount())
        return 0;
    return list_[static_cast<size_t>(pos - 1)].SoundFlag;
}

QString mdlM_Tape::soundByFlag(int flag) const {
    switch (flag) {
    case 1:
        return options_.PreSound1;
    case 2:
        return options_.PreSound2;
    case 3:
        return options_.PreSound3;
    default:
        return {};
    }
}

void mdlM_Tape::TapeNext() {
    ++pos_;
    if (pos_ > GetTapeCount()) {
        pos_ = GetTapeCount();
        return;
    }
    const QString chime =
        options_.PreSoundFixed != 0 ? options_.PreSoundFile : soundByFlag(GetSoundFlag(pos_));
    if (!chime.isEmpty())
        sound_.PlaySnd(chime, Channel::S3, options_.PreSoundSync != 0, 0);
    speakAfterChime(pos_);
}

void mdlM_Tape::TapeBack() {
    --pos_;
    if (pos_ < 1) {
        pos_ = 1;
        return;
    }
    // Stepping back never plays the fixed chime: only the entry's own flag counts.
    const QString chime = soundByFlag(GetSoundFlag(pos_));
    if (!chime.isEmpty())
        sound_.PlaySnd(chime, Channel::S2, options_.PreSoundSync != 0, 0);
    speakAfterChime(pos_);
}

void mdlM_Tape::speakAfterChime(int pos) {
    if (after)
        after([this, pos] { SpeakEntry(pos); });
    else
        SpeakEntry(pos);
}

void mdlM_Tape::SpeakEntry(int pos) {
    if (!engine_ || pos < 1 || pos > GetTapeCount())
        return;
    engine_->reset();
    lastText_ = list_[static_cast<size_t>(pos - 1)].Text;
    engine_->speak(lastText_);
    if (engine_->status() == -1)
        engine_->reset();
    // The operator goes on to the next line most of the time.
    if (pos < GetTapeCount())
        engine_->prepare(list_[static_cast<size_t>(pos)].Text);
}

void mdlM_Tape::TapeStop() {
    if (engine_)
        engine_->reset();
}

void mdlM_Tape::TapeAdjust() {
    if (engine_)
        engine_->settingsDialog(QStringLiteral("音声の調節"));
}

bool mdlM_Tape::speaking() const {
    return engine_ && engine_->speaking();
}

void mdlM_Tape::ReleaseSpeech() {
    if (engine_)
        engine_->reset();
    engine_ = nullptr;
    usable_ = false;
}
