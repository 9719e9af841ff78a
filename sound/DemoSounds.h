#pragma once
// The demo's own sounds, synthesised: chimes as 16-bit mono WAV and one short tune as a
// standard MIDI file. The same bytes every time, so the committed files can be checked.
#include <string>
#include <utility>
#include <vector>

namespace demosounds {

// File name and bytes of every demo sound.
std::vector<std::pair<std::string, std::string>> all();

} // namespace demosounds
