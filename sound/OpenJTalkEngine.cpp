#include "OpenJTalkEngine.h"

#include "SoundFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
const char* const kVoiceFolders[] = {"/usr/share/hts-voice", "/usr/local/share/hts-voice"};
}

JTalkVoice JTalkVoice::locate() {
    JTalkVoice v;
    v.program = qEnvironmentVariable("MINAMO_OPEN_JTALK");
    if (v.program.isEmpty())
        v.program = QStandardPaths::findExecutable(QStringLiteral("open_jtalk"));
    v.dictionary = qEnvironmentVariable("MINAMO_JTALK_DIC",
                                        QStringLiteral("/var/lib/mecab/dic/open-jtalk/naist-jdic"));
    v.voiceFile = qEnvironmentVariable("MINAMO_HTS_VOICE");
    if (v.voiceFile.isEmpty()) {
        const QStringList all = installedVoices();
        // The male voice Debian packages is the default; any other found will do.
        for (const QString& f : all)
            if (f.contains(QStringLiteral("nitech_jp_atr503_m001")))
                v.voiceFile = f;
        if (v.voiceFile.isEmpty() && !all.isEmpty())
            v.voiceFile = all.first();
    }
    return v;
}

QStringList JTalkVoice::installedVoices() {
    QStringList folders;
    for (const char* f : kVoiceFolders)
        folders << QString::fromLatin1(f);
    const QString env = qEnvironmentVariable("MINAMO_HTS_VOICE");
    if (!env.isEmpty())
        folders << QFileInfo(env).absolutePath();
    QStringList out;
    for (const QString& folder : folders) {
        QDir d(folder);
        for (const QString& sub : d.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            for (const QString& f :
                 QDir(d.filePath(sub)).entryList({QStringLiteral("*.htsvoice")}, QDir::Files))
                out << QDir(d.filePath(sub)).filePath(f);
        for (const QString& f : d.entryList({QStringLiteral("*.htsvoice")}, QDir::Files))
            out << d.filePath(f);
    }
    out.removeDuplicates();
    return out;
}

bool JTalkVoice::complete() const {
    return !program.isEmpty() && QFileInfo(program).isExecutable() &&
           QFileInfo(dictionary + QStringLiteral("/sys.dic")).exists() &&
           QFileInfo(voiceFile).isFile();
}

void JTalkVoice::load(const QString& path) {
    QSettings s(path, QSettings::IniFormat);
    speed = std::clamp(s.value(QStringLiteral("speed"), speed).toDouble(), 0.5, 2.0);
    pitch = std::clamp(s.value(QStringLiteral("pitch"), pitch).toDouble(), -12.0, 12.0);
    volume = std::clamp(s.value(QStringLiteral("volume"), volume).toDouble(), -20.0, 10.0);
    const QString file = s.value(QStringLiteral("voice")).toString();
    if (!file.isEmpty() && QFileInfo(file).isFile())
        voiceFile = file;
}

bool JTalkVoice::save(const QString& path) const {
    QSettings s(path, QSettings::IniFormat);
    s.setValue(QStringLiteral("speed"), speed);
    s.setValue(QStringLiteral("pitch"), pitch);
    s.setValue(QStringLiteral("volume"), volume);
    s.setValue(QStringLiteral("voice"), voiceFile);
    s.sync();
    return s.status() == QSettings::NoError;
}

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
