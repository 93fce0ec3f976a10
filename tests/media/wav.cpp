#include "tests/media/wav.h"

#include <bit>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace media {
namespace {

constexpr unsigned kFormatPcm = 1;
constexpr unsigned kFormatFloat = 3;

int BytesPerSample(SampleFormat format) {
    switch (format) {
        case SampleFormat::kUnsigned8:
            return 1;
        case SampleFormat::kSigned16:
            return 2;
        case SampleFormat::kSigned24:
            return 3;
        case SampleFormat::kSigned32:
        case SampleFormat::kFloat32:
            return 4;
    }
    return 2;
}

void PutSample(ByteWriter& out, SampleFormat format, double value) {
    switch (format) {
        case SampleFormat::kUnsigned8:
            out.U8(static_cast<unsigned>(std::lround(128 + value * 127)));
            break;
        case SampleFormat::kSigned16:
            out.U16le(static_cast<unsigned>(std::lround(value * 32767)) & 0xFFFF);
            break;
        case SampleFormat::kSigned24: {
            const auto v = static_cast<std::uint32_t>(std::lround(value * 8388607));
            out.U8(v & 0xFF);
            out.U8((v >> 8) & 0xFF);
            out.U8((v >> 16) & 0xFF);
            break;
        }
        case SampleFormat::kSigned32:
            out.U32le(static_cast<std::uint32_t>(std::llround(value * 2147483647.0)));
            break;
        case SampleFormat::kFloat32: {
            out.U32le(std::bit_cast<std::uint32_t>(static_cast<float>(value)));
            break;
        }
    }
}

}  // namespace

std::int64_t FramesOf(const ToneSpec& tone) {
    return std::llround(tone.seconds * tone.sampleRate);
}

Bytes WavBytes(const ToneSpec& tone, SampleFormat format) {
    if (tone.channels < 1 || tone.sampleRate < 1 || tone.seconds < 0) {
        throw std::invalid_argument("WavBytes: bad tone");
    }
    const int width = BytesPerSample(format);
    const std::int64_t frames = FramesOf(tone);
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(frames * tone.channels * width);
    const bool isFloat = format == SampleFormat::kFloat32;

    ByteWriter out;
    out.Raw("RIFF");
    // Float data carries a fact chunk, as WAVE requires for non-PCM formats.
    out.U32le(4 + 8 + 16 + (isFloat ? 12 : 0) + 8 + dataBytes + (dataBytes & 1));
    out.Raw("WAVE");
    out.Raw("fmt ");
    out.U32le(16);
    out.U16le(isFloat ? kFormatFloat : kFormatPcm);
    out.U16le(tone.channels);
    out.U32le(tone.sampleRate);
    out.U32le(tone.sampleRate * tone.channels * width);
    out.U16le(tone.channels * width);
    out.U16le(width * 8);
    if (isFloat) {
        out.Raw("fact");
        out.U32le(4);
        out.U32le(static_cast<std::uint32_t>(frames));
    }
    out.Raw("data");
    out.U32le(dataBytes);
    out.bytes().reserve(out.size() + dataBytes + 1);
    const double step = 2 * std::numbers::pi * tone.toneHz / tone.sampleRate;
    for (std::int64_t i = 0; i < frames; ++i) {
        const double value = tone.amplitude * std::sin(step * static_cast<double>(i));
        for (int c = 0; c < tone.channels; ++c) PutSample(out, format, value);
    }
    if (dataBytes & 1) out.U8(0);  // RIFF chunks are word-aligned
    return std::move(out.bytes());
}

MediaFile DescribeTone(const std::filesystem::path& path, const ToneSpec& tone) {
    const std::int64_t frames = FramesOf(tone);
    return {path,
            tone.sampleRate,
            tone.channels,
            frames,
            static_cast<double>(frames) / tone.sampleRate,
            tone.toneHz};
}

MediaFile WriteWav(const std::filesystem::path& path, const ToneSpec& tone, SampleFormat format) {
    WriteFileBytes(path, WavBytes(tone, format));
    return DescribeTone(path, tone);
}

}  // namespace media
