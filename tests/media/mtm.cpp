// MultiTracker module: patterns are lists of shared 64-row tracks, unsigned samples.
#include "tests/media/module_song.h"

namespace media {
namespace {

constexpr std::size_t kTitleWidth = 20;
constexpr unsigned kNoteC = 24;  // the note number that plays a sample at 8363 Hz
constexpr std::size_t kTrackBytes = 3 * kPatternRows;

}  // namespace

Bytes MtmBytes(const ModuleSpec& spec) {
    CheckModuleSpec(spec, /*singleSong=*/true);
    ByteWriter out;
    out.Raw("MTM");
    out.U8(0x10);  // version 1.0
    out.Text(spec.name, kTitleWidth);
    out.U16le(kModuleChannels);  // tracks stored: one per channel, shared by every pattern
    out.U8(spec.orders - 1);     // last pattern
    out.U8(spec.orders - 1);     // last order
    out.U16le(0);                // comment length
    out.U8(1);                   // samples
    out.U8(0);                   // attributes
    out.U8(kPatternRows);        // rows per track
    out.U8(kModuleChannels);
    const unsigned panning[kModuleChannels] = {0, 15, 0, 15};
    for (int c = 0; c < 32; ++c) out.U8(c < kModuleChannels ? panning[c] : 8);

    out.Text("sine", 22);
    out.U32le(kSampleFrames);
    out.U32le(0);
    out.U32le(spec.loopedSample ? kSampleFrames : 0);
    out.U8(0);   // finetune
    out.U8(64);  // volume
    out.U8(0);   // 8-bit

    for (int i = 0; i < 128; ++i) out.U8(i < spec.orders ? i : 0);

    for (int channel = 0; channel < kModuleChannels; ++channel) {
        for (int row = 0; row < kPatternRows; ++row) {
            const SongCell cell = CellAt(spec, row, channel);
            const unsigned sample = cell.note ? 1 : 0;
            const unsigned effect = ProTrackerEffect(cell.effect);
            out.U8(((cell.note ? kNoteC : 0) << 2) | (sample >> 4));
            out.U8(((sample & 0x0F) << 4) | effect);
            out.U8(cell.param);
        }
    }
    static_assert(kTrackBytes == 192);

    for (int p = 0; p < spec.orders; ++p) {
        for (int c = 0; c < 32; ++c) out.U16le(c < kModuleChannels ? c + 1 : 0);  // 0: empty
    }
    for (auto value : SineSample()) out.U8(static_cast<std::uint8_t>(value + 128));
    return std::move(out.bytes());
}

ModuleFile WriteMtm(const std::filesystem::path& path, const ModuleSpec& spec) {
    return WriteModuleFile(path, MtmBytes(spec), spec, "mtm", kTitleWidth);
}

}  // namespace media
