#include "tests/media/module_song.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace media {

void CheckModuleSpec(const ModuleSpec& spec) {
    if (spec.orders < 1 || spec.orders > 64 || spec.rowsPerOrder < 1 ||
        spec.rowsPerOrder > kPatternRows || spec.speed < 1 || spec.speed > 31 || spec.tempo < 32 ||
        spec.tempo > 255) {
        throw std::invalid_argument("module spec out of range");
    }
}

std::vector<std::int8_t> SineSample() {
    std::vector<std::int8_t> sample(kSampleFrames);
    for (int i = 0; i < kSampleFrames; ++i) {
        sample[i] = static_cast<std::int8_t>(
            std::lround(100 * std::sin(2 * std::numbers::pi * i / kSampleCycle)));
    }
    return sample;
}

ModuleFile DescribeModule(const ModuleSpec& spec, const std::string& type, std::size_t titleWidth,
                          const std::filesystem::path& path) {
    CheckModuleSpec(spec);
    ModuleFile file;
    file.path = path;
    file.type = type;
    file.name = spec.name.substr(0, titleWidth);
    file.orders = spec.orders;
    file.seconds = spec.orders * spec.rowsPerOrder * spec.speed * 2.5 / spec.tempo;
    file.sampleRate = 44100;
    file.channels = 2;
    file.frames = std::llround(file.seconds * file.sampleRate);
    file.toneHz = static_cast<double>(kSampleRate) / kSampleCycle;
    file.noteSeconds =
        spec.loopedSample ? file.seconds : static_cast<double>(kSampleFrames) / kSampleRate;
    return file;
}

}  // namespace media

namespace media {
ModuleFile WriteModuleFile(const std::filesystem::path& path, const Bytes& bytes,
                           const ModuleSpec& spec, const std::string& type,
                           std::size_t titleWidth) {
    WriteFileBytes(path, bytes);
    return DescribeModule(spec, type, titleWidth, path);
}
}  // namespace media
