// Tracker modules written by our own code: ProTracker MOD, Scream Tracker 3 S3M,
// FastTracker 2 XM, Impulse Tracker IT, MultiTracker MTM, MO3 and an Unreal UMX package
// around one of them. Every module is the same little song so its facts are easy to
// compute: one sampled sine instrument, 4 channels, one pattern per order, the note on the
// first row of every pattern in all four channels, speed and tempo set on every first row,
// and a pattern break after rowsPerOrder rows (MO3: patterns of rowsPerOrder rows and the
// header's speed and tempo instead).
#pragma once

#include <filesystem>
#include <string>

#include "tests/media/bytes.h"
#include "tests/media/media_file.h"

namespace media {

struct ModuleSpec {
    std::string name = "Vyn Test Tune";  // cut to the format's title width (MOD/XM/MTM 20)
    int orders = 3;                      // 1..64; order i plays pattern i
    int rowsPerOrder = 16;               // 1..64 rows played of each pattern
    int speed = 6;                       // ticks per row, 1..31
    int tempo = 125;                     // 32..255; a tick lasts 2.5 / tempo seconds
    bool loopedSample = true;            // false: a one-shot sine of kSampleFrames frames
    // S3M, IT, UMX and MO3 only: after the song an end-of-song marker and a second sub-song of
    // this many orders (each plays pattern 0). Players play only the first sub-song.
    int secondSongOrders = 0;
};

// The sine sample: kSampleFrames 8-bit frames, kSampleCycle frames per cycle, played at
// kSampleRate Hz (the C-5 rate of the formats' note tables), so the tone is
// kSampleRate / kSampleCycle = 522.6875 Hz.
inline constexpr int kSampleFrames = 2048;
inline constexpr int kSampleCycle = 16;
inline constexpr int kSampleRate = 8363;

struct ModuleFile : MediaFile {
    std::string type{};       // libopenmpt's type: "mod", "s3m", "xm", "it", "mtm", "mo3"
    std::string name{};       // the title as stored
    int orders = 0;           // entries of the first sub-song's order list
    int orderListLength = 0;  // the whole list: with a second sub-song, marker and its orders
    double noteSeconds = 0;   // how long each note sounds (the whole song when looped)
};

// seconds = orders * rowsPerOrder * speed * 2.5 / tempo; sampleRate 44100, channels 2 and
// frames describe rendering at 44.1 kHz stereo.
ModuleFile DescribeModule(const ModuleSpec& spec, const std::string& type, std::size_t titleWidth,
                          const std::filesystem::path& path = {});

Bytes ModBytes(const ModuleSpec& spec);
Bytes S3mBytes(const ModuleSpec& spec);
Bytes XmBytes(const ModuleSpec& spec);
Bytes ItBytes(const ModuleSpec& spec);
Bytes MtmBytes(const ModuleSpec& spec);
Bytes Mo3Bytes(const ModuleSpec& spec);
// An Unreal package whose one Music export holds the module bytes given.
Bytes UmxBytes(const Bytes& module);

ModuleFile WriteMod(const std::filesystem::path& path, const ModuleSpec& spec = {});
ModuleFile WriteS3m(const std::filesystem::path& path, const ModuleSpec& spec = {});
ModuleFile WriteXm(const std::filesystem::path& path, const ModuleSpec& spec = {});
ModuleFile WriteIt(const std::filesystem::path& path, const ModuleSpec& spec = {});
ModuleFile WriteMtm(const std::filesystem::path& path, const ModuleSpec& spec = {});
// An MO3 (version 5) holding an S3M-like song; libopenmpt reports the type "mo3".
ModuleFile WriteMo3(const std::filesystem::path& path, const ModuleSpec& spec = {});
// A UMX holding the S3M of spec; libopenmpt reports the inner module's facts.
ModuleFile WriteUmx(const std::filesystem::path& path, const ModuleSpec& spec = {});

}  // namespace media
