// WAV (and the other containers libsndfile reads) through libsndfile: every PCM width,
// float, ADPCM, A-law and µ-law, converted to 16-bit.
#pragma once

#include <memory>
#include <string>

#include "engine/decoder.h"

namespace engine {

// Throws EngineError 41 when libsndfile does not recognise the content. MPEG content is
// refused here: it goes through the MPEG decoder and its stricter check.
std::unique_ptr<Decoder> OpenWavDecoder(const std::string& path);

}  // namespace engine
