// FLAC through libFLAC: every bit depth (4..32) and rate it reads, up to 8 channels. Samples
// deeper than 16 bits are reduced with TPDF dither; the dither of each sample depends only on
// its position, so a seek gives exactly the samples a straight decode gives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/decoder.h"

namespace engine {

// Reads the FLAC stream from `start` on, where "fLaC" begins behind any tags. Throws
// EngineError 41 when it is no FLAC stream libFLAC can decode.
std::unique_ptr<CommentedDecoder> OpenFlacDecoder(const std::string& path, std::uint64_t start);

}  // namespace engine
