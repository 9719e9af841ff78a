#include "OpenJTalkEngine.h"

#include "SoundFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

OpenJTalkEngine::OpenJTalkEngine(Mixer& mixer, JTalkVoice voice, QObject* parent)
    : QObject(parent), mixer_(mixer), voice_(std::move(voice)) {}

OpenJTalkEngine::~OpenJTalkEngine() {
    reset();
    // The processes just killed end within moments; let them, rather than leave them.
    for (QProcess* p : findChildren<QProcess*>())
        p->waitForFinished(500);
}

bool OpenJTalkEngine::create() {
    return voice_.complete();
}

QString OpenJTalkEngine::reading(const QString& text) {
    const QString folder = readingsFolder ? readingsFolder() : QString();
    const QString path =
        QDir(folder.isEmpty() ? QStringLiteral(".") : folder).filePath(QStringLiteral("yomi.csv"));
    const QFileInfo info(path);
    const qint64 stamp = info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
    if (path != readingsPath_ || stamp != readingsStamp_) {
        readingsPath_ = path;
        readingsStamp_ = stamp;
        readings_ = stamp >= 0 ? Readings::fromFile(path) : Readings{};
    }
    return readings_.apply(text);
}

void OpenJTalkEngine::speak(const QString& text) {
    const std::vector<QString> pieces = speechPieces(reading(text));
    pending_ = QStringList(pieces.begin(), pieces.end());
    startMore();
}

void OpenJTalkEngine::startMore() {
    while (!pending_.isEmpty() && static_cast<int>(running_.size()) < kProcesses) {
        const QString piece = pending_.takeFirst();
        auto* p = new QProcess(this);
        p->setProperty("piece", piece);
        running_.push_back(p);
        const int seq = nextSeq_++;
        const quint64 gen = generation_;
        connect(p, &QProcess::finished, this, [this, p, seq, gen] { finished(p, seq, gen); });
        connect(p, &QProcess::errorOccurred, this, [this, p, seq, gen](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                finished(p, seq, gen);
        });
        p->start(voice_.program,
                 {QStringLiteral("-x"), voice_.dictionary, QStringLiteral("-m"), voice_.voiceFile,
                  QStringLiteral("-r"), QString::number(voice_.speed), QStringLiteral("-fm"),
                  QString::number(voice_.pitch), QStringLiteral("-g"),
                  QString::number(voice_.volume), QStringLiteral("-ow"),
                  QStringLiteral("/dev/stdout")});
        p->write(piece.toUtf8() + '\n');
        p->closeWriteChannel();
    }
}

void OpenJTalkEngine::finished(QProcess* p, int seq, quint64 generation) {
    const QByteArray wav = p->readAllStandardOutput();
    const QString ending = p->property("piece").toString().trimmed().right(1);
    p->disconnect(this);
    p->deleteLater();
    std::erase(running_, p);
    // A piece from before a reset is dropped.
    if (generation != generation_)
        return;
    // The pause after a piece follows its punctuation: short after 、, longer after 。. The
    // next piece keeps a little lead-in of its own, which is part of the pause.
    const int pause = ending == QStringLiteral("、")                ? 120
                      : QStringLiteral("。！？!?").contains(ending) ? 320
                                                                    : 80;
    ++converting_;
    converter_.post([this, wav, pause, seq, generation] {
        std::shared_ptr<const Pcm> pcm;
        constexpr int kLeadMs = 20;
        // Trimmed at the voice's own rate, then converted: less to convert.
        if (const auto d = soundfiles::decodeWavNative(wav))
            pcm = soundfiles::toMixer(soundfiles::trimSilence(*d, kLeadMs, pause - kLeadMs));
        QMetaObject::invokeMethod(
            &context_, [this, seq, generation, pcm] { converted(seq, generation, pcm); },
            Qt::QueuedConnection);
    });
    startMore();
}

void OpenJTalkEngine::converted(int seq, quint64 generation, std::shared_ptr<const Pcm> pcm) {
    if (generation != generation_)
        return;
    --converting_;
    ready_[seq] = std::move(pcm);
    // In the order of the text: a short piece made quickly waits for the one before it.
    for (auto it = ready_.find(nextQueued_); it != ready_.end(); it = ready_.find(nextQueued_)) {
        mixer_.enqueue(kVoiceName, it->second);
        ready_.erase(it);
        ++nextQueued_;
    }
}

void OpenJTalkEngine::reset() {
    ++generation_;
    pending_.clear();
    ready_.clear();
    converting_ = 0;
    nextSeq_ = nextQueued_ = 0;
    // Killed, not waited for: the process goes when it has ended.
    for (QProcess* p : running_) {
        p->disconnect(this);
        connect(p, &QProcess::finished, p, &QObject::deleteLater);
        p->kill();
    }
    running_.clear();
    mixer_.stop(kVoiceName);
}

bool OpenJTalkEngine::speaking() const {
    return !running_.empty() || !pending_.isEmpty() || converting_ > 0 || !ready_.empty() ||
           mixer_.busy(kVoiceName);
}

void OpenJTalkEngine::settingsDialog(const QString& title) {
    if (showDialog)
        showDialog(title);
}
