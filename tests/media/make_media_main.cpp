// vyn-make-media OUTDIR: writes one short file of every kind the player reads (seed
// corpora for the fuzzers, and material for trying things by hand).
#include <exception>
#include <filesystem>
#include <iostream>

#include "tests/media/media.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: vyn-make-media OUTDIR\n";
        return 2;
    }
    using namespace media;
    const std::filesystem::path dir = argv[1];
    try {
        std::filesystem::create_directories(dir);
        const ToneSpec tone{.sampleRate = 44100, .channels = 2, .seconds = 0.2};
        const ToneSpec mono{.sampleRate = 22050, .channels = 1, .seconds = 0.2};
        WriteWav(dir / "tone16.wav", tone);
        WriteWav(dir / "tone8.wav", mono, SampleFormat::kUnsigned8);
        WriteWav(dir / "tone24.wav", mono, SampleFormat::kSigned24);
        WriteWav(dir / "float.wav", tone, SampleFormat::kFloat32);

        Id3v2Spec v23{.version = 3,
                      .frames = {TextFrame("TPE1", "Artist"), TextFrame("TIT2", "Title")},
                      .padding = 16};
        Id3v2Spec v24 = v23;
        v24.version = 4;
        v24.footer = true;
        v24.extendedHeader = true;
        WriteMp3(dir / "tone.mp3", tone,
                 {.bitrateKbps = 64,
                  .leadingTag = Id3v2Tag(v23),
                  .trailingTag = Id3v1Tag({.title = "Title", .artist = "Artist"})});
        WriteTruncatedCopy(dir / "tone.mp3", dir / "truncated.mp3", 700);
        WriteRenamedCopy(dir / "tone8.wav", dir / "wav-inside.mp3");
        WriteMp3(dir / "tone-v24.mp3", mono, {.bitrateKbps = 32, .leadingTag = Id3v2Tag(v24)});
        WriteMp2(dir / "tone.mp2", tone, {.bitrateKbps = 128});
        // MPEG oddities that are still genuine: stacked tags, free format, stray bytes.
        Bytes stacked = Id3v2Tag(v23);
        const Bytes old = Id3v2Tag({.version = 4, .frames = {CoverArtFrame(2000)}});
        stacked.insert(stacked.end(), old.begin(), old.end());
        WriteMp3(dir / "stacked-tags.mp3", mono, {.bitrateKbps = 32, .leadingTag = stacked});
        WriteMp3(dir / "free-format.mp3", mono, {.bitrateKbps = 40, .freeFormat = true});
        WriteMp2(dir / "two-frames-stray-byte.mp2", {.sampleRate = 48000, .seconds = 0.05},
                 {.bitrateKbps = 64, .trailingTag = {0x55}, .keepFrames = 2});
        WriteMp1(dir / "tone.mp1", {.seconds = 0.1, .leadingTag = Id3v2Tag(v23)});
        WriteOgg(dir / "tone.ogg", tone, {.comments = {{"ARTIST", "Artist"}, {"TITLE", "Title"}}});
        WriteOgg(dir / "bare.ogg", mono);
        WriteOgg(dir / "odd-comments.ogg", mono,
                 {.exactComments = {{"title=", "noequals", "=x", "ARTIST=A=B"}}});
        const std::vector<std::pair<std::string, std::string>> comments = {{"ARTIST", "Artist"},
                                                                           {"TITLE", "Title"}};
        WriteFlac(dir / "tone.flac", tone, {.comments = comments});
        WriteFlac(dir / "deep-surround.flac", {.sampleRate = 48000, .channels = 6, .seconds = 0.1},
                  {.depth = SampleFormat::kSigned24, .seekTable = false});
        WriteFlac(dir / "tagged-unknown-length.flac", mono,
                  {.leadingTag = Id3v2Tag(v23), .unknownLength = true});
        const ToneSpec tone48{.sampleRate = 48000, .channels = 2, .seconds = 0.2};
        WriteOpus(dir / "tone.opus", tone48, {.comments = comments, .outputGainQ8 = -256});
        const MediaFile chained = WriteOpus(dir / "chained.opus", tone48, {.serial = 1});
        WrapFile(chained.path, {},
                 ReadFileBytes(WriteOpus(dir / "link.opus",
                                         {.sampleRate = 48000, .channels = 1, .seconds = 0.1},
                                         {.serial = 2})
                                   .path));

        const ModuleSpec song{.orders = 2, .rowsPerOrder = 4};
        WriteMod(dir / "tune.mod", song);
        WriteS3m(dir / "tune.s3m", song);
        WriteXm(dir / "tune.xm", song);
        WriteIt(dir / "tune.it", song);
        WriteMtm(dir / "tune.mtm", song);
        WriteUmx(dir / "tune.umx", song);
        WriteMo3(dir / "tune.mo3", song);
    } catch (const std::exception& e) {
        std::cerr << "vyn-make-media: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
