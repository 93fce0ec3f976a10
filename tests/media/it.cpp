// Impulse Tracker module in sample mode (no instruments): 32-bit file offsets, packed
// patterns with per-channel masks, signed samples with a C-5 speed.
#include "tests/media/module_song.h"

namespace media {
namespace {

constexpr std::size_t kTitleWidth = 25;  // 26 bytes with a terminating NUL
constexpr unsigned kNoteC5 = 60;         // plays at the sample's C5 speed
constexpr std::size_t kSampleHeaderSize = 80;

Bytes PackedPattern(const ModuleSpec& spec) {
    ByteWriter data;
    for (int row = 0; row < kPatternRows; ++row) {
        for (int channel = 0; channel < kModuleChannels; ++channel) {
            const SongCell cell = CellAt(spec, row, channel);
            const unsigned command = ScreamTrackerCommand(cell.effect);
            if (!cell.note && !command) continue;
            data.U8((channel + 1) | 0x80);                           // a mask byte follows
            data.U8((cell.note ? 0x03 : 0) | (command ? 0x08 : 0));  // note+sample, command
            if (cell.note) {
                data.U8(kNoteC5);
                data.U8(1);
            }
            if (command) {
                data.U8(command);
                data.U8(cell.param);
            }
        }
        data.U8(0);  // end of row
    }
    ByteWriter out;
    out.U16le(static_cast<unsigned>(data.size()));
    out.U16le(kPatternRows);
    out.Zeros(4);
    out.Append(data.bytes());
    return std::move(out.bytes());
}

}  // namespace

Bytes ItBytes(const ModuleSpec& spec) {
    CheckModuleSpec(spec);
    const auto orders = OrderList(spec);
    ByteWriter out;
    out.Raw("IMPM");
    out.Text(spec.name.substr(0, kTitleWidth), 26);
    out.U16le(0x1004);  // pattern row highlights
    out.U16le(static_cast<unsigned>(orders.size()));
    out.U16le(0);  // instruments
    out.U16le(1);  // samples
    out.U16le(spec.orders);
    out.U16le(0x0214);  // made with Impulse Tracker 2.14
    out.U16le(0x0214);  // compatible with it
    out.U16le(0x01);    // stereo, sample mode, Amiga slides
    out.U16le(0);       // no message
    out.U8(128);        // global volume
    out.U8(48);         // mixing volume
    out.U8(spec.speed);
    out.U8(spec.tempo);
    out.U8(128);  // stereo separation
    out.U8(0);
    out.U16le(0);  // message length
    out.U32le(0);  // message offset
    out.U32le(0);
    const unsigned panning[kModuleChannels] = {0, 64, 0, 64};
    for (int c = 0; c < 64; ++c) out.U8(c < kModuleChannels ? panning[c] : 32 + 128);  // 128: off
    for (int c = 0; c < 64; ++c) out.U8(64);
    for (auto order : orders) out.U8(order);

    const std::size_t samplePointer = out.size();
    out.U32le(0);
    const std::size_t patternPointers = out.size();
    out.Zeros(4 * static_cast<std::size_t>(spec.orders));

    out.PutU32le(samplePointer, static_cast<std::uint32_t>(out.size()));
    const std::size_t sample = out.size();
    out.Raw("IMPS");
    out.Text("SINE.SMP", 12);
    out.U8(0);
    out.U8(64);                                     // global volume
    out.U8(0x01 | (spec.loopedSample ? 0x10 : 0));  // sample present, looped
    out.U8(64);                                     // volume
    out.Text("sine", 26);
    out.U8(0x01);  // signed samples
    out.U8(32);    // default panning, not used
    out.U32le(kSampleFrames);
    out.U32le(0);
    out.U32le(kSampleFrames);
    out.U32le(kSampleRate);
    out.U32le(0);  // no sustain loop
    out.U32le(0);
    const std::size_t dataPointer = out.size();
    out.U32le(0);
    out.Zeros(4);  // no vibrato
    if (out.size() != sample + kSampleHeaderSize) throw std::logic_error("IT sample header size");

    const Bytes pattern = PackedPattern(spec);
    for (int p = 0; p < spec.orders; ++p) {
        out.PutU32le(patternPointers + 4 * p, static_cast<std::uint32_t>(out.size()));
        out.Append(pattern);
    }
    out.PutU32le(dataPointer, static_cast<std::uint32_t>(out.size()));
    for (auto value : SineSample()) out.U8(static_cast<std::uint8_t>(value));
    return std::move(out.bytes());
}

ModuleFile WriteIt(const std::filesystem::path& path, const ModuleSpec& spec) {
    return WriteModuleFile(path, ItBytes(spec), spec, "it", kTitleWidth);
}

}  // namespace media
