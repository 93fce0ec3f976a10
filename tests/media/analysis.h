// Checks on decoded or recorded sound: reading WAV recordings, the dominant frequency of a
// stretch, the level of a given tone, and where sound starts and stops.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "tests/media/bytes.h"

namespace media {

// Interleaved samples scaled to -1..1.
struct Pcm {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;

    std::int64_t frames() const { return channels ? std::int64_t(samples.size()) / channels : 0; }
    double seconds() const { return sampleRate ? double(frames()) / sampleRate : 0; }
};

// PCM 8/16/24/32-bit and 32-bit float WAV. A data size of 0 or one past the file's end (a
// recording that was never finalised, as a streaming recorder leaves it) means "up to the
// end of the file". Throws std::runtime_error on anything else.
Pcm ParseWav(const Bytes& bytes);
Pcm ReadWav(const std::filesystem::path& path);

// All channels averaged into one.
std::vector<float> MixToMono(const Pcm& pcm);

// Amplitude (0..1, a full-scale sine gives 1) of the frequency hz within the stretch
// [startSeconds, startSeconds + lengthSeconds) of the channel mix, Hann-windowed.
double ToneAmplitude(const Pcm& pcm, double hz, double startSeconds, double lengthSeconds);

// The strongest frequency between minHz and maxHz in the stretch, to a fraction of a Hz
// for a clean tone; 0 when the stretch is empty or silent.
double DominantFrequency(const Pcm& pcm, double startSeconds, double lengthSeconds,
                         double minHz = 20, double maxHz = 16000);

// Root mean square of the channel mix over the stretch.
double Rms(const Pcm& pcm, double startSeconds, double lengthSeconds);

struct SoundSpan {
    double start = 0;  // seconds from the start of the recording
    double end = 0;
};

// Stretches whose RMS over consecutive 10 ms windows reaches threshold (full scale 1).
// Touching windows form one stretch; gaps up to minGapSeconds are bridged.
std::vector<SoundSpan> FindSound(const Pcm& pcm, double threshold = 0.01,
                                 double minGapSeconds = 0.05);
// Start of the first window with sound, end of the last one.
std::optional<double> SoundStart(const Pcm& pcm, double threshold = 0.01);
std::optional<double> SoundEnd(const Pcm& pcm, double threshold = 0.01);

}  // namespace media
