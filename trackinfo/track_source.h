// What the open channel can tell the title logic. Implemented over the engine binding;
// both calls return null when there is no channel or nothing of that kind.
#pragma once

#include <cstdint>

class TrackSource {
  public:
    virtual ~TrackSource() = default;
    // The engine's tag block of the given kind (0 ID3v1, 1 ID3v2, 2 Vorbis comments).
    virtual const char* StreamTags(std::uint32_t kind) const = 0;
    // The module's NUL-terminated name.
    virtual const char* MusicName() const = 0;
};
