#include "engine/engine_error.h"

namespace engine {
namespace {
thread_local std::int32_t lastError = BASS_OK;
}

void SetLastError(std::int32_t code) {
    lastError = code;
}
std::int32_t LastError() {
    return lastError;
}

}  // namespace engine
