// Hands arbitrary file contents to the engine's two open paths (stream and module music),
// then decodes, seeks and reads tags the way playback would. Any crash, leak, hang or
// undefined behaviour is a finding; a clean refusal (EngineError) is the expected outcome.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/engine_error.h"
#include "engine/module_decoder.h"
#include "engine/stream_opener.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using fuzz::Drain;
using fuzz::kChunkFrames;
using fuzz::kMaxFrames;

void TryStream(const std::string& path) {
    try {
        engine::OpenedStream s = engine::OpenStreamFile(path);
        for (std::uint32_t kind = 0; kind < 4; ++kind) s.tags.block(kind);
        fuzz::DecodeLikePlayback(*s.decoder);
    } catch (const engine::EngineError&) {
    }
}

void TryMusic(const std::string& path) {
    try {
        auto m = engine::OpenModuleDecoder(path, 44100);
        m->name();
        Drain(*m, kMaxFrames);
        std::uint64_t frame = 0;
        if (m->seekOrder(m->orderCount() / 2, frame)) Drain(*m, kChunkFrames);
        m->orderAndRow();
    } catch (const engine::EngineError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::ScratchFile file;
    file.write(data, size);
    TryStream(file.path());
    TryMusic(file.path());
    return 0;
}
