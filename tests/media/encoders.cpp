#include "tests/media/encoders.h"

#include <cstdio>
#include <stdexcept>
#include <system_error>

#include "tests/media/ogg_comments.h"
#include "tests/media/process.h"

namespace media {
namespace {

// The WAV source beside the output, removed again when the encoder is done.
class SourceWav {
  public:
    SourceWav(const std::filesystem::path& target, const ToneSpec& tone)
        : path_(target.string() + ".source.wav") {
        WriteWav(path_, tone);
    }
    ~SourceWav() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    SourceWav(const SourceWav&) = delete;
    SourceWav& operator=(const SourceWav&) = delete;
    std::string path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

std::string KiloHertz(int rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", rate / 1000.0);
    return text;
}

// Cuts an MPEG-1 Layer II file to its first `frames` frames, each 144 * bitrate / rate
// bytes plus the padding byte its header announces.
void KeepFirstFrames(const std::filesystem::path& path, int frames, int bitrateKbps, int rate) {
    const Bytes bytes = ReadFileBytes(path);
    std::size_t end = 0;
    for (int i = 0; i < frames; ++i) {
        if (end + 4 > bytes.size() || bytes[end] != 0xFF)
            throw std::runtime_error("KeepFirstFrames: no frame " + std::to_string(i));
        end += 144000u * static_cast<unsigned>(bitrateKbps) / static_cast<unsigned>(rate) +
               ((bytes[end + 2] >> 1) & 1);
    }
    if (end > bytes.size()) throw std::runtime_error("KeepFirstFrames: file too short");
    WriteFileBytes(path, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end)));
}

}  // namespace

void WrapFile(const std::filesystem::path& path, const Bytes& before, const Bytes& after) {
    if (before.empty() && after.empty()) return;
    Bytes whole = before;
    const Bytes middle = ReadFileBytes(path);
    whole.insert(whole.end(), middle.begin(), middle.end());
    whole.insert(whole.end(), after.begin(), after.end());
    WriteFileBytes(path, whole);
}

MediaFile WriteMp3(const std::filesystem::path& path, const ToneSpec& tone,
                   const MpegOptions& options) {
    SourceWav source(path, tone);
    std::vector<std::string> argv = {"lame",
                                     "--quiet",
                                     "--noreplaygain",
                                     "--cbr",
                                     "-b",
                                     std::to_string(options.bitrateKbps),
                                     "--resample",
                                     KiloHertz(tone.sampleRate)};
    if (options.freeFormat) argv.push_back("--freeformat");
    argv.insert(argv.end(), {source.path(), path.string()});
    RunProgramOrThrow(argv);
    WrapFile(path, options.leadingTag, options.trailingTag);
    return DescribeTone(path, tone);
}

MediaFile WriteMp2(const std::filesystem::path& path, const ToneSpec& tone,
                   const MpegOptions& options) {
    SourceWav source(path, tone);
    RunProgramOrThrow({"twolame", "--quiet", "-b", std::to_string(options.bitrateKbps),
                       source.path(), path.string()});
    MediaFile file = DescribeTone(path, tone);
    if (options.keepFrames > 0) {
        if (tone.sampleRate < 32000)
            throw std::invalid_argument("WriteMp2: keepFrames needs an MPEG-1 sample rate");
        KeepFirstFrames(path, options.keepFrames, options.bitrateKbps, tone.sampleRate);
        file.frames = options.keepFrames * 1152;
        file.seconds = static_cast<double>(file.frames) / tone.sampleRate;
    }
    WrapFile(path, options.leadingTag, options.trailingTag);
    return file;
}

MediaFile WriteOgg(const std::filesystem::path& path, const ToneSpec& tone,
                   const OggOptions& options) {
    SourceWav source(path, tone);
    std::vector<std::string> argv = {"oggenc", "--quiet", "-q", std::to_string(options.quality)};
    for (const auto& [key, value] : options.comments) {
        argv.push_back("-c");
        argv.push_back(key + "=" + value);
    }
    argv.insert(argv.end(), {"-o", path.string(), source.path()});
    RunProgramOrThrow(argv, {"LC_ALL=C.UTF-8"});
    if (options.exactComments) ReplaceVorbisComments(path, *options.exactComments);
    return DescribeTone(path, tone);
}

}  // namespace media
