// FastTracker 2 module: one instrument holding one delta-coded 8-bit sample, packed
// patterns, linear frequencies.
#include "tests/media/module_song.h"

namespace media {
namespace {

constexpr std::size_t kTitleWidth = 20;
constexpr unsigned kNoteC4 = 49;  // plays a sample at 8363 Hz (relative note 0, finetune 0)
constexpr std::uint32_t kInstrumentHeaderSize = 263;
constexpr std::uint32_t kSampleHeaderSize = 40;

Bytes PackedPattern(const ModuleSpec& spec) {
    ByteWriter data;
    for (int row = 0; row < kPatternRows; ++row) {
        for (int channel = 0; channel < kModuleChannels; ++channel) {
            const SongCell cell = CellAt(spec, row, channel);
            const bool hasEffect = cell.effect != SongCell::Effect::kNone;
            // 0x80: packed; then 1 note, 2 instrument, 8 effect, 16 parameter follow.
            data.U8(0x80 | (cell.note ? 0x03 : 0) | (hasEffect ? 0x18 : 0));
            if (cell.note) {
                data.U8(kNoteC4);
                data.U8(1);
            }
            if (hasEffect) {
                data.U8(ProTrackerEffect(cell.effect));
                data.U8(cell.param);
            }
        }
    }
    ByteWriter out;
    out.U32le(9);  // pattern header length
    out.U8(0);     // packing type
    out.U16le(kPatternRows);
    out.U16le(static_cast<unsigned>(data.size()));
    out.Append(data.bytes());
    return std::move(out.bytes());
}

}  // namespace

Bytes XmBytes(const ModuleSpec& spec) {
    CheckModuleSpec(spec, /*singleSong=*/true);
    ByteWriter out;
    out.Raw("Extended Module: ");
    out.Text(spec.name, kTitleWidth);
    out.U8(0x1A);
    out.Text("Vyn test media", 20);
    out.U16le(0x0104);
    out.U32le(276);  // header size from this field on
    out.U16le(spec.orders);
    out.U16le(0);  // restart position
    out.U16le(kModuleChannels);
    out.U16le(spec.orders);  // patterns
    out.U16le(1);            // instruments
    out.U16le(1);            // linear frequency table
    out.U16le(spec.speed);
    out.U16le(spec.tempo);
    for (int i = 0; i < 256; ++i) out.U8(i < spec.orders ? i : 0);

    const Bytes pattern = PackedPattern(spec);
    for (int p = 0; p < spec.orders; ++p) out.Append(pattern);

    const std::size_t instrument = out.size();
    out.U32le(kInstrumentHeaderSize);
    out.Text("sine", 22);
    out.U8(0);
    out.U16le(1);  // samples
    out.U32le(kSampleHeaderSize);
    out.Zeros(96);         // every note plays sample 1
    out.Zeros(48 + 48);    // envelope points, unused
    out.Zeros(2 + 6 + 2);  // no envelopes
    out.Zeros(4);          // no vibrato
    out.U16le(0);          // no fadeout
    out.PadTo(instrument + kInstrumentHeaderSize);

    out.U32le(kSampleFrames);
    out.U32le(0);
    out.U32le(spec.loopedSample ? kSampleFrames : 0);
    out.U8(64);                         // volume
    out.U8(0);                          // finetune
    out.U8(spec.loopedSample ? 1 : 0);  // forward loop, 8-bit
    out.U8(128);                        // centred
    out.U8(0);                          // relative note
    out.U8(0);
    out.Text("sine", 22);

    std::int8_t previous = 0;
    for (auto value : SineSample()) {
        out.U8(static_cast<std::uint8_t>(value - previous));  // stored as deltas
        previous = value;
    }
    return std::move(out.bytes());
}

ModuleFile WriteXm(const std::filesystem::path& path, const ModuleSpec& spec) {
    return WriteModuleFile(path, XmBytes(spec), spec, "xm", kTitleWidth);
}

}  // namespace media
