#include "tests/media/encoders.h"

#include <algorithm>
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
    SourceWav(const std::filesystem::path& target, const ToneSpec& tone,
              SampleFormat format = SampleFormat::kSigned16)
        : path_(target.string() + ".source.wav") {
        WriteWav(path_, tone, format);
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

std::vector<std::string> CommentArguments(
    const char* option, const std::vector<std::pair<std::string, std::string>>& comments) {
    std::vector<std::string> argv;
    for (const auto& [key, value] : comments) argv.insert(argv.end(), {option, key + "=" + value});
    return argv;
}

// STREAMINFO follows "fLaC" and its 4-byte block header; its total sample count is the low
// 36 bits of the 8 bytes at 18.
void ClearFlacLength(const std::filesystem::path& path) {
    Bytes bytes = ReadFileBytes(path);
    if (bytes.size() < 26 || bytes[0] != 'f') throw std::runtime_error("ClearFlacLength: no fLaC");
    bytes[21] &= 0xF0;
    std::fill(bytes.begin() + 22, bytes.begin() + 26, 0);
    WriteFileBytes(path, bytes);
}

// The output gain of the OpusHead packet on the first page (little-endian at 16 in the
// packet), and the page's checksum after it.
void SetOpusOutputGain(const std::filesystem::path& path, int gainQ8) {
    Bytes bytes = ReadFileBytes(path);
    const std::size_t head = 27 + std::size_t{bytes.at(26)};
    std::size_t pageEnd = head;
    for (std::size_t i = 0; i < bytes[26]; ++i) pageEnd += bytes[27 + i];
    if (pageEnd > bytes.size() ||
        std::string(bytes.begin() + head, bytes.begin() + head + 8) != "OpusHead")
        throw std::runtime_error("SetOpusOutputGain: no OpusHead page");
    const auto gain = static_cast<std::uint16_t>(static_cast<std::int16_t>(gainQ8));
    bytes[head + 16] = static_cast<std::uint8_t>(gain & 0xFF);
    bytes[head + 17] = static_cast<std::uint8_t>(gain >> 8);
    std::fill(bytes.begin() + 22, bytes.begin() + 26, 0);
    const std::uint32_t crc = OggCrc(bytes.data(), pageEnd);
    for (int i = 0; i < 4; ++i) bytes[22 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    WriteFileBytes(path, bytes);
}

}  // namespace

MediaFile WriteFlac(const std::filesystem::path& path, const ToneSpec& tone,
                    const FlacOptions& options) {
    SourceWav source(path, tone, options.depth);
    std::vector<std::string> argv = {"flac", "--silent", "--force", "--channel-map=none"};
    if (!options.seekTable) argv.push_back("--no-seektable");
    const auto comments = CommentArguments("-T", options.comments);
    argv.insert(argv.end(), comments.begin(), comments.end());
    argv.insert(argv.end(), {"-o", path.string(), source.path()});
    RunProgramOrThrow(argv, {"LC_ALL=C.UTF-8"});
    if (options.unknownLength) ClearFlacLength(path);
    WrapFile(path, options.leadingTag, {});
    return DescribeTone(path, tone);
}

MediaFile WriteOpus(const std::filesystem::path& path, const ToneSpec& tone,
                    const OpusOptions& options) {
    if (tone.sampleRate != 48000) throw std::invalid_argument("WriteOpus: 48 kHz tones only");
    SourceWav source(path, tone);
    std::vector<std::string> argv = {"opusenc",   "--quiet",
                                     "--serial",  std::to_string(options.serial),
                                     "--bitrate", std::to_string(options.bitrateKbps)};
    const auto comments = CommentArguments("--comment", options.comments);
    argv.insert(argv.end(), comments.begin(), comments.end());
    argv.insert(argv.end(), {source.path(), path.string()});
    RunProgramOrThrow(argv, {"LC_ALL=C.UTF-8"});
    if (options.outputGainQ8 != 0) SetOpusOutputGain(path, options.outputGainQ8);
    return DescribeTone(path, tone);
}

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
    std::vector<std::string> argv = {"oggenc",   "--quiet",
                                     "-q",       std::to_string(options.quality),
                                     "--serial", std::to_string(options.serial)};
    const auto comments = CommentArguments("-c", options.comments);
    argv.insert(argv.end(), comments.begin(), comments.end());
    argv.insert(argv.end(), {"-o", path.string(), source.path()});
    RunProgramOrThrow(argv, {"LC_ALL=C.UTF-8"});
    if (options.exactComments) ReplaceVorbisComments(path, *options.exactComments);
    return DescribeTone(path, tone);
}

}  // namespace media
