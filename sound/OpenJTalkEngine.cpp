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
    if (!running_)
        startNext();
}

void OpenJTalkEngine::startNext() {
    if (pending_.isEmpty())
        return;
    const QString piece = pending_.takeFirst();
    auto* p = new QProcess(this);
    p->setProperty("piece", piece);
    running_ = p;
    const quint64 gen = generation_;
    connect(p, &QProcess::finished, this, [this, p, gen] { finished(p, gen); });
    connect(p, &QProcess::errorOccurred, this, [this, p, gen](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            finished(p, gen);
    });
    p->start(voice_.program,
             {QStringLiteral("-x"), voice_.dictionary, QStringLiteral("-m"), voice_.voiceFile,
              QStringLiteral("-r"), QString::number(voice_.speed), QStringLiteral("-fm"),
              QString::number(voice_.pitch), QStringLiteral("-g"), QString::number(voice_.volume),
              QStringLiteral("-ow"), QStringLiteral("/dev/stdout")});
    p->write(piece.toUtf8() + '\n');
    p->closeWriteChannel();
}

void OpenJTalkEngine::finished(QProcess* p, quint64 generation) {
    const QByteArray wav = p->readAllStandardOutput();
    p->deleteLater();
    if (running_ == p)
        running_ = nullptr;
    // A piece from before a reset is dropped.
    if (generation != generation_)
        return;
    if (auto pcm = soundfiles::decodeWav(wav)) {
        // The pause after a piece follows its punctuation: short after 、, longer after 。.
        const QString ending = p->property("piece").toString().trimmed().right(1);
        const int pause = ending == QStringLiteral("、")                ? 120
                          : QStringLiteral("。！？!?").contains(ending) ? 320
                                                                        : 80;
        mixer_.enqueue(kVoiceName, soundfiles::trimSilence(*pcm, 20, pause));
    }
    startNext();
}

void OpenJTalkEngine::reset() {
    ++generation_;
    pending_.clear();
    if (running_) {
        QProcess* p = running_;
        running_ = nullptr;
        p->disconnect(this);
        p->kill();
        p->waitForFinished(200);
        p->deleteLater();
    }
    mixer_.stop(kVoiceName);
}

bool OpenJTalkEngine::speaking() const {
    return running_ || !pending_.isEmpty() || mixer_.busy(kVoiceName);
}

void OpenJTalkEngine::settingsDialog(const QString& title) {
    if (showDialog)
        showDialog(title);
}
