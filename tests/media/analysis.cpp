#include "tests/media/analysis.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>
#include <stdexcept>

namespace media {
namespace {

std::uint32_t U32le(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
unsigned U16le(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}

float DecodeSample(const std::uint8_t* p, int bits, bool isFloat) {
    if (isFloat) {
        const std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
        return std::bit_cast<float>(v);
    }
    switch (bits) {
        case 8:
            return (p[0] - 128) / 128.0f;
        case 16:
            return static_cast<std::int16_t>(p[0] | (p[1] << 8)) / 32768.0f;
        case 24: {
            const std::int32_t v = (p[0] << 8 | p[1] << 16 | p[2] << 24);
            return static_cast<float>(v / 2147483648.0);
        }
        default: {
            const auto v = static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) |
                                                     (std::uint32_t(p[3]) << 24));
            return static_cast<float>(v / 2147483648.0);
        }
    }
}

// The stretch of the mono mix, clamped to what exists.
std::vector<float> Stretch(const Pcm& pcm, double startSeconds, double lengthSeconds) {
    const auto mono = MixToMono(pcm);
    const auto total = static_cast<std::int64_t>(mono.size());
    const std::int64_t begin =
        std::clamp<std::int64_t>(std::llround(startSeconds * pcm.sampleRate), 0, total);
    const std::int64_t end = std::clamp<std::int64_t>(
        begin + std::llround(lengthSeconds * pcm.sampleRate), begin, total);
    return {mono.begin() + begin, mono.begin() + end};
}

double Hann(std::size_t i, std::size_t n) {
    return n < 2 ? 1.0 : 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n - 1));
}

double WindowedAmplitude(const std::vector<float>& x, double hz, int rate) {
    if (x.empty()) return 0;
    // Goertzel, Hann-windowed, normalised so that a sine of amplitude A gives A.
    const double w = 2 * std::numbers::pi * hz / rate;
    const double coeff = 2 * std::cos(w);
    double s1 = 0, s2 = 0, windowSum = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double h = Hann(i, x.size());
        windowSum += h;
        const double s0 = x[i] * h + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return 2 * std::sqrt(std::max(0.0, power)) / windowSum;
}

void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const auto root = std::polar(1.0, -2 * std::numbers::pi / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (std::size_t k = 0; k < len / 2; ++k, w *= root) {
                const auto u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

}  // namespace

Pcm ParseWav(const Bytes& bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        throw std::runtime_error("not a RIFF/WAVE file");
    }
    Pcm pcm;
    int bits = 0;
    bool isFloat = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = U32le(bytes, at + 4);
        const std::size_t body = at + 8;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16 && body + 16 <= bytes.size()) {
            unsigned tag = U16le(bytes, body);
            if (tag == 0xFFFE && size >= 40 && body + 26 <= bytes.size()) {
                tag = U16le(bytes, body + 24);  // WAVE_FORMAT_EXTENSIBLE: the sub-format
            }
            isFloat = tag == 3;
            if (tag != 1 && tag != 3) throw std::runtime_error("WAV is neither PCM nor float");
            pcm.channels = static_cast<int>(U16le(bytes, body + 2));
            pcm.sampleRate = static_cast<int>(U32le(bytes, body + 4));
            bits = static_cast<int>(U16le(bytes, body + 14));
        } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
            if (pcm.channels < 1 || (bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
                (isFloat && bits != 32)) {
                throw std::runtime_error("WAV data without a usable fmt chunk");
            }
            std::size_t available = bytes.size() - body;
            if (size != 0 && size <= available) available = size;
            const std::size_t width = static_cast<std::size_t>(bits / 8);
            const std::size_t count = available / width / pcm.channels * pcm.channels;
            pcm.samples.resize(count);
            for (std::size_t i = 0; i < count; ++i) {
                pcm.samples[i] = DecodeSample(&bytes[body + i * width], bits, isFloat);
            }
            return pcm;
        }
        if (size > bytes.size() - body) break;
        at = body + size + (size & 1);
    }
    throw std::runtime_error("WAV without a data chunk");
}

Pcm ReadWav(const std::filesystem::path& path) {
    return ParseWav(ReadFileBytes(path));
}

