#include "JTalkVoice.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

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

QString JTalkVoice::phonemes(const QString& text) const {
    if (!complete())
        return {};
    QProcess p;
    p.start(program, {QStringLiteral("-x"), dictionary, QStringLiteral("-m"), voiceFile,
                      QStringLiteral("-ot"), QStringLiteral("/dev/stdout"), QStringLiteral("-ow"),
                      QStringLiteral("/dev/null")});
    p.write(text.toUtf8() + '\n');
    p.closeWriteChannel();
    if (!p.waitForFinished(10000))
        return {};
    // Full-context labels: the current phoneme sits between '-' and '+'.
    static const QRegularExpression label(QStringLiteral("^[^\\^]+\\^[^-]+-([^+]+)\\+"));
    QStringList out;
    const QString trace = QString::fromUtf8(p.readAllStandardOutput());
    bool labels = false;
    for (const QString& line : trace.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("[Output label]"))) {
            labels = true;
            continue;
        }
        if (!labels)
            continue;
        if (line.trimmed().isEmpty())
            break; // the label block ends; what follows repeats it in other sections
        const auto m = label.match(line.section(QLatin1Char(' '), -1));
        if (!m.hasMatch())
            continue;
        const QString ph = m.captured(1);
        out << (ph == QLatin1String("sil") || ph == QLatin1String("pau") ? QStringLiteral("|")
                                                                         : ph);
    }
    while (!out.isEmpty() && out.first() == QLatin1String("|"))
        out.removeFirst();
    while (!out.isEmpty() && out.last() == QLatin1String("|"))
        out.removeLast();
    return out.join(QLatin1Char(' '));
}
