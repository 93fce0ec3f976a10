// Decides whether bytes look like an MPEG audio stream before libmpg123 sees them:
// libmpg123 readily "finds" frames in random data, so a stream is accepted only when
// several consecutive frame headers chain up, or a short stream starts right where the
// audio starts and ends at the file's end (give or take stray bytes shorter than a frame).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/file_bytes.h"

namespace engine {

struct MpegFrameHeader {
    int version;  // 1 = MPEG-1, 2 = MPEG-2, 25 = MPEG-2.5
    int layer;    // 1, 2 or 3
    std::uint32_t sampleRate;
    int padding;             // 0 or 1 slot (4 bytes in Layer I, 1 byte otherwise)
    bool freeFormat;         // bitrate index 0: the size follows from the next header
    std::size_t frameBytes;  // 0 for a free-format frame
};

// The header at p (4 bytes), or nothing when it isn't a valid header.
std::optional<MpegFrameHeader> ParseMpegFrameHeader(const std::uint8_t* p);

// Size of the ID3v2 tag at the start of `head` including header and footer, 0 if none.
std::uint64_t Id3v2TotalSize(const Bytes& head);

// Where the audio starts: after every ID3v2 tag at the file's start (taggers stack a new
// tag in front of an old one, cover art and all).
std::uint64_t SkipId3v2Tags(const std::string& path, std::uint64_t fileSize);

// True when `bytes` (the file from `start`, with fileSize the whole file's size) holds a
// plausible MPEG audio stream within its first bytes.
bool LooksLikeMpegAudio(const Bytes& bytes, std::uint64_t start, std::uint64_t fileSize);

}  // namespace engine
