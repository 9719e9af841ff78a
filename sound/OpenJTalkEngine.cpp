#include "OpenJTalkEngine.h"

#include "SoundFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

OpenJTalkEngine::OpenJTalkEngine(Mixer& mixer, JTalkVoice voice, QObject* parent)
    : QObject(parent), mixer_(mixer), voice_(std::move(voice)) {}

OpenJTalkEngine::~OpenJTalkEngine() {
    reset();
    dropSpares();
    // The processes just killed go with this object: a QProcess reaps its own on deletion.
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

namespace {

// The pause after a piece follows its punctuation: short after 、, longer after 。. The
// next piece keeps a little lead-in of its own, which is part of the pause.
int pauseAfter(const QString& piece) {
    const QString ending = piece.trimmed().right(1);
    return ending == QStringLiteral("、")                ? 120
           : QStringLiteral("。！？!?").contains(ending) ? 320
                                                         : 80;
}

// A piece as the voice plays it: trimmed at the voice's own rate, then converted.
std::shared_ptr<const Pcm> toVoice(const QByteArray& wav, int pause) {
    constexpr int kLeadMs = 20;
    if (const auto d = soundfiles::decodeWavNative(wav))
        return soundfiles::toMixer(soundfiles::trimSilence(*d, kLeadMs, pause - kLeadMs));
    return nullptr;
}

} // namespace

void OpenJTalkEngine::speak(const QString& text) {
    const std::vector<QString> pieces = speechPieces(reading(text));
    pending_ = QStringList(pieces.begin(), pieces.end());
    // A first piece made ahead sounds at once; the rest is made behind it.
    if (!pending_.isEmpty()) {
        const auto hit = prepared_.find(preparedKey(pending_.front()));
        if (hit != prepared_.end() && hit->second) {
            pending_.removeFirst();
            ready_[nextSeq_++] = hit->second;
            enqueueReady();
        }
    }
    // Starting processes costs a few milliseconds: on the next turn, so what follows the
    // start of speech (the board's step, the next wait) is not put back by it.
    QTimer::singleShot(0, this, [this] {
        startMore();
        warmUp();
    });
}

QString OpenJTalkEngine::preparedKey(const QString& piece) const {
    return arguments().join(QLatin1Char(' ')) + QLatin1Char('\n') + piece;
}

bool OpenJTalkEngine::prepared(const QString& text) {
    const std::vector<QString> pieces = speechPieces(reading(text));
    return !pieces.empty() && prepared_.count(preparedKey(pieces.front())) > 0;
}

void OpenJTalkEngine::prepare(const QString& text) {
    if (!voice_.complete())
        return;
    const std::vector<QString> pieces = speechPieces(reading(text));
    if (pieces.empty())
        return;
    const QString key = preparedKey(pieces.front());
    if (prepared_.count(key) > 0 || preparing_ == key)
        return;
    // A few lines' starts are plenty: the next one, and the one after a step back.
    if (prepared_.size() >= 8)
        prepared_.clear();
    preparing_ = key;
    auto* p = new QProcess(this);
    const QString piece = pieces.front();
    connect(p, &QProcess::finished, this, [this, p, key, piece] {
        const QByteArray wav = p->readAllStandardOutput();
        p->deleteLater();
        converter_.post([this, wav, key, pause = pauseAfter(piece)] {
            std::shared_ptr<const Pcm> pcm = toVoice(wav, pause);
            QMetaObject::invokeMethod(
                &context_,
                [this, key, pcm] {
                    if (preparing_ == key)
                        preparing_.clear();
                    if (pcm)
                        prepared_[key] = pcm;
                },
                Qt::QueuedConnection);
        });
    });
    p->start(voice_.program, arguments());
    p->write(piece.toUtf8() + '\n');
    p->closeWriteChannel();
}

QStringList OpenJTalkEngine::arguments() const {
    return {QStringLiteral("-x"),  voice_.dictionary,
            QStringLiteral("-m"),  voice_.voiceFile,
            QStringLiteral("-r"),  QString::number(voice_.speed),
            QStringLiteral("-fm"), QString::number(voice_.pitch),
            QStringLiteral("-g"),  QString::number(voice_.volume),
            QStringLiteral("-ow"), QStringLiteral("/dev/stdout")};
}

void OpenJTalkEngine::dropSpares() {
    for (QProcess* p : spares_) {
        p->disconnect(this);
        connect(p, &QProcess::finished, p, &QObject::deleteLater);
        p->kill();
    }
    spares_.clear();
}

void OpenJTalkEngine::warmUp() {
    if (!voice_.complete())
        return;
    // A change of voice, speed or pitch makes the waiting processes useless.
    if (spareArguments_ != arguments())
        dropSpares();
    spareArguments_ = arguments();
    while (static_cast<int>(spares_.size()) < kProcesses) {
        auto* p = new QProcess(this);
        spares_.push_back(p);
        // One that ends unused (killed from outside, a broken voice) is simply forgotten.
        connect(p, &QProcess::finished, this, [this, p] {
            if (std::erase(spares_, p) > 0)
                p->deleteLater();
        });
        p->start(voice_.program, spareArguments_);
    }
}

QProcess* OpenJTalkEngine::takeProcess() {
    while (!spares_.empty() && spareArguments_ == arguments()) {
        QProcess* p = spares_.front();
        spares_.erase(spares_.begin());
        p->disconnect(this);
        if (p->state() != QProcess::NotRunning)
            return p;
        p->deleteLater();
    }
    auto* p = new QProcess(this);
    p->start(voice_.program, arguments());
    return p;
}

void OpenJTalkEngine::startMore() {
    while (!pending_.isEmpty() && static_cast<int>(running_.size()) < kProcesses) {
        const QString piece = pending_.takeFirst();
        QProcess* p = takeProcess();
        p->setProperty("piece", piece);
        running_.push_back(p);
        const int seq = nextSeq_++;
        const quint64 gen = generation_;
        connect(p, &QProcess::finished, this, [this, p, seq, gen] { finished(p, seq, gen); });
        connect(p, &QProcess::errorOccurred, this, [this, p, seq, gen](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                finished(p, seq, gen);
        });
        // A process that could not start at all has said so already.
        if (p->state() == QProcess::NotRunning && p->error() == QProcess::FailedToStart)
            QTimer::singleShot(0, this, [this, p, seq, gen] { finished(p, seq, gen); });
        p->write(piece.toUtf8() + '\n');
        p->closeWriteChannel();
    }
}

void OpenJTalkEngine::finished(QProcess* p, int seq, quint64 generation) {
    const QByteArray wav = p->readAllStandardOutput();
    const int pause = pauseAfter(p->property("piece").toString());
    p->disconnect(this);
    p->deleteLater();
    std::erase(running_, p);
    // A piece from before a reset is dropped.
    if (generation != generation_)
        return;
    ++converting_;
    converter_.post([this, wav, pause, seq, generation] {
        std::shared_ptr<const Pcm> pcm = toVoice(wav, pause);
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
    enqueueReady();
}

void OpenJTalkEngine::enqueueReady() {
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
