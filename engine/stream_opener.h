// Recognises a file by its content (never by its name) and opens the decoder for it:
// Ogg Vorbis, Ogg Opus, FLAC, MPEG audio, or whatever libsndfile reads (WAV first of all).
#pragma once

#include <memory>
#include <string>

#include "engine/decoder.h"
#include "engine/stream_tags.h"

namespace engine {

struct OpenedStream {
    std::unique_ptr<Decoder> decoder;
    StreamTags tags;
};

// Throws EngineError 2 when the file can't be read, 41 when no decoder accepts it (an
// empty, truncated or unknown file).
OpenedStream OpenStreamFile(const std::string& path);

}  // namespace engine
