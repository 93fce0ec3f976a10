// Ogg Vorbis through vorbisfile. Only the links that share the first link's rate and
// channel count are played: the output format of a channel never changes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/decoder.h"

namespace engine {

class VorbisDecoder : public Decoder {
  public:
    // The comment list as NUL-terminated "key=value" texts followed by an empty text.
    virtual const std::string& commentBlock() const = 0;
};

// Reads the Ogg stream from `start` on, where its first page begins behind any tags. Throws
// EngineError 41 when the file is not Ogg Vorbis.
std::unique_ptr<VorbisDecoder> OpenVorbisDecoder(const std::string& path, std::uint64_t start);

}  // namespace engine
