// The media every engine test plays: one short file per format the engine reads.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/media/media.h"

struct EngineMedia {
    std::string name;    // test name suffix
    bool music = false;  // opened with BASS_MusicLoad
    // Frames the decoded length may exceed the source by (MPEG encoder delay and padding),
    // and fall short of it.
    long long slackAbove = 0;
    long long slackBelow = 0;
};

inline void PrintTo(const EngineMedia& media, std::ostream* os) {
    *os << media.name;
}

// Every format under test.
const std::vector<EngineMedia>& AllEngineMedia();

// Writes the file of `media` into dir; for module music the facts are those of rendering
// at 44.1 kHz stereo.
media::MediaFile WriteEngineMedia(const EngineMedia& media, const std::filesystem::path& dir);

// The module song every module test uses: 3 orders of 8 rows, about 2.9 s.
media::ModuleSpec EngineModuleSong();
