#include "tests/media/mp1.h"

#include <cmath>
#include <stdexcept>

namespace media {
namespace {

// Sync, MPEG-1, Layer I, no CRC | 384 kbit/s, 48 kHz, no padding | mono.
constexpr std::uint8_t kHeader[4] = {0xFF, 0xFF, 0xC4, 0xC0};
constexpr int kSubbands = 32;
constexpr int kSamplesPerSubband = 12;
constexpr unsigned kAllocation = 14;  // 15-bit samples, the finest Layer I offers
constexpr int kSampleBits = kAllocation + 1;

class BitWriter {
  public:
    explicit BitWriter(Bytes& bytes) : bytes_(bytes) {}
    void Put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ == 0) bytes_.push_back(0);
            if ((value >> i) & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> used_);
            used_ = (used_ + 1) % 8;
        }
    }

  private:
    Bytes& bytes_;
    int used_ = 0;
};

int FrameCount(double seconds) {
    return static_cast<int>(std::ceil(seconds * kMp1SampleRate / kMp1FrameSamples - 1e-9));
}

}  // namespace

Bytes Mp1Bytes(const Mp1Spec& spec) {
    if (spec.subband < 0 || spec.subband >= kSubbands || spec.seconds <= 0 || spec.amplitude < 0 ||
        spec.amplitude > 1) {
        throw std::invalid_argument("Mp1Bytes: bad spec");
    }
    // Scale factor index 3 is 1.0 (index 0 is 2.0, each step divides by 2^(1/3)). Layer I
    // requantises a code c of n bits to (2c + 2 - 2^n) / (2^n - 1).
    constexpr unsigned kScaleFactorOne = 3;
    const double levels = (1 << kSampleBits) - 1;
    auto code = [&](double x) {
        return static_cast<std::uint32_t>(std::lround((x * levels + levels - 1) / 2));
    };
    // A subband signal of a quarter of the subband rate, sqrt(2) * cos(pi n / 2 + pi / 4):
    // + - - + repeating. Upsampled by 32 it has images at multiples of 1500 Hz +- 375 Hz,
    // of which the subband's filter keeps the one at its centre.
    const std::uint32_t plus = code(spec.amplitude / std::sqrt(2.0));
    const std::uint32_t minus = code(-spec.amplitude / std::sqrt(2.0));
    constexpr bool kPattern[4] = {true, false, false, true};

    Bytes bytes = spec.leadingTag;
    const int frames = FrameCount(spec.seconds);
    for (int frame = 0; frame < frames; ++frame) {
        const std::size_t start = bytes.size();
        bytes.insert(bytes.end(), std::begin(kHeader), std::end(kHeader));
        BitWriter bits(bytes);
        for (int sb = 0; sb < kSubbands; ++sb) bits.Put(sb == spec.subband ? kAllocation : 0, 4);
        bits.Put(kScaleFactorOne, 6);
        for (int s = 0; s < kSamplesPerSubband; ++s) {
            bits.Put(kPattern[s % 4] ? plus : minus, kSampleBits);  // 12 is whole patterns
        }
        bytes.resize(start + kMp1FrameBytes, 0);  // the rest is ancillary data
    }
    bytes.insert(bytes.end(), spec.trailingTag.begin(), spec.trailingTag.end());
    return bytes;
}

MediaFile WriteMp1(const std::filesystem::path& path, const Mp1Spec& spec) {
    WriteFileBytes(path, Mp1Bytes(spec));
    const std::int64_t frames = std::int64_t{FrameCount(spec.seconds)} * kMp1FrameSamples;
    return {path,
            kMp1SampleRate,
            1,
            frames,
            static_cast<double>(frames) / kMp1SampleRate,
            (spec.subband + 0.5) * kMp1SampleRate / 64};
}

}  // namespace media
