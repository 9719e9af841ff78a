#pragma once
// The text-to-speech engine as the announcement player uses it: speak and return at once,
// stop at once, a status, and the engine's own voice settings dialog.
#include <QString>

class SpeechEngine {
  public:
    virtual ~SpeechEngine() = default;
    // Whether the engine can speak on this machine (program, dictionary and voice found).
    virtual bool create() = 0;
    // Starts speaking `text`; speech goes on after the call returns.
    virtual void speak(const QString& text) = 0;
    // Stops any speech at once and drops whatever was still to be said.
    virtual void reset() = 0;
    // -1 asks for a reset right after a speak request; an engine without such a state
    // reports 0.
    virtual int status() = 0;
    // Whether anything is still being said.
    virtual bool speaking() const = 0;
    // The engine's voice settings, modal, with this title.
    virtual void settingsDialog(const QString& title) = 0;
    // `text` is likely to be spoken next: an engine may make its start ahead, so it sounds
    // at once when asked for.
    virtual void prepare(const QString& text) { (void)text; }
};
