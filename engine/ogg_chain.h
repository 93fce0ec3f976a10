// How much of an Ogg file vorbisfile or opusfile may be given. Their seekable opens
// (vorbisfile 1.3.7, opusfile 0.12) lose a little memory when a later link of a chained file
// has headers they can't read: they give up without freeing what they had taken for that
// link. So a chained file is cut before the first link whose headers don't read; a file of
// one link is passed whole, unread.
// The file is given from its first page on: a tag in front of it is no part of the stream.
#pragma once

#include <cstdint>
#include <string>

namespace engine {

// Whether the decoder's library reads the headers of the link that begins at `start` (opened
// as a stream that can't seek, which reads the headers only and frees all it took when it
// fails).
using LinkHeadersCheck = bool (*)(const std::string& path, std::uint64_t start);

// From the first page to the end of the file, or to the first later link whose headers
// the library refuses.
struct OggWindow {
    std::uint64_t start = 0;
    std::uint64_t length = 0;
};

// `start`: where the first page begins, behind any tags.
OggWindow ReadableOggWindow(const std::string& path, std::uint64_t start,
                            LinkHeadersCheck headersRead);

}  // namespace engine
