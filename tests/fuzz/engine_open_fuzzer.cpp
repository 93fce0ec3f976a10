// Hands arbitrary file contents to the engine's two open paths (stream and module music),
// then decodes, seeks and reads tags the way playback would. Any crash, leak, hang or
// undefined behaviour is a finding; a clean refusal (EngineError) is the expected outcome.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/engine_error.h"
#include "engine/module_decoder.h"
#include "engine/stream_opener.h"

namespace {

// Enough to reach every decoder's inner loops without letting a long file time out.
constexpr std::size_t kMaxFrames = 48000 * 4;
constexpr std::size_t kChunkFrames = 4096;

class ScratchFile {
  public:
    ScratchFile() {
        char name[] = "/tmp/vyn-engine-fuzz-XXXXXX";
        fd_ = mkstemp(name);
        if (fd_ < 0) std::abort();
        path_ = name;
    }
    ~ScratchFile() {
        close(fd_);
        unlink(path_.c_str());
    }
    void write(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(fd_, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
    }
    const std::string& path() const { return path_; }

  private:
    int fd_ = -1;
    std::string path_;
};

void Drain(engine::Decoder& decoder, std::size_t maxFrames) {
    const engine::AudioFormat format = decoder.format();
    if (format.channels == 0 || format.channels > 64) return;  // the engine refuses those
    std::vector<std::int16_t> buffer(kChunkFrames * format.channels);
    for (std::size_t total = 0; total < maxFrames;) {
        const std::size_t n = decoder.read(buffer.data(), kChunkFrames);
        if (n == 0) break;
        total += n;
    }
}

void TryStream(const std::string& path) {
    try {
        engine::OpenedStream s = engine::OpenStreamFile(path);
        for (std::uint32_t kind = 0; kind < 4; ++kind) s.tags.block(kind);
        const std::uint64_t length = s.decoder->lengthFrames();
        Drain(*s.decoder, kMaxFrames);
        if (s.decoder->seek(length / 2)) Drain(*s.decoder, kChunkFrames);
        if (s.decoder->seek(length)) Drain(*s.decoder, kChunkFrames);
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
    static ScratchFile file;
    file.write(data, size);
    TryStream(file.path());
    TryMusic(file.path());
    return 0;
}
