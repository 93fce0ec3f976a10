// MPEG-1 Layer I written by our own code (Debian has no Layer I encoder). Every frame is
// 48 kHz mono at 384 kbit/s, exactly 384 bytes for 384 samples, so lengths are exact.
#pragma once

#include <filesystem>

#include "tests/media/bytes.h"
#include "tests/media/media_file.h"

namespace media {

inline constexpr int kMp1SampleRate = 48000;
inline constexpr int kMp1FrameSamples = 384;
inline constexpr int kMp1FrameBytes = 384;

struct Mp1Spec {
    double seconds = 1.0;    // rounded up to whole frames
    int subband = 1;         // 0..31: the tone sits at (subband + 0.5) * 750 Hz
    double amplitude = 0.5;  // of full scale
    Bytes leadingTag{};      // e.g. Id3v2Tag(...), written before the first frame
    Bytes trailingTag{};     // e.g. Id3v1Tag(...), written after the last frame
};

// The file bytes: the tone is synthesised directly in one subband, which the decoder's
// synthesis filterbank turns into a sine at that subband's centre frequency.
Bytes Mp1Bytes(const Mp1Spec& spec);

// frames = whole frames * 384 at 48 kHz mono; toneHz = (subband + 0.5) * 750.
MediaFile WriteMp1(const std::filesystem::path& path, const Mp1Spec& spec = {});

}  // namespace media
