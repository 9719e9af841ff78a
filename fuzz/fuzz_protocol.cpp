// Control requests: any bytes are read as a client's message; whatever is read is answered,
// and telemetry is followed, as the server would.
#include "Protocol.h"
#include "TelemetryFollower.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const remote::Request r = remote::parseRequest(bytes);
    if (const auto* run = std::get_if<remote::RunRequest>(&r)) {
        (void)remote::okAnswer(run->id, run->line);
    } else if (const auto* bad = std::get_if<remote::BadRequest>(&r)) {
        (void)remote::errorAnswer(bad->id, bad->error);
    } else {
        TelemetryFollower f;
        const auto& t = std::get<remote::Telemetry>(r);
        (void)f.update(t, 1);
        (void)f.update(t, 2);
    }
    return 0;
}
