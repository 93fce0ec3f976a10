// MPEG audio layers I, II and III through libmpg123, with the whole file scanned so the
// length is exact and seeking is sample accurate.
#pragma once

#include <memory>
#include <string>

#include "engine/decoder.h"

namespace engine {

// Throws EngineError 41 when libmpg123 can't decode the file.
std::unique_ptr<Decoder> OpenMpegDecoder(const std::string& path);

}  // namespace engine
