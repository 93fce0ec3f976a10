// Channel handles are never reused within a process: not across BASS_Free/BASS_Init, and
// not across dlclose/dlopen of this library, whose own variables start afresh at each load.
#pragma once

#include <cstdint>

namespace engine {

// The next handle, never 0. Called with the entry points' lock held.
std::uint32_t NextHandle();

}  // namespace engine
