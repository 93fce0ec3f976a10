// What the engine's fuzz targets share: the input written to a scratch file (the decoders
// read files, not memory), and decoding it the way a playing channel would.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/decoder.h"

namespace fuzz {

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
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
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

inline void Drain(engine::Decoder& decoder, std::size_t maxFrames) {
    const engine::AudioFormat format = decoder.format();
    if (format.channels == 0 || format.channels > 64) return;  // the engine refuses those
    std::vector<std::int16_t> buffer(kChunkFrames * format.channels);
    for (std::size_t total = 0; total < maxFrames;) {
        const std::size_t n = decoder.read(buffer.data(), kChunkFrames);
        if (n == 0) break;
        total += n;
    }
}

// Reads, then seeks to the middle and to the end and reads on, as playback and the seek bar do.
inline void DecodeLikePlayback(engine::Decoder& decoder) {
    const std::uint64_t length = decoder.lengthFrames();
    Drain(decoder, kMaxFrames);
    if (decoder.seek(length / 2)) Drain(decoder, kChunkFrames);
    if (decoder.seek(length)) Drain(decoder, kChunkFrames);
}

}  // namespace fuzz
