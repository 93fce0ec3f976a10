#include "engine/opus_decoder.h"

#include <opus/opusfile.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/buffered_file.h"
#include "engine/engine_error.h"
#include "engine/ogg_chain.h"
#include "engine/stream_tags.h"

namespace engine {
namespace {

constexpr std::uint32_t kOpusRate = 48000;
// 120 ms of 8 channels, the most one Opus packet decodes to.
constexpr std::size_t kBufferSamples = 5760 * 8;

int Read(void* file, unsigned char* out, int count) {
    const ssize_t n = static_cast<BufferedFile*>(file)->read(out, static_cast<std::size_t>(count));
    return n < 0 ? -1 : static_cast<int>(n);
}
int Seek(void* file, opus_int64 offset, int whence) {
    return static_cast<BufferedFile*>(file)->seek(static_cast<off_t>(offset), whence) < 0 ? -1 : 0;
}
opus_int64 Tell(void* file) {
    return static_cast<opus_int64>(static_cast<BufferedFile*>(file)->position());
}

struct OpusFileFree {
    void operator()(OggOpusFile* f) const { op_free(f); }
};

bool LinkHeadersRead(const std::string& path, std::uint64_t start) {
    BufferedFile link(path, static_cast<off_t>(start));
    const OpusFileCallbacks callbacks = {Read, nullptr, nullptr, nullptr};
    OggOpusFile* test = op_test_callbacks(&link, &callbacks, nullptr, 0, nullptr);
    if (!test) return false;
    op_free(test);
    return true;
}

class OpusFileDecoder final : public CommentedDecoder {
  public:
    OpusFileDecoder(const std::string& path, OggWindow window)
        : file_(path, static_cast<off_t>(window.start), static_cast<off_t>(window.length)) {
        const OpusFileCallbacks callbacks = {Read, Seek, Tell, nullptr};
        int error = 0;
        opus_.reset(op_open_callbacks(&file_, &callbacks, nullptr, 0, &error));
        if (!opus_ || !op_seekable(opus_.get())) Fail(BASS_ERROR_FILEFORM);
        const int channels = op_channel_count(opus_.get(), 0);
        if (channels <= 0) Fail(BASS_ERROR_FILEFORM);
        format_ = {kOpusRate, static_cast<std::uint32_t>(channels)};
        for (int link = 0; link < op_link_count(opus_.get()); ++link) {
            if (op_channel_count(opus_.get(), link) != channels) break;
            const ogg_int64_t n = op_pcm_total(opus_.get(), link);
            if (n < 0) break;
            length_ += static_cast<std::uint64_t>(n);
            ++playableLinks_;
        }
        if (length_ == 0) Fail(BASS_ERROR_FILEFORM);
        if (const OpusTags* tags = op_tags(opus_.get(), 0))
            AppendComments(comments_, tags->user_comments, tags->comment_lengths, tags->comments);
        comments_.push_back('\0');
    }

    AudioFormat format() const override { return format_; }
    std::uint64_t lengthFrames() const override { return length_; }
    const std::string& commentBlock() const override { return comments_; }

    std::size_t read(std::int16_t* out, std::size_t frames) override {
        const std::size_t channels = format_.channels;
        frames = static_cast<std::size_t>(std::min<std::uint64_t>(frames, length_ - position_));
        std::size_t done = 0;
        while (done < frames) {
            const std::size_t room = std::min<std::size_t>((frames - done) * channels, INT_MAX);
            int link = 0;
            const int n =
                op_read(opus_.get(), out + done * channels, static_cast<int>(room), &link);
            if (n == OP_HOLE) continue;  // a gap in the data: keep going after it
            if (n <= 0 || link >= playableLinks_) break;
            done += static_cast<std::size_t>(n);
        }
        position_ += done;
        return done;
    }

    bool seek(std::uint64_t frame) override {
        if (frame > length_) return false;
        if (frame == length_) {
            position_ = length_;  // read() hands out nothing more from here
            return true;
        }
        if (op_pcm_seek(opus_.get(), static_cast<ogg_int64_t>(frame)) != 0) return false;
        position_ = frame;
        return true;
    }

  private:
    BufferedFile file_;  // outlives opus_, which reads from it
    std::unique_ptr<OggOpusFile, OpusFileFree> opus_;
    AudioFormat format_;
    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
    int playableLinks_ = 0;
    std::string comments_;
    std::vector<float> buffer_ = std::vector<float>(kBufferSamples);
};

}  // namespace

bool IsOpusFirstPage(const std::uint8_t* page, std::size_t size) {
    if (size < 27 || std::memcmp(page, "OggS", 4) != 0) return false;
    const std::size_t body = 27 + std::size_t{page[26]};
    return size >= body + 8 && std::memcmp(page + body, "OpusHead", 8) == 0;
}

std::unique_ptr<CommentedDecoder> OpenOpusDecoder(const std::string& path, std::uint64_t start) {
    return std::make_unique<OpusFileDecoder>(path, ReadableOggWindow(path, start, LinkHeadersRead));
}

}  // namespace engine
