// Our own RIFF/WAVE writer: a sine tone in any of the common PCM layouts.
#pragma once

#include <filesystem>

#include "tests/media/bytes.h"
#include "tests/media/media_file.h"

namespace media {

enum class SampleFormat {
    kUnsigned8,  // 8-bit PCM, unsigned with 128 as silence
    kSigned16,
    kSigned24,
    kSigned32,
    kFloat32,  // WAVE_FORMAT_IEEE_FLOAT
};

struct ToneSpec {
    int sampleRate = 44100;
    int channels = 2;
    double seconds = 1.0;
    double toneHz = 440.0;   // 0 writes silence
    double amplitude = 0.5;  // of full scale
};

// The file bytes of a tone as WAV; every channel carries the same sine.
Bytes WavBytes(const ToneSpec& tone, SampleFormat format = SampleFormat::kSigned16);

// Writes WavBytes to path. frames = round(seconds * sampleRate).
MediaFile WriteWav(const std::filesystem::path& path, const ToneSpec& tone,
                   SampleFormat format = SampleFormat::kSigned16);

std::int64_t FramesOf(const ToneSpec& tone);

// The facts of a file that holds the tone at its own rate and channel count.
MediaFile DescribeTone(const std::filesystem::path& path, const ToneSpec& tone);

}  // namespace media
