// How much of an Ogg file vorbisfile may be given. Its seekable open (1.3.7) loses a little
// memory when a later link of a chained file has headers it can't read: it gives up without
// freeing the serial numbers it had listed for that link. So a chained file is cut before
// the first link whose headers don't read; a file of one link is passed whole, unread.
// The file is given from its first page on: a tag in front of it is no part of the stream.
#pragma once

#include <cstdint>
#include <string>

namespace engine {

// From the first page to the end of the file, or to the first later link whose headers
// vorbisfile refuses.
struct OggWindow {
    std::uint64_t start = 0;
    std::uint64_t length = 0;
};

// `start`: where the first page begins, behind any tags.
OggWindow ReadableOggWindow(const std::string& path, std::uint64_t start);

}  // namespace engine
