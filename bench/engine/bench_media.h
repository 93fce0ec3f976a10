// The files the engine benchmarks play and decode, made once per run in the build's
// test-tmp folder.
#pragma once

#include <filesystem>

#include "tests/media/media.h"

namespace bench_media {

inline std::filesystem::path Folder() {
    const auto dir = std::filesystem::path(VYN_TEST_TMP) / "engine-bench";
    std::filesystem::create_directories(dir);
    return dir;
}

// A stereo 44.1 kHz tone of `seconds` as name.wav (and encoded, by the caller).
inline media::ToneSpec Tone(double seconds) {
    return {
        .sampleRate = 44100, .channels = 2, .seconds = seconds, .toneHz = 440, .amplitude = 0.3};
}

}  // namespace bench_media
