// The song every module writer encodes, in format-neutral terms.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/media/modules.h"

namespace media {

inline constexpr int kModuleChannels = 4;
inline constexpr int kPatternRows = 64;

// Checks a ModuleSpec's ranges; throws std::invalid_argument. Formats without an end-of-song
// marker (MOD, XM, MTM) pass singleSong and refuse a second sub-song.
void CheckModuleSpec(const ModuleSpec& spec, bool singleSong = false);

// The order list: 0 .. orders - 1, then for a second sub-song the end-of-song marker 255
// and secondSongOrders zeros.
std::vector<std::uint8_t> OrderList(const ModuleSpec& spec);

// The sine sample as signed 8-bit values.
std::vector<std::int8_t> SineSample();

// What one cell of a pattern holds. The first row of every pattern starts the note in all
// four channels (two left, two right: a centred tone) and sets speed (channel 1) and tempo
// (channel 2); channel 4 breaks to the next order after rowsPerOrder rows.
struct SongCell {
    enum class Effect { kNone, kSpeed, kTempo, kBreak };
    bool note = false;  // the sine at the note that plays it at kSampleRate
    Effect effect = Effect::kNone;
    int param = 0;  // ticks per row, beats per minute, or the row to break to (always 0)
};
SongCell CellAt(const ModuleSpec& spec, int row, int channel);

// The effect's code in ProTracker's effect column (MOD, XM, MTM): F sets speed below 32 and
// tempo from 32, D breaks. 0 for none.
unsigned ProTrackerEffect(SongCell::Effect effect);
// The effect's command letter number in Scream Tracker and Impulse Tracker (A = 1): A speed,
// T tempo, C break. 0 for none.
unsigned ScreamTrackerCommand(SongCell::Effect effect);

}  // namespace media

namespace media {
// Writes bytes to path and describes them.
ModuleFile WriteModuleFile(const std::filesystem::path& path, const Bytes& bytes,
                           const ModuleSpec& spec, const std::string& type, std::size_t titleWidth);
}  // namespace media
