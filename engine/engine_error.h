// Failures inside the engine travel as EngineError up to the C entry points, which turn
// them into the calling thread's last error code.
#pragma once

#include <cstdint>

#include "engine/bass.h"

namespace engine {

struct EngineError {
    std::int32_t code;
};

[[noreturn]] inline void Fail(std::int32_t code) {
    throw EngineError{code};
}

// The calling thread's last error code, as BASS_ErrorGetCode reports it.
void SetLastError(std::int32_t code);
std::int32_t LastError();

}  // namespace engine
