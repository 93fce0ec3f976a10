#include "tests/engine/engine_media.h"

#include <stdexcept>

namespace {

constexpr long long kMpegFrame = 1152;

}  // namespace

const std::vector<EngineMedia>& AllEngineMedia() {
    static const std::vector<EngineMedia> all = {
        {"Wav16Stereo44100"},
        {"Wav8Mono22050"},
        {"Wav24Mono48000"},
        {"WavFloatStereo48000"},
        {"WavNamedMp3"},
        {"Mp3Id3v23", false, kMpegFrame, kMpegFrame},
        {"Mp3Id3v24Mono22050", false, kMpegFrame, kMpegFrame},
        {"Mp2", false, 3 * kMpegFrame, 0},
        {"Mp1"},
        {"Ogg"},
        {"Flac24Stereo96000"},
        {"OpusStereo"},
        {"Mod", true},
        {"S3m", true},
        {"Xm", true},
        {"It", true},
        {"Mtm", true},
        {"Umx", true},
        {"Mo3", true},
    };
    return all;
}

media::ModuleSpec EngineModuleSong() {
    return {.orders = 3, .rowsPerOrder = 8};
}

media::MediaFile WriteEngineMedia(const EngineMedia& m, const std::filesystem::path& dir) {
    using namespace media;
    const ToneSpec stereo{.sampleRate = 44100, .channels = 2, .seconds = 1.5, .toneHz = 440};
    const ToneSpec mono22{.sampleRate = 22050, .channels = 1, .seconds = 1.5, .toneHz = 660};
    const ToneSpec mono48{.sampleRate = 48000, .channels = 1, .seconds = 1.5, .toneHz = 880};
    const ToneSpec stereo48{.sampleRate = 48000, .channels = 2, .seconds = 1.5, .toneHz = 550};
    const std::string& n = m.name;
    if (n == "Wav16Stereo44100") return WriteWav(dir / "a.wav", stereo);
    if (n == "Wav8Mono22050") return WriteWav(dir / "a.wav", mono22, SampleFormat::kUnsigned8);
    if (n == "Wav24Mono48000") return WriteWav(dir / "a.wav", mono48, SampleFormat::kSigned24);
    if (n == "WavFloatStereo48000")
        return WriteWav(dir / "a.wav", stereo48, SampleFormat::kFloat32);
    if (n == "WavNamedMp3") {
        MediaFile f = WriteWav(dir / "a.wav", stereo);
        f.path = WriteRenamedCopy(f.path, dir / "not-really.mp3");
        return f;
    }
    if (n == "Mp3Id3v23") {
        Id3v2Spec tag{.version = 3,
                      .frames = {TextFrame("TPE1", "Artist"), TextFrame("TIT2", "Title")},
                      .padding = 32};
        return WriteMp3(dir / "a.mp3", stereo,
                        {.leadingTag = Id3v2Tag(tag),
                         .trailingTag = Id3v1Tag({.title = "Old Title", .artist = "Old Artist"})});
    }
    if (n == "Mp3Id3v24Mono22050") {
        Id3v2Spec tag{.version = 4, .frames = {TextFrame("TIT2", "Title", 3)}, .footer = true};
        return WriteMp3(dir / "a.mp3", mono22, {.bitrateKbps = 64, .leadingTag = Id3v2Tag(tag)});
    }
    if (n == "Mp2") return WriteMp2(dir / "a.mp2", stereo48);
    if (n == "Mp1") return WriteMp1(dir / "a.mp1", {.seconds = 1.5, .subband = 1});
    if (n == "Ogg")
        return WriteOgg(dir / "a.ogg", stereo,
                        {.comments = {{"ARTIST", "Artist"}, {"TITLE", "Title"}}});
    if (n == "Flac24Stereo96000")
        return WriteFlac(dir / "a.flac", {.sampleRate = 96000, .seconds = 1.5, .toneHz = 1000},
                         {.depth = SampleFormat::kSigned24});
    if (n == "OpusStereo") return WriteOpus(dir / "a.opus", stereo48);
    const ModuleSpec song = EngineModuleSong();
    if (n == "Mod") return WriteMod(dir / "a.mod", song);
    if (n == "S3m") return WriteS3m(dir / "a.s3m", song);
    if (n == "Xm") return WriteXm(dir / "a.xm", song);
    if (n == "It") return WriteIt(dir / "a.it", song);
    if (n == "Mtm") return WriteMtm(dir / "a.mtm", song);
    if (n == "Umx") return WriteUmx(dir / "a.umx", song);
    if (n == "Mo3") return WriteMo3(dir / "a.mo3", song);
    throw std::logic_error("no media named " + n);
}
