// The Debian decoders, used by our own tests to check what the writers make.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/media/analysis.h"

namespace media {

Pcm DecodeWithSndfile(const std::filesystem::path& path);
// Gapless (libmpg123's default): encoder delay and padding are trimmed when the file says.
Pcm DecodeWithMpg123(const std::filesystem::path& path);
Pcm DecodeWithVorbisfile(const std::filesystem::path& path,
                         std::vector<std::string>* comments = nullptr);

struct RenderedModule {
    std::string type, container, title;  // container: "" or e.g. "umx"
    int orders = 0;                      // the whole order list, markers included
    int subsongs = 0;
    double durationSeconds = 0;  // libopenmpt's estimate for the first sub-song
    Pcm pcm;                     // 44.1 kHz stereo, rendered until libopenmpt stops
};
// Throws std::runtime_error when libopenmpt refuses the file.
RenderedModule RenderWithOpenmpt(const std::filesystem::path& path);

}  // namespace media
