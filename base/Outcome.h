#pragma once
// What a core operation reports instead of showing a message itself: success, or the
// classic error number (0 when the failure has none) and the text the operator reads.
#include <QString>

struct Outcome {
    bool ok = true;
    int errorNo = 0;
    QString message;

    static Outcome success() { return {}; }
    static Outcome failure(QString text, int number = 0) {
        return {false, number, std::move(text)};
    }
};
