// MO3, the compressed module container, holding the song as a Scream Tracker 3 module.
// The music data use the format's LZ scheme with literals only, and the one sample is
// stored as plain signed PCM after them. Patterns have rowsPerOrder rows, so no effects
// are needed: speed and tempo are the header's defaults.
#include "tests/media/module_song.h"

namespace media {
namespace {

constexpr std::size_t kTitleWidth = 27;
constexpr unsigned kNoteAtSampleRate = 48;  // plays the sample at its own frequency
constexpr std::uint32_t kFlagS3m = 0x0002;
constexpr std::uint32_t kFlagModule = 0x20000;  // always set by the encoder

// The music data as one first literal byte, then per 8 bytes a control byte of eight 0 bits
// ("a literal follows") and the eight bytes.
Bytes LiteralsOnly(const Bytes& data) {
    Bytes packed;
    if (data.empty()) return packed;
    packed.push_back(data[0]);
    for (std::size_t i = 1; i < data.size(); ++i) {
        if ((i - 1) % 8 == 0) packed.push_back(0);
        packed.push_back(data[i]);
    }
    return packed;
}

// A track: the note with sample 1 in its first row, then nothing.
Bytes NoteTrack() {
    ByteWriter track;
    track.U8(0x12);  // advance 1 row, 2 commands
    track.U8(0x01);  // note
    track.U8(kNoteAtSampleRate);
    track.U8(0x02);  // instrument, counted from 0
    track.U8(0);
    track.U8(0);  // end of track
    return std::move(track.bytes());
}

}  // namespace

Bytes Mo3Bytes(const ModuleSpec& spec) {
    constexpr int version = 5;
    CheckModuleSpec(spec);
    const auto orders = OrderList(spec);
    ByteWriter music;
    music.Raw(spec.name.substr(0, kTitleWidth));
    music.U8(0);
    music.U8(0);  // no message
    music.U8(kModuleChannels);
    music.U16le(static_cast<unsigned>(orders.size()));
    music.U16le(0);  // restart position
    music.U16le(spec.orders);
    music.U16le(1);  // tracks: every channel of every pattern plays the same one
    music.U16le(0);  // instruments
    music.U16le(1);  // samples
    music.U8(spec.speed);
    music.U8(spec.tempo);
    music.U32le(kFlagS3m | kFlagModule);
    music.U8(64);   // global volume
    music.U8(128);  // panning separation
    music.U8(0);    // sample volume
    for (int c = 0; c < 64; ++c) music.U8(64);
    const unsigned panning[kModuleChannels] = {0, 256 - 1, 0, 256 - 1};
    for (int c = 0; c < 64; ++c) music.U8(c < kModuleChannels ? panning[c] : 128);
    music.Zeros(16 + 128 * 2);  // macros
    for (auto order : orders) music.U8(order);
    for (int p = 0; p < spec.orders; ++p) {
        for (int c = 0; c < kModuleChannels; ++c) music.U16le(0);
    }
    for (int p = 0; p < spec.orders; ++p) music.U16le(spec.rowsPerOrder);
    const Bytes track = NoteTrack();
    music.U32le(static_cast<std::uint32_t>(track.size()));
    music.Append(track);
    music.Raw("sine");
    music.U8(0);
    if (version >= 5) music.U8(0);  // file name
    music.U32le(kSampleRate);       // frequency in Hz
    music.U8(0);                    // transpose
    music.U8(64);                   // volume
    music.U16le(0xFFFF);            // no panning
    music.U32le(kSampleFrames);
    music.U32le(0);
    music.U32le(spec.loopedSample ? kSampleFrames : 0);
    music.U16le(spec.loopedSample ? 0x10 : 0);
    music.Zeros(4);  // no vibrato
    music.U8(64);    // global volume
    music.U32le(0);  // no sustain loop
    music.U32le(0);
    music.U32le(0);  // no compressed size: plain 8-bit PCM of `length` bytes
    music.U16le(0);

    ByteWriter out;
    out.Raw("MO3");
    out.U8(version);
    out.U32le(static_cast<std::uint32_t>(music.size()));
    const Bytes packed = LiteralsOnly(music.bytes());
    if (version >= 5) out.U32le(static_cast<std::uint32_t>(packed.size()));
    out.Append(packed);
    for (auto value : SineSample()) out.U8(static_cast<std::uint8_t>(value));
    return std::move(out.bytes());
}

ModuleFile WriteMo3(const std::filesystem::path& path, const ModuleSpec& spec) {
    return WriteModuleFile(path, Mo3Bytes(spec), spec, "mo3", kTitleWidth);
}

}  // namespace media
