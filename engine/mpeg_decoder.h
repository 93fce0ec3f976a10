// MPEG audio layers I, II and III through libmpg123, with the whole file scanned so the
// length is exact and seeking is sample accurate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/decoder.h"

namespace engine {

// Decodes the file from audioStart (past its ID3v2 tags, which libmpg123 would otherwise
// have to resync across). Throws EngineError 41 when libmpg123 can't decode it.
std::unique_ptr<Decoder> OpenMpegDecoder(const std::string& path, std::uint64_t audioStart = 0);

}  // namespace engine
