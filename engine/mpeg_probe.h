// Decides whether bytes look like an MPEG audio stream before libmpg123 sees them:
// libmpg123 readily "finds" frames in random data, so a stream is accepted only when
// several consecutive frame headers chain up, or a short file ends right after its frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/file_bytes.h"

namespace engine {

struct MpegFrameHeader {
    int version;  // 1 = MPEG-1, 2 = MPEG-2, 25 = MPEG-2.5
    int layer;    // 1, 2 or 3
    std::uint32_t sampleRate;
    std::size_t frameBytes;
};

// The header at p (4 bytes), or nothing when it isn't a valid, fixed-bitrate header.
std::optional<MpegFrameHeader> ParseMpegFrameHeader(const std::uint8_t* p);

// Size of the ID3v2 tag at the start of `head` including header and footer, 0 if none.
std::uint64_t Id3v2TotalSize(const Bytes& head);

// True when `bytes` (the file from `start`, with fileSize the whole file's size) holds a
// plausible MPEG audio stream within its first bytes.
bool LooksLikeMpegAudio(const Bytes& bytes, std::uint64_t start, std::uint64_t fileSize);

}  // namespace engine
