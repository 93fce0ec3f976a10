// Scream Tracker 3 module: paragraph (16-byte) pointers, packed patterns, signed samples.
#include "tests/media/module_song.h"

namespace media {
namespace {

constexpr std::size_t kTitleWidth = 27;  // 28 bytes with a terminating NUL
constexpr unsigned kNoteC4 = 0x40;       // octave 4, C: plays at the sample's C2SPD

void AlignToParagraph(ByteWriter& out) {
    out.PadTo((out.size() + 15) & ~std::size_t{15});
}

Bytes PackedPattern(const ModuleSpec& spec) {
    ByteWriter out;
    out.U16le(0);  // length, filled in below
    for (int row = 0; row < kPatternRows; ++row) {
        for (int channel = 0; channel < kModuleChannels; ++channel) {
            const SongCell cell = CellAt(spec, row, channel);
            const unsigned command = ScreamTrackerCommand(cell.effect);
            if (!cell.note && !command) continue;
            out.U8(channel | (cell.note ? 0x20 : 0) | (command ? 0x80 : 0));
            if (cell.note) {
                out.U8(kNoteC4);
                out.U8(1);
            }
            if (command) {
                out.U8(command);
                out.U8(cell.param);
            }
        }
        out.U8(0);  // end of row
    }
    out.PutU16le(0, static_cast<unsigned>(out.size()));
    return std::move(out.bytes());
}

}  // namespace

Bytes S3mBytes(const ModuleSpec& spec) {
    CheckModuleSpec(spec);
    const auto orders = OrderList(spec);
    ByteWriter out;
    out.Text(spec.name.substr(0, kTitleWidth), 28);
    out.U8(0x1A);
    out.U8(16);  // type: S3M module
    out.U16le(0);
    out.U16le(static_cast<unsigned>(orders.size()));
    out.U16le(1);  // instruments
    out.U16le(spec.orders);
    out.U16le(0);       // flags
    out.U16le(0x1320);  // made with Scream Tracker 3.20
    out.U16le(1);       // samples are signed
    out.Raw("SCRM");
    out.U8(64);  // global volume
    out.U8(spec.speed);
    out.U8(spec.tempo);
    out.U8(0x80 | 48);  // stereo, master volume 48
    out.U8(0);          // no click removal
    out.U8(0);          // no panning table
    out.Zeros(8);
    out.U16le(0);                                                    // no special data
    const unsigned channelSettings[kModuleChannels] = {0, 8, 1, 9};  // L1 R1 L2 R2
    for (int c = 0; c < 32; ++c) out.U8(c < kModuleChannels ? channelSettings[c] : 0xFF);
    for (auto order : orders) out.U8(order);

    const std::size_t instrumentPointer = out.size();
    out.U16le(0);
    const std::size_t patternPointers = out.size();
    out.Zeros(2 * static_cast<std::size_t>(spec.orders));

    AlignToParagraph(out);
    const std::size_t instrument = out.size();
    out.PutU16le(instrumentPointer, static_cast<unsigned>(instrument / 16));
    out.U8(1);  // a sample
    out.Text("SINE.SMP", 12);
    const std::size_t memorySegment = out.size();
    out.Zeros(3);
    out.U32le(kSampleFrames);
    out.U32le(0);
    out.U32le(kSampleFrames);
    out.U8(64);  // volume
    out.U8(0);
    out.U8(0);  // not packed
    out.U8(spec.loopedSample ? 1 : 0);
    out.U32le(kSampleRate);
    out.Zeros(12);
    out.Text("sine", 28);
    out.Raw("SCRS");

    const Bytes pattern = PackedPattern(spec);
    for (int p = 0; p < spec.orders; ++p) {
        AlignToParagraph(out);
        out.PutU16le(patternPointers + 2 * p, static_cast<unsigned>(out.size() / 16));
        out.Append(pattern);
    }

    AlignToParagraph(out);
    const std::size_t dataParagraph = out.size() / 16;
    out.bytes()[memorySegment] = static_cast<std::uint8_t>(dataParagraph >> 16);
    out.PutU16le(memorySegment + 1, dataParagraph & 0xFFFF);
    for (auto value : SineSample()) out.U8(static_cast<std::uint8_t>(value));
    return std::move(out.bytes());
}

ModuleFile WriteS3m(const std::filesystem::path& path, const ModuleSpec& spec) {
    return WriteModuleFile(path, S3mBytes(spec), spec, "s3m", kTitleWidth);
}

}  // namespace media