std::vector<float> MixToMono(const Pcm& pcm) {
    if (pcm.channels <= 1) return pcm.samples;
    std::vector<float> mono(static_cast<std::size_t>(pcm.frames()));
    for (std::size_t f = 0; f < mono.size(); ++f) {
        float sum = 0;
        for (int c = 0; c < pcm.channels; ++c) sum += pcm.samples[f * pcm.channels + c];
        mono[f] = sum / pcm.channels;
    }
    return mono;
}

double ToneAmplitude(const Pcm& pcm, double hz, double startSeconds, double lengthSeconds) {
    return WindowedAmplitude(Stretch(pcm, startSeconds, lengthSeconds), hz, pcm.sampleRate);
}

double DominantFrequency(const Pcm& pcm, double startSeconds, double lengthSeconds, double minHz,
                         double maxHz) {
    const auto x = Stretch(pcm, startSeconds, lengthSeconds);
    if (x.size() < 16) return 0;
    // Coarse: the strongest bin of a zero-padded FFT; fine: a Goertzel search around it.
    // Zero-padding to twice the length halves the bin width; long stretches skip it to
    // keep memory in bounds.
    constexpr std::size_t kPaddedUpTo = std::size_t{1} << 20;
    const std::size_t n = std::bit_ceil(x.size() <= kPaddedUpTo ? x.size() * 2 : x.size());
    std::vector<std::complex<double>> spectrum(n);
    for (std::size_t i = 0; i < x.size(); ++i) spectrum[i] = x[i] * Hann(i, x.size());
    Fft(spectrum);
    const double binHz = double(pcm.sampleRate) / double(n);
    const auto firstBin = static_cast<std::size_t>(std::max(1.0, std::ceil(minHz / binHz)));
    const auto lastBin = std::min(n / 2 - 1, static_cast<std::size_t>(maxHz / binHz));
    std::size_t best = 0;
    double bestPower = 0;
    for (std::size_t k = firstBin; k <= lastBin; ++k) {
        const double power = std::norm(spectrum[k]);
        if (power > bestPower) {
            bestPower = power;
            best = k;
        }
    }
    if (best == 0 || bestPower < 1e-12) return 0;
    double low = (double(best) - 1) * binHz, high = (double(best) + 1) * binHz;
    for (int step = 0; step < 40; ++step) {
        const double a = low + (high - low) / 3, b = high - (high - low) / 3;
        if (WindowedAmplitude(x, a, pcm.sampleRate) < WindowedAmplitude(x, b, pcm.sampleRate)) {
            low = a;
        } else {
            high = b;
        }
    }
    return (low + high) / 2;
}

double Rms(const Pcm& pcm, double startSeconds, double lengthSeconds) {
    const auto x = Stretch(pcm, startSeconds, lengthSeconds);
    if (x.empty()) return 0;
    double sum = 0;
    for (float v : x) sum += double(v) * v;
    return std::sqrt(sum / double(x.size()));
}

std::vector<SoundSpan> FindSound(const Pcm& pcm, double threshold, double minGapSeconds) {
    std::vector<SoundSpan> spans;
    if (pcm.sampleRate <= 0) return spans;
    const auto mono = MixToMono(pcm);
    const std::size_t window = std::max<std::size_t>(1, pcm.sampleRate / 100);
    for (std::size_t begin = 0; begin < mono.size(); begin += window) {
        const std::size_t end = std::min(mono.size(), begin + window);
        double sum = 0;
        for (std::size_t i = begin; i < end; ++i) sum += double(mono[i]) * mono[i];
        if (std::sqrt(sum / double(end - begin)) < threshold) continue;
        const double from = double(begin) / pcm.sampleRate, to = double(end) / pcm.sampleRate;
        if (!spans.empty() && from - spans.back().end <= minGapSeconds) {
            spans.back().end = to;
        } else {
            spans.push_back({from, to});
        }
    }
    return spans;
}

std::optional<double> SoundStart(const Pcm& pcm, double threshold) {
    const auto spans = FindSound(pcm, threshold);
    if (spans.empty()) return std::nullopt;
    return spans.front().start;
}

std::optional<double> SoundEnd(const Pcm& pcm, double threshold) {
    const auto spans = FindSound(pcm, threshold);
    if (spans.empty()) return std::nullopt;
    return spans.back().end;
}

}  // namespace media
