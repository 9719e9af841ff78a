#pragma once
// Open JTalk's pieces on this machine (program, dictionary, voice) and how the voice
// speaks; also the phonemes the engine would say for a text, to find misreadings.
#include <QString>
#include <QStringList>

// Where the program, its dictionary and a voice are, and how the voice speaks.
struct JTalkVoice {
    QString program;     // open_jtalk
    QString dictionary;  // the MeCab dictionary folder
    QString voiceFile;   // an .htsvoice file
    double speed = 1.0;  // -r
    double pitch = 0.0;  // half-tones, -fm
    double volume = 0.0; // dB, -g

    // $MINAMO_OPEN_JTALK, $MINAMO_JTALK_DIC and $MINAMO_HTS_VOICE, else Debian's places.
    static JTalkVoice locate();
    // .htsvoice files in the usual folders (and $MINAMO_HTS_VOICE's folder).
    static QStringList installedVoices();
    bool complete() const;
    // Kept in a small text file of its own (the settings file has no place for it).
    void load(const QString& path);
    bool save(const QString& path) const;

    // The phonemes Open JTalk says for `text` (e.g. "h o N ch o o"), pauses as "|";
    // empty when the program cannot be run.
    QString phonemes(const QString& text) const;
};
