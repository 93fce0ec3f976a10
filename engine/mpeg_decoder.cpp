#include "engine/mpeg_decoder.h"

#include <mpg123.h>

#include <algorithm>

#include "engine/buffered_file.h"
#include "engine/engine_error.h"

namespace engine {
namespace {

struct HandleDeleter {
    void operator()(mpg123_handle* h) const {
        mpg123_close(h);
        mpg123_delete(h);
    }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

ssize_t ReadCallback(void* file, void* out, size_t count) {
    return static_cast<BufferedFile*>(file)->read(out, count);
}
off_t SeekCallback(void* file, off_t offset, int whence) {
    return static_cast<BufferedFile*>(file)->seek(offset, whence);
}

Handle NewHandle(long extraFlags) {
    int err = MPG123_OK;
    Handle h(mpg123_new(nullptr, &err));
    if (!h) Fail(BASS_ERROR_MEM);
    mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | extraFlags, 0);
    mpg123_param(h.get(), MPG123_RESYNC_LIMIT, 64 * 1024, 0);
    mpg123_replace_reader_handle(h.get(), ReadCallback, SeekCallback, nullptr);
    // Always 16-bit output; rate and channel count are the stream's own.
    mpg123_format_none(h.get());
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(h.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return h;
}

class MpegDecoder final : public Decoder {
  public:
    MpegDecoder(std::unique_ptr<BufferedFile> file, Handle h, AudioFormat format,
                std::uint64_t length)
        : file_(std::move(file)), h_(std::move(h)), format_(format), length_(length) {}

    AudioFormat format() const override { return format_; }
    std::uint64_t lengthFrames() const override { return length_; }

    std::size_t read(std::int16_t* out, std::size_t frames) override {
        const std::size_t want = frames * format_.bytesPerFrame();
        std::size_t got = 0;
        while (got < want) {
            size_t done = 0;
            int rc = mpg123_read(h_.get(), reinterpret_cast<unsigned char*>(out) + got, want - got,
                                 &done);
            got += done;
            if (rc == MPG123_NEW_FORMAT || (rc == MPG123_OK && done > 0)) continue;
            if (rc != MPG123_OK || done == 0) break;
        }
        return got / format_.bytesPerFrame();
    }

    bool seek(std::uint64_t frame) override {
        return mpg123_seek(h_.get(), static_cast<off_t>(frame), SEEK_SET) >= 0;
    }

  private:
    std::unique_ptr<BufferedFile> file_;  // outlives h_, which reads from it
    Handle h_;
    AudioFormat format_;
    std::uint64_t length_;
};

// Opens and reads the format; false when libmpg123 needs the single-frame workaround.
bool OpenAndProbe(mpg123_handle* h, BufferedFile& file, AudioFormat& format) {
    file.seek(0, SEEK_SET);
    if (mpg123_open_handle(h, &file) != MPG123_OK) return false;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK) return false;
    if (rate <= 0 || channels <= 0) return false;
    // Pin the format so a stray frame with other parameters is converted, not passed on.
    mpg123_format_none(h);
    mpg123_format(h, rate, channels, MPG123_ENC_SIGNED_16);
    format = {static_cast<std::uint32_t>(rate), static_cast<std::uint32_t>(channels)};
    return true;
}

}  // namespace

std::unique_ptr<Decoder> OpenMpegDecoder(const std::string& path, std::uint64_t audioStart) {
    AudioFormat format;
    auto file = std::make_unique<BufferedFile>(path, static_cast<off_t>(audioStart));
    Handle h = NewHandle(0);
    if (!OpenAndProbe(h.get(), *file, format)) {
        // libmpg123 refuses a file of one frame unless it may stop reading ahead.
        h = NewHandle(MPG123_NO_READAHEAD);
        if (!OpenAndProbe(h.get(), *file, format)) Fail(BASS_ERROR_FILEFORM);
    }
    if (mpg123_scan(h.get()) != MPG123_OK) Fail(BASS_ERROR_FILEFORM);
    const off_t length = mpg123_length(h.get());
    if (length <= 0) Fail(BASS_ERROR_FILEFORM);
    if (mpg123_seek(h.get(), 0, SEEK_SET) < 0) Fail(BASS_ERROR_FILEFORM);
    return std::make_unique<MpegDecoder>(std::move(file), std::move(h), format,
                                         static_cast<std::uint64_t>(length));
}

}  // namespace engine
