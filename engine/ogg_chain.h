// How much of an Ogg file vorbisfile may be given. Its seekable open (1.3.7) loses a little
// memory when a later link of a chained file has headers it can't read: it gives up without
// freeing the serial numbers it had listed for that link. So a chained file is cut before
// the first link whose headers don't read; a file of one link is passed whole, unread.
#pragma once

#include <cstdint>
#include <string>

namespace engine {

// The length of the file's readable links: its size, or the offset of the first later link
// whose headers vorbisfile refuses.
std::uint64_t ReadableOggLength(const std::string& path);

}  // namespace engine
