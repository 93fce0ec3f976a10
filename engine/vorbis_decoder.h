// Ogg Vorbis through vorbisfile. Only the links that share the first link's rate and
// channel count are played: the output format of a channel never changes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/decoder.h"

namespace engine {

// Reads the Ogg stream from `start` on, where its first page begins behind any tags. Throws
// EngineError 41 when the file is not Ogg Vorbis.
std::unique_ptr<CommentedDecoder> OpenVorbisDecoder(const std::string& path, std::uint64_t start);

}  // namespace engine
