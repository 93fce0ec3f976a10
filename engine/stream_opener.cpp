#include "engine/stream_opener.h"

#include <cstring>

#include "engine/engine_error.h"
#include "engine/flac_decoder.h"
#include "engine/mpeg_decoder.h"
#include "engine/mpeg_probe.h"
#include "engine/opus_decoder.h"
#include "engine/vorbis_decoder.h"
#include "engine/wav_decoder.h"

namespace engine {
namespace {

// The frame search window plus a chain of the largest possible (free-format) frames.
constexpr std::size_t kMpegProbeBytes = 64 * 1024 + 5 * 3460;
// An Ogg page header with the largest segment table, and the first packet's magic.
constexpr std::size_t kAudioHeadBytes = 27 + 255 + 8;

bool StartsWith(const Bytes& b, const char* magic) {
    const std::size_t n = std::strlen(magic);
    return b.size() >= n && std::memcmp(b.data(), magic, n) == 0;
}

OpenedStream OpenMpeg(const std::string& path, std::uint64_t audioStart, const Bytes& head,
                      std::uint64_t size) {
    OpenedStream s;
    s.decoder = OpenMpegDecoder(path, audioStart);
    s.tags = ReadId3Tags(path, head, size);
    return s;
}

// A decoder with its Vorbis comment list as tag kind 2.
OpenedStream WithComments(std::unique_ptr<CommentedDecoder> decoder) {
    OpenedStream s;
    s.tags.comments = decoder->commentBlock();
    s.decoder = std::move(decoder);
    return s;
}

}  // namespace

OpenedStream OpenStreamFile(const std::string& path) {
    RequireReadableFile(path);
    const std::uint64_t size = FileSize(path);
    const Bytes head = ReadFileBytes(path, 0, 64);
    if (head.size() < 4) Fail(BASS_ERROR_FILEFORM);

    if (StartsWith(head, "RIFF") || StartsWith(head, "RIFX") || StartsWith(head, "RF64"))
        return {OpenWavDecoder(path), {}};

    const std::uint64_t audioStart = SkipId3v2Tags(path, size);
    const Bytes audioHead = ReadFileBytes(path, audioStart, kAudioHeadBytes);
    // Taggers put ID3v2 tags in front of Ogg and FLAC files too. Such a file is ours to
    // open: libsndfile would skip the tag and read the Vorbis stream itself, and it leaks on
    // malformed ones.
    if (StartsWith(audioHead, "OggS")) {
        if (IsOpusFirstPage(audioHead.data(), audioHead.size()))
            return WithComments(OpenOpusDecoder(path, audioStart));
        return WithComments(OpenVorbisDecoder(path, audioStart));
    }
    if (StartsWith(audioHead, "fLaC")) return WithComments(OpenFlacDecoder(path, audioStart));
    if (audioStart < size) {
        const Bytes audio = ReadFileBytes(path, audioStart, kMpegProbeBytes);
        if (LooksLikeMpegAudio(audio, audioStart, size))
            return OpenMpeg(path, audioStart, head, size);
    }
    // Other containers libsndfile knows (AIFF, AU, ...) by their own headers. It gets
    // no file that starts with a tag: it skips tags by a reading of its own, which also
    // takes sizes that are not syncsafe, and it reads an Ogg stream behind one with its own
    // Vorbis code, which leaks on malformed streams.
    if (StartsWith(audioHead, "ID3")) Fail(BASS_ERROR_FILEFORM);
    return {OpenWavDecoder(path), {}};
}

}  // namespace engine
