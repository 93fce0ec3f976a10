// Ogg Opus through opusfile: 48 kHz, pre-skip dropped, the header's output gain applied.
// Its comments (tag kind 2) are the first link's.
// A chained file plays through its links as long as they keep the first link's channel
// count; from the first link that changes it on, nothing more is played (the output format
// of a channel never changes), as for chained Ogg Vorbis.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/decoder.h"

namespace engine {

// True when the Ogg page at the start of `page` opens an Opus stream ("OpusHead").
bool IsOpusFirstPage(const std::uint8_t* page, std::size_t size);

// Reads the Ogg stream from `start` on, where its first page begins behind any tags. Throws
// EngineError 41 when opusfile refuses it.
std::unique_ptr<CommentedDecoder> OpenOpusDecoder(const std::string& path, std::uint64_t start);

}  // namespace engine
