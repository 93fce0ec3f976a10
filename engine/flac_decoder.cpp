#include "engine/flac_decoder.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/buffered_file.h"
#include "engine/engine_error.h"
#include "engine/stream_tags.h"

namespace engine {
namespace {

constexpr unsigned kMaxChannels = 8;

// lowbias32: uniform bits from a 32-bit counter, for one counter or a vector of them.
template <typename U>
constexpr U Mix(U x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

std::uint32_t Hash(std::uint64_t key) {
    return Mix(static_cast<std::uint32_t>(key ^ (key >> 32)));
}

// Deeper samples get triangular dither of +-1 step of the result before they are rounded to
// 16 bits: the difference of two uniforms of one step each. A sample's noise is a hash of its
// place in the stream (frame and channel) only, so a seek gives the samples a straight decode
// gives.
//
// Samples of up to 24 bits lose up to 8, so 8 bits per uniform are enough and one 32-bit hash
// serves two samples of a channel: frames f and f + 4 of each group of eight.
std::uint64_t NarrowKey(std::uint64_t frame, unsigned channel, unsigned channels) {
    return ((frame >> 3) * 4 + (frame & 3)) * channels + channel;
}

// One sample rounded to 16 bits after the uniforms a and b (each scaled to one step) were
// added and taken off; in `Wide`, where the sum can't overflow.
template <typename Wide>
std::int16_t Dithered(FLAC__int32 sample, std::uint32_t a, std::uint32_t b, unsigned shift) {
    const Wide v =
        (Wide{sample} + static_cast<Wide>(a) - static_cast<Wide>(b) + (Wide{1} << (shift - 1))) >>
        shift;
    return static_cast<std::int16_t>(std::clamp<Wide>(v, INT16_MIN, INT16_MAX));
}

// The hash dominates the cost of the conversion; in vectors of four lanes the compiler
// computes it for a whole group at once at any optimisation level.
constexpr unsigned kLanes = 4;  // one SSE2 or NEON register
using U32Lanes = std::uint32_t __attribute__((vector_size(4 * kLanes)));
using I32Lanes = std::int32_t __attribute__((vector_size(4 * kLanes)));

// One channel of a block of 17- to 24-bit samples as 16 bits, written every `channels`
// samples of `out`; `first` is the block's first frame.
void Dither24To16(const FLAC__int32* in, unsigned n, unsigned bits, std::int16_t* out,
                  std::uint64_t first, unsigned channel, unsigned channels) {
    const unsigned shift = bits - 16;
    const unsigned down = 8 - shift;  // an 8-bit uniform scaled to one step
    const std::int32_t half = 1 << (shift - 1);
    const auto one = [&](unsigned i) {
        const std::uint64_t frame = first + i;
        const std::uint32_t hash = Hash(NarrowKey(frame, channel, channels));
        const std::uint32_t noise = frame & 4 ? hash >> 16 : hash & 0xFFFF;
        out[std::size_t{i} * channels] =
            Dithered<std::int32_t>(in[i], (noise & 0xFF) >> down, noise >> 8 >> down, shift);
    };
    const auto four = [&](unsigned i, U32Lanes noise) {
        I32Lanes v;
        std::memcpy(&v, in + i, sizeof v);
        v = (v + reinterpret_cast<I32Lanes>((noise & 0xFF) >> down) -
             reinterpret_cast<I32Lanes>(noise >> 8 >> down) + half) >>
            shift;
        const I32Lanes over = v > INT16_MAX, under = v < INT16_MIN;
        v = (v & ~over & ~under) | (INT16_MAX & over) | (INT16_MIN & under);
        // Constant lane numbers: each lane goes straight from the register to its place.
        std::int16_t* to = out + std::size_t{i} * channels;
        to[0] = static_cast<std::int16_t>(v[0]);
        to[channels] = static_cast<std::int16_t>(v[1]);
        to[2 * channels] = static_cast<std::int16_t>(v[2]);
        to[3 * channels] = static_cast<std::int16_t>(v[3]);
    };
    unsigned i = 0;
    for (; i < n && (first + i) % 8 != 0; ++i) one(i);
    // Whole groups, while the keys' high half stays the same (always, but at 2^32 keys).
    const std::uint64_t key = NarrowKey(first + i, channel, channels);
    const std::uint64_t lastKey = key + std::uint64_t{n} * channels;
    if (key >> 32 == lastKey >> 32) {
        const auto high = static_cast<std::uint32_t>(key >> 32);
        U32Lanes keys{};
        for (unsigned k = 0; k < kLanes; ++k)
            keys[k] = static_cast<std::uint32_t>(key) + k * channels;
        for (; i + 2 * kLanes <= n; i += 2 * kLanes, keys += kLanes * channels) {
            const U32Lanes hash = Mix(keys ^ high);
            four(i, hash & 0xFFFF);
            four(i + kLanes, hash >> 16);
        }
    }
    for (; i < n; ++i) one(i);
}

// One channel of a block of 25- to 32-bit samples: two 16-bit uniforms, one hash per sample.
void Dither32To16(const FLAC__int32* in, unsigned n, unsigned bits, std::int16_t* out,
                  std::uint64_t first, unsigned channel, unsigned channels) {
    const unsigned shift = bits - 16;
    const unsigned down = 16 - shift;
    for (unsigned i = 0; i < n; ++i) {
        const std::uint32_t noise = Hash((first + i) * channels + channel);
        out[std::size_t{i} * channels] =
            Dithered<std::int64_t>(in[i], (noise & 0xFFFF) >> down, noise >> 16 >> down, shift);
    }
}

// One channel of a block as 16 bits, written every `channels` samples of `out`.
void To16(const FLAC__int32* in, unsigned n, unsigned bits, std::int16_t* out, std::uint64_t first,
          unsigned channel, unsigned channels) {
    if (bits <= 16) {
        const int scale = 1 << (16 - bits);
        for (unsigned i = 0; i < n; ++i)
            out[std::size_t{i} * channels] = static_cast<std::int16_t>(in[i] * scale);
    } else if (bits <= 24) {
        Dither24To16(in, n, bits, out, first, channel, channels);
    } else {
        Dither32To16(in, n, bits, out, first, channel, channels);
    }
}

struct DecoderDelete {
    void operator()(FLAC__StreamDecoder* d) const { FLAC__stream_decoder_delete(d); }
};

class LibFlacDecoder final : public CommentedDecoder {
  public:
    LibFlacDecoder(const std::string& path, std::uint64_t start)
        : file_(path, static_cast<off_t>(start)), decoder_(FLAC__stream_decoder_new()) {
        if (!decoder_) Fail(BASS_ERROR_MEM);
        FLAC__stream_decoder_set_md5_checking(decoder_.get(), false);
        FLAC__stream_decoder_set_metadata_respond(decoder_.get(),
                                                  FLAC__METADATA_TYPE_VORBIS_COMMENT);
        if (FLAC__stream_decoder_init_stream(decoder_.get(), Read, Seek, Tell, Length, Eof, Write,
                                             Metadata, Error,
                                             this) != FLAC__STREAM_DECODER_INIT_STATUS_OK)
            Fail(BASS_ERROR_FILEFORM);
        if (!FLAC__stream_decoder_process_until_end_of_metadata(decoder_.get()) || bits_ == 0)
            Fail(BASS_ERROR_FILEFORM);
        comments_.push_back('\0');
        if (length_ == 0 || !TailIsThere()) length_ = CountFrames();
        if (length_ == 0 || !seek(0)) Fail(BASS_ERROR_FILEFORM);
    }
    AudioFormat format() const override { return format_; }
    std::uint64_t lengthFrames() const override { return length_; }
    const std::string& commentBlock() const override { return comments_; }

    std::size_t read(std::int16_t* out, std::size_t frames) override {
        std::size_t done = 0;
        frames = static_cast<std::size_t>(std::min<std::uint64_t>(frames, length_ - position_));
        while (done < frames) {
            if (taken_ == pending_.size() && !DecodeFrame()) break;
            const std::size_t n =
                std::min(frames - done, (pending_.size() - taken_) / format_.channels);
            std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(taken_),
                        n * format_.channels, out + done * format_.channels);
            taken_ += n * format_.channels;
            done += n;
        }
        position_ += done;
        return done;
    }

    bool seek(std::uint64_t frame) override {
        pending_.clear();
        taken_ = 0;
        if (frame >= length_) {
            position_ = length_;
            return frame == length_;
        }
        if (!FLAC__stream_decoder_seek_absolute(decoder_.get(), frame)) {
            // A failed seek leaves the decoder in an error state until it is flushed.
            FLAC__stream_decoder_flush(decoder_.get());
            return false;
        }
        position_ = frame;
        return true;
    }

  private:
    // Decodes the next frame into pending_; false at the end or on an error.
    bool DecodeFrame() {
        pending_.clear();
        taken_ = 0;
        while (pending_.empty()) {
            if (!FLAC__stream_decoder_process_single(decoder_.get())) return false;
            const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(decoder_.get());
            if (state == FLAC__STREAM_DECODER_END_OF_STREAM ||
                state == FLAC__STREAM_DECODER_ABORTED)
                return !pending_.empty();
        }
        return true;
    }

    // A stated length whose last sample can't be reached (a truncated file) is not kept.
    bool TailIsThere() {
        if (!FLAC__stream_decoder_seek_absolute(decoder_.get(), length_ - 1)) {
            FLAC__stream_decoder_flush(decoder_.get());
            return false;
        }
        return !pending_.empty() || DecodeFrame();
    }

    // Decodes the whole stream to count its frames, then starts over.
    std::uint64_t CountFrames() {
        counting_ = true;
        std::uint64_t frames = 0;
        FLAC__stream_decoder_reset(decoder_.get());
        while (DecodeFrame()) frames += pending_.size() / format_.channels;
        counting_ = false;
        pending_.clear();
        if (!FLAC__stream_decoder_reset(decoder_.get()) ||
            !FLAC__stream_decoder_process_until_end_of_metadata(decoder_.get()))
            return 0;
        length_ = frames;  // so that seek(0) below is in range
        return frames;
    }

    static FLAC__StreamDecoderReadStatus Read(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                              size_t* bytes, void* self) {
        const ssize_t n = static_cast<LibFlacDecoder*>(self)->file_.read(buffer, *bytes);
        if (n < 0) return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
        *bytes = static_cast<size_t>(n);
        return n == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM
                      : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
    }
    static FLAC__StreamDecoderSeekStatus Seek(const FLAC__StreamDecoder*, FLAC__uint64 offset,
                                              void* self) {
        return static_cast<LibFlacDecoder*>(self)->file_.seek(static_cast<off_t>(offset),
                                                              SEEK_SET) < 0
                   ? FLAC__STREAM_DECODER_SEEK_STATUS_ERROR
                   : FLAC__STREAM_DECODER_SEEK_STATUS_OK;
    }
    static FLAC__StreamDecoderTellStatus Tell(const FLAC__StreamDecoder*, FLAC__uint64* offset,
                                              void* self) {
        *offset = static_cast<FLAC__uint64>(static_cast<LibFlacDecoder*>(self)->file_.position());
        return FLAC__STREAM_DECODER_TELL_STATUS_OK;
    }
    static FLAC__StreamDecoderLengthStatus Length(const FLAC__StreamDecoder*, FLAC__uint64* length,
                                                  void* self) {
        *length = static_cast<FLAC__uint64>(static_cast<LibFlacDecoder*>(self)->file_.size());
        return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
    }
    static FLAC__bool Eof(const FLAC__StreamDecoder*, void* self) {
        const BufferedFile& file = static_cast<LibFlacDecoder*>(self)->file_;
        return file.position() >= file.size();
    }

    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*,
                                                const FLAC__Frame* frame,
                                                const FLAC__int32* const buffer[], void* self) {
        return static_cast<LibFlacDecoder*>(self)->Take(*frame, buffer);
    }
    FLAC__StreamDecoderWriteStatus Take(const FLAC__Frame& frame,
                                        const FLAC__int32* const buffer[]) {
        const unsigned channels = format_.channels;
        // Frames that disagree with STREAMINFO would change the channel's format mid-stream.
        if (frame.header.channels != channels || frame.header.bits_per_sample != bits_)
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        const unsigned n = frame.header.blocksize;
        pending_.resize(std::size_t{n} * channels);
        if (counting_) return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
        std::uint64_t first = frame.header.number_type == FLAC__FRAME_NUMBER_TYPE_SAMPLE_NUMBER
                                  ? frame.header.number.sample_number
                                  : position_;
        for (unsigned c = 0; c < channels; ++c)
            To16(buffer[c], n, bits_, pending_.data() + c, first, c, channels);
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* m, void* self) {
        static_cast<LibFlacDecoder*>(self)->TakeMetadata(*m);
    }
    void TakeMetadata(const FLAC__StreamMetadata& m) {
        if (m.type == FLAC__METADATA_TYPE_STREAMINFO && bits_ == 0) {
            const FLAC__StreamMetadata_StreamInfo& info = m.data.stream_info;
            if (info.channels == 0 || info.channels > kMaxChannels || info.sample_rate == 0 ||
                info.bits_per_sample < 4 || info.bits_per_sample > 32)
                return;
            format_ = {info.sample_rate, info.channels};
            bits_ = info.bits_per_sample;
            length_ = info.total_samples;
        } else if (m.type == FLAC__METADATA_TYPE_VORBIS_COMMENT && !commentsRead_) {
            commentsRead_ = true;  // a stream read again after counting has them already
            const FLAC__StreamMetadata_VorbisComment& vc = m.data.vorbis_comment;
            for (FLAC__uint32 i = 0; i < vc.num_comments; ++i)
                AppendComment(comments_, reinterpret_cast<const char*>(vc.comments[i].entry),
                              vc.comments[i].length);
        }
    }
    static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {
        // libFLAC resynchronises by itself; a frame lost this way is left out.
    }

    BufferedFile file_;  // outlives decoder_, which reads from it
    std::unique_ptr<FLAC__StreamDecoder, DecoderDelete> decoder_;
    AudioFormat format_;
    unsigned bits_ = 0;
    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
    std::vector<std::int16_t> pending_;  // the frame being handed out
    std::size_t taken_ = 0;
    bool counting_ = false;
    bool commentsRead_ = false;
    std::string comments_;
};

}  // namespace

std::unique_ptr<CommentedDecoder> OpenFlacDecoder(const std::string& path, std::uint64_t start) {
    return std::make_unique<LibFlacDecoder>(path, start);
}

}  // namespace engine
