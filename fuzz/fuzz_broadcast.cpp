// Feeds arbitrary bytes to the broadcast file reader and the reading dictionary: lines,
// fields and readings must come out without a crash, and a parsed line keeps its flags.
#include "BroadcastFile.h"
#include "Readings.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const QString& line : broadcast::lines(bytes))
        if (const auto e = broadcast::parseLine(line)) {
            // Joined by hand: the text may itself hold "%1" and must not be substituted.
            const QString again = QLatin1Char('"') + QString(e->Text).remove(QLatin1Char('"')) +
                                  QStringLiteral("\",") + QString::number(e->AdvanceFlag) +
                                  QLatin1Char(',') + QString::number(e->SoundFlag);
            const auto back = broadcast::parseLine(again);
            if (!back || back->AdvanceFlag != e->AdvanceFlag || back->SoundFlag != e->SoundFlag)
                std::abort();
        }
    const Readings r = Readings::fromBytes(bytes);
    (void)r.apply(
        QString::fromUtf8(bytes.data(), static_cast<qsizetype>(std::min<size_t>(size, 256))));
    (void)speechPieces(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(size)));
    return 0;
}
