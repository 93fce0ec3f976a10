#include "engine/vorbis_decoder.h"

#include <vorbis/vorbisfile.h>

#include "engine/buffered_file.h"
#include "engine/engine_error.h"
#include "engine/ogg_chain.h"
#include "engine/stream_tags.h"
#include "engine/vorbis_callbacks.h"

namespace engine {
namespace {

class OggVorbisDecoder final : public CommentedDecoder {
  public:
    OggVorbisDecoder(const std::string& path, OggWindow window)
        : source_(std::make_unique<BufferedFile>(path, static_cast<off_t>(window.start),
                                                 static_cast<off_t>(window.length))) {
        // A failed open clears vf itself; a successful one needs ov_clear.
        if (ov_open_callbacks(source_.get(), &file_.vf, nullptr, 0, BufferedFileOggCallbacks()) !=
            0)
            Fail(BASS_ERROR_FILEFORM);
        file_.open = true;
        const vorbis_info* info = ov_info(&vf_, 0);
        if (!info || info->channels <= 0 || info->rate <= 0 || !ov_seekable(&vf_))
            Fail(BASS_ERROR_FILEFORM);
        format_ = {static_cast<std::uint32_t>(info->rate),
                   static_cast<std::uint32_t>(info->channels)};
        for (int link = 0; link < ov_streams(&vf_); ++link) {
            const vorbis_info* li = ov_info(&vf_, link);
            if (!li || li->rate != info->rate || li->channels != info->channels) break;
            const ogg_int64_t n = ov_pcm_total(&vf_, link);
            if (n < 0) break;
            length_ += static_cast<std::uint64_t>(n);
            ++playableLinks_;
        }
        if (length_ == 0) Fail(BASS_ERROR_FILEFORM);
        if (const vorbis_comment* vc = ov_comment(&vf_, 0))
            AppendComments(comments_, vc->user_comments, vc->comment_lengths, vc->comments);
        comments_.push_back('\0');
    }
    AudioFormat format() const override { return format_; }
    std::uint64_t lengthFrames() const override { return length_; }
    const std::string& commentBlock() const override { return comments_; }

    std::size_t read(std::int16_t* out, std::size_t frames) override {
        const std::size_t frameBytes = format_.bytesPerFrame();
        char* dst = reinterpret_cast<char*>(out);
        std::size_t got = 0, want = frames * frameBytes;
        while (got < want && position_ < length_) {
            int link = 0;
            const int chunk = want - got > 1 << 20 ? 1 << 20 : static_cast<int>(want - got);
            long n = ov_read(&vf_, dst + got, chunk, 0, 2, 1, &link);
            if (n == OV_HOLE) continue;  // a gap in the data: keep going after it
            if (n <= 0 || link >= playableLinks_) break;
            got += static_cast<std::size_t>(n);
            position_ += static_cast<std::uint64_t>(n) / frameBytes;
        }
        return got / frameBytes;
    }

    bool seek(std::uint64_t frame) override {
        if (ov_pcm_seek(&vf_, static_cast<ogg_int64_t>(frame)) != 0) return false;
        position_ = frame;
        return true;
    }

  private:
    std::unique_ptr<BufferedFile> source_;  // outlives file_, which reads from it
    // A member of its own so that a constructor that throws still clears it.
    struct File {
        OggVorbis_File vf{};
        bool open = false;
        ~File() {
            if (open) ov_clear(&vf);
        }
    } file_;
    OggVorbis_File& vf_ = file_.vf;
    AudioFormat format_;
    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
    int playableLinks_ = 0;
    std::string comments_;
};

bool LinkHeadersRead(const std::string& path, std::uint64_t start) {
    BufferedFile link(path, static_cast<off_t>(start));
    OggVorbis_File vf;
    ov_callbacks callbacks = BufferedFileOggCallbacks();
    callbacks.seek_func = nullptr;
    callbacks.tell_func = nullptr;
    if (ov_test_callbacks(&link, &vf, nullptr, 0, callbacks) != 0) return false;
    ov_clear(&vf);
    return true;
}

}  // namespace

std::unique_ptr<CommentedDecoder> OpenVorbisDecoder(const std::string& path, std::uint64_t start) {
    return std::make_unique<OggVorbisDecoder>(path,
                                              ReadableOggWindow(path, start, LinkHeadersRead));
}

}  // namespace engine
