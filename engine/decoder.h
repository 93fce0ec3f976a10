// The one interface every decoder (MPEG, Vorbis, Opus, FLAC, WAV, module) implements. Decoders hand
// out 16-bit signed interleaved PCM in host byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace engine {

struct AudioFormat {
    std::uint32_t rate = 0;
    std::uint32_t channels = 0;
    std::uint32_t bytesPerFrame() const { return channels * 2; }
};

class Decoder {
  public:
    virtual ~Decoder() = default;

    virtual AudioFormat format() const = 0;
    // Exact decoded length in frames.
    virtual std::uint64_t lengthFrames() const = 0;
    // Decodes up to `frames` frames into out; 0 means the end was reached.
    virtual std::size_t read(std::int16_t* out, std::size_t frames) = 0;
    // Moves the decoding point to `frame` (<= lengthFrames()); false if the decoder can't.
    virtual bool seek(std::uint64_t frame) = 0;
};

// Ogg Vorbis, Opus and FLAC carry a Vorbis comment list: tag kind 2.
class CommentedDecoder : public Decoder {
  public:
    // The comments as NUL-terminated "key=value" texts followed by an empty text; just the
    // empty text when there are none.
    virtual const std::string& commentBlock() const = 0;
};

}  // namespace engine
