// Tracker modules (MO3, IT, XM, S3M, MTM, MOD, UMX and the rest libopenmpt knows),
// rendered stereo at a fixed rate and played once: the first sub-song, no looping.
#pragma once

#include <memory>
#include <string>

#include "engine/decoder.h"

namespace engine {

class ModuleDecoder : public Decoder {
  public:
    virtual const std::string& name() const = 0;
    // Orders of the first sub-song (the one played), which is the range seekOrder takes.
    virtual std::uint32_t orderCount() const = 0;
    // The order (low 16 bits) and row (high 16 bits) the decoder is at.
    virtual std::uint32_t orderAndRow() const = 0;
    // Moves to the start of `order`; the frame playback continues from, or nothing when
    // the order does not exist.
    virtual bool seekOrder(std::uint32_t order, std::uint64_t& frame) = 0;
};

// Throws EngineError 41 when libopenmpt can't load the file.
std::unique_ptr<ModuleDecoder> OpenModuleDecoder(const std::string& path, std::uint32_t rate);

}  // namespace engine
