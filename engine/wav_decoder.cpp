#include "engine/wav_decoder.h"

#include <sndfile.h>

#include "engine/engine_error.h"

namespace engine {
namespace {

struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

class WavDecoder final : public Decoder {
  public:
    explicit WavDecoder(const std::string& path) {
        file_.reset(sf_open(path.c_str(), SFM_READ, &info_));
        if (!file_) Fail(BASS_ERROR_FILEFORM);
        const int major = info_.format & SF_FORMAT_TYPEMASK;
        if (major == SF_FORMAT_MPEG || major == SF_FORMAT_RAW) Fail(BASS_ERROR_FILEFORM);
        if (info_.channels <= 0 || info_.samplerate <= 0 || info_.frames <= 0 || !info_.seekable)
            Fail(BASS_ERROR_FILEFORM);
        const int subtype = info_.format & SF_FORMAT_SUBMASK;
        if (subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE) {
            // Float data is scaled to the full 16-bit range and clips beyond it instead of
            // wrapping around.
            sf_command(file_.get(), SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_TRUE);
            sf_command(file_.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
        }
    }

    AudioFormat format() const override {
        return {static_cast<std::uint32_t>(info_.samplerate),
                static_cast<std::uint32_t>(info_.channels)};
    }
    std::uint64_t lengthFrames() const override { return static_cast<std::uint64_t>(info_.frames); }

    std::size_t read(std::int16_t* out, std::size_t frames) override {
        sf_count_t n = sf_readf_short(file_.get(), out, static_cast<sf_count_t>(frames));
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    bool seek(std::uint64_t frame) override {
        return sf_seek(file_.get(), static_cast<sf_count_t>(frame), SEEK_SET) >= 0;
    }

  private:
    SF_INFO info_{};
    std::unique_ptr<SNDFILE, SndfileCloser> file_;
};

}  // namespace

std::unique_ptr<Decoder> OpenWavDecoder(const std::string& path) {
    return std::make_unique<WavDecoder>(path);
}

}  // namespace engine
