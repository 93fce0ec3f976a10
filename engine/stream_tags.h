// The raw tag blocks BASS_StreamGetTags hands out, read once when a stream is opened so
// the pointers stay valid until the stream is freed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/file_bytes.h"

namespace engine {

struct StreamTags {
    std::optional<std::string> id3v1;     // the 128-byte block at the file's end, "TAG..."
    std::optional<std::string> id3v2;     // the whole tag at the start: header, frames, footer
    std::optional<std::string> comments;  // Vorbis comments, see CommentedDecoder::commentBlock

    // Kind 0, 1 or 2 (BASS_TAG_*); null when the stream has no such block.
    const char* block(std::uint32_t kind) const;
};

// Adds one comment to a kind 2 list: its bytes and a NUL (none for a missing text). The
// list is ended by one more NUL once every comment is in.
void AppendComment(std::string& list, const char* text, long long length);
// A Vorbis comment list as libvorbis and opusfile hold it, each entry appended as above.
void AppendComments(std::string& list, const char* const* texts, const int* lengths, int count);

// Reads the ID3v1 and ID3v2 blocks of an MPEG file. An ID3v2 tag whose stated size runs
// past the file's end is zero-padded to that size.
StreamTags ReadId3Tags(const std::string& path, const Bytes& head, std::uint64_t fileSize);

}  // namespace engine
