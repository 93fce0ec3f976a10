// Hands arbitrary bytes straight to the Flac decoder (libFLAC), past the opener's check of the
// first bytes, then decodes and seeks the way playback would. A clean refusal (EngineError)
// is the expected outcome; a crash, leak, hang or undefined behaviour is a finding.
#include <cstddef>
#include <cstdint>

#include "engine/engine_error.h"
#include "engine/flac_decoder.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::ScratchFile file;
    file.write(data, size);
    try {
        auto decoder = engine::OpenFlacDecoder(file.path(), 0);
        decoder->commentBlock();
        fuzz::DecodeLikePlayback(*decoder);
    } catch (const engine::EngineError&) {
    }
    return 0;
}
