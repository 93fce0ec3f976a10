// What every generator hands back: where it wrote and the facts a test can check.
#pragma once

#include <cstdint>
#include <filesystem>

namespace media {

struct MediaFile {
    std::filesystem::path path{};
    int sampleRate = 0;       // Hz of the decoded audio
    int channels = 0;         // 1 mono, 2 stereo
    std::int64_t frames = 0;  // PCM frames of the source signal (one sample per channel)
    double seconds = 0;       // frames / sampleRate, or the computed play time of a module
    double toneHz = 0;        // frequency of the sine the file holds; 0 for silence
};

}  // namespace media
