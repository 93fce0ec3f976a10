// MP3, MP2, Ogg Vorbis, FLAC and Opus files made by the Debian encoders (lame, twolame,
// oggenc, flac, opusenc) from a WAV tone of ours, and tags of ours wrapped around the result.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/media/bytes.h"
#include "tests/media/media_file.h"
#include "tests/media/wav.h"

namespace media {

struct MpegOptions {
    // Constant bitrate. lame takes the nearest legal one; twolame refuses any other.
    int bitrateKbps = 128;
    Bytes leadingTag{};   // e.g. Id3v2Tag(...), written before the first frame
    Bytes trailingTag{};  // e.g. Id3v1Tag(...), written after the last frame
    // lame: a free-format stream (every header's bitrate index 0), at any bitrate 8..640.
    bool freeFormat = false;
    // twolame at 32/44.1/48 kHz: keep only the first frames; the file then holds exactly
    // keepFrames * 1152 samples. 0 keeps them all.
    int keepFrames = 0;
};

// lame, constant bitrate, at the tone's own sample rate, with its Xing/LAME info frame (so
// gapless decoders give back exactly `frames` samples).
MediaFile WriteMp3(const std::filesystem::path& path, const ToneSpec& tone,
                   const MpegOptions& options = {});

// twolame (MPEG-1 Layer II at 32/44.1/48 kHz, MPEG-2 at 16/22.05/24 kHz). Layer II has no
// gapless information: decoders give whole 1152-sample frames, encoder delay included, so
// the decoded length is somewhat above `frames`.
MediaFile WriteMp2(const std::filesystem::path& path, const ToneSpec& tone,
                   const MpegOptions& options = {});

struct OggOptions {
    // Each pair becomes a comment "key=value", in this order, passed to oggenc with -c
    // (the texts are UTF-8; oggenc runs in a UTF-8 locale so it keeps them).
    std::vector<std::pair<std::string, std::string>> comments{};
    int quality = 3;  // oggenc -q
    // oggenc's own pick is random and two files may share it; each link of a chained file
    // needs its own.
    int serial = 1;
    // When set, the comment list is replaced afterwards by exactly these entries, written
    // unchanged (oggenc refuses entries without '='; readers must cope with them).
    std::optional<std::vector<std::string>> exactComments{};
};

// oggenc; the stream carries the given comments and no others.
MediaFile WriteOgg(const std::filesystem::path& path, const ToneSpec& tone,
                   const OggOptions& options = {});

struct FlacOptions {
    SampleFormat depth = SampleFormat::kSigned16;                 // kSigned16 or kSigned24
    bool seekTable = true;                                        // false: --no-seektable
    std::vector<std::pair<std::string, std::string>> comments{};  // flac -T key=value
    Bytes leadingTag{};  // e.g. Id3v2Tag(...), written before "fLaC"
    // STREAMINFO's total sample count set to 0 ("unknown"), as a streaming encoder leaves it.
    bool unknownLength = false;
};

// flac; frames is exactly the tone's, at its own rate, depth and channel count.
MediaFile WriteFlac(const std::filesystem::path& path, const ToneSpec& tone,
                    const FlacOptions& options = {});

struct OpusOptions {
    std::vector<std::pair<std::string, std::string>> comments{};  // opusenc --comment
    // The OpusHead output gain in 1/256 dB (Q7.8), written over the encoder's 0.
    int outputGainQ8 = 0;
    int serial = 1;  // each link of a chained file needs its own
    int bitrateKbps = 128;
};

// opusenc from a tone at 48 kHz, so frames is exactly the tone's after pre-skip.
MediaFile WriteOpus(const std::filesystem::path& path, const ToneSpec& tone,
                    const OpusOptions& options = {});

// Rewrites the file as before + its bytes + after.
void WrapFile(const std::filesystem::path& path, const Bytes& before, const Bytes& after);

}  // namespace media
