#include "engine/mpeg_probe.h"

#include <algorithm>

#include "engine/buffered_file.h"

namespace engine {
namespace {

// kbit/s by [version is MPEG-1 ? 0 : 1][layer - 1][index]
constexpr int kBitrates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
constexpr std::uint32_t kRates[3] = {44100, 48000, 32000};

constexpr int kChainNeeded = 4;
constexpr std::size_t kSearchWindow = 64 * 1024;
// libmpg123 decodes no larger free-format frame.
constexpr std::size_t kMaxFreeFormatBytes = 3456;

bool SameStream(const MpegFrameHeader& a, const MpegFrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate &&
           a.freeFormat == b.freeFormat;
}

std::size_t PaddingBytes(const MpegFrameHeader& h) {
    return h.padding ? (h.layer == 1 ? 4 : 1) : 0;
}

// A free-format stream keeps one bitrate, so every frame is the same unpadded size: the
// distance from the first header to the next one of the stream, less the first's padding.
// 0 when no next header lies within reach.
std::size_t FreeFormatUnpaddedBytes(const Bytes& bytes, std::size_t at,
                                    const MpegFrameHeader& first) {
    const std::size_t last = std::min(bytes.size(), at + kMaxFreeFormatBytes + 4);
    for (std::size_t pos = at + 4; pos + 4 <= last; ++pos) {
        auto next = ParseMpegFrameHeader(&bytes[pos]);
        if (next && SameStream(first, *next) && pos - at > PaddingBytes(first))
            return pos - at - PaddingBytes(first);
    }
    return 0;
}

std::size_t FrameBytes(const MpegFrameHeader& h, std::size_t freeFormatUnpadded) {
    return h.freeFormat ? freeFormatUnpadded + PaddingBytes(h) : h.frameBytes;
}

}  // namespace

std::optional<MpegFrameHeader> ParseMpegFrameHeader(const std::uint8_t* p) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return std::nullopt;
    int versionBits = (p[1] >> 3) & 3;
    int layerBits = (p[1] >> 1) & 3;
    int bitrateIndex = p[2] >> 4;
    int rateIndex = (p[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 15 || rateIndex == 3 ||
        (p[3] & 3) == 2)  // reserved emphasis
        return std::nullopt;
    MpegFrameHeader h{};
    h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    h.layer = 4 - layerBits;
    h.sampleRate = kRates[rateIndex] >> (h.version == 1 ? 0 : h.version == 2 ? 1 : 2);
    const std::uint32_t bitrate =
        kBitrates[h.version == 1 ? 0 : 1][h.layer - 1][bitrateIndex] * 1000u;
    h.padding = (p[2] >> 1) & 1;
    h.freeFormat = bitrateIndex == 0;
    if (h.freeFormat) return h;
    if (h.layer == 1) {
        h.frameBytes = (12 * bitrate / h.sampleRate + h.padding) * 4;
    } else {
        const std::uint32_t samples = (h.layer == 3 && h.version != 1) ? 576 : 1152;
        h.frameBytes = samples / 8 * bitrate / h.sampleRate + h.padding;
    }
    if (h.frameBytes < 4) return std::nullopt;
    return h;
}

std::uint64_t Id3v2TotalSize(const Bytes& head) {
    if (head.size() < 10 || head[0] != 'I' || head[1] != 'D' || head[2] != '3') return 0;
    if (head[3] == 0xFF || head[4] == 0xFF) return 0;
    // ID3v2 tag sizes are syncsafe: 7 bits per byte.
    std::uint64_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (head[i] & 0x80) return 0;
        size = (size << 7) | head[i];
    }
    const bool footer = head[3] >= 4 && (head[5] & 0x10);
    return 10 + size + (footer ? 10 : 0);
}

std::uint64_t SkipId3v2Tags(const std::string& path, std::uint64_t fileSize) {
    BufferedFile file(path);
    std::uint64_t at = 0;
    Bytes header(10);
    while (at < fileSize) {
        file.seek(static_cast<off_t>(at), SEEK_SET);
        if (file.read(header.data(), header.size()) != static_cast<ssize_t>(header.size())) break;
        const std::uint64_t size = Id3v2TotalSize(header);
        if (size == 0) break;
        at += size;
    }
    return at;
}

bool LooksLikeMpegAudio(const Bytes& bytes, std::uint64_t start, std::uint64_t fileSize) {
    const std::size_t n = bytes.size();
    const std::size_t window = n < kSearchWindow ? n : kSearchWindow;
    for (std::size_t at = 0; at + 4 <= window; ++at) {
        auto first = ParseMpegFrameHeader(&bytes[at]);
        if (!first) continue;
        const std::size_t unpadded =
            first->freeFormat ? FreeFormatUnpaddedBytes(bytes, at, *first) : 0;
        if (first->freeFormat && unpadded == 0) continue;
        int chain = 1;
        std::size_t lastBytes = FrameBytes(*first, unpadded);
        std::size_t pos = at + lastBytes;
        while (chain < kChainNeeded && pos + 4 <= n) {
            auto next = ParseMpegFrameHeader(&bytes[pos]);
            if (!next || !SameStream(*first, *next)) break;
            ++chain;
            lastBytes = FrameBytes(*next, unpadded);
            pos += lastBytes;
        }
        if (chain >= kChainNeeded) return true;
        // A short stream: its frames end exactly at the file's end or at an ID3v1 tag.
        const std::uint64_t end = start + pos;
        const bool atEnd = end == fileSize;
        const bool atTag = end + 128 == fileSize && pos + 3 <= n && bytes[pos] == 'T' &&
                           bytes[pos + 1] == 'A' && bytes[pos + 2] == 'G';
        if (atEnd || atTag) return true;
        // Or a little junk follows its last frame; then it must start where the audio
        // starts (zero padding aside), or any header in noise near a file's end would do.
        const bool strayTail = end < fileSize && fileSize - end < lastBytes;
        const bool fromStart =
            std::all_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        [](std::uint8_t b) { return b == 0; });
        if (strayTail && fromStart) return true;
    }
    return false;
}

}  // namespace engine
