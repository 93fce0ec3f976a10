#include "tests/media/module_song.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace media {

void CheckModuleSpec(const ModuleSpec& spec, bool singleSong) {
    if (spec.orders < 1 || spec.orders > 64 || spec.rowsPerOrder < 1 ||
        spec.rowsPerOrder > kPatternRows || spec.speed < 1 || spec.speed > 31 || spec.tempo < 32 ||
        spec.tempo > 255 || spec.secondSongOrders < 0 || spec.secondSongOrders > 32 ||
        (singleSong && spec.secondSongOrders != 0)) {
        throw std::invalid_argument("module spec out of range");
    }
}

std::vector<std::uint8_t> OrderList(const ModuleSpec& spec) {
    std::vector<std::uint8_t> orders;
    for (int i = 0; i < spec.orders; ++i) orders.push_back(static_cast<std::uint8_t>(i));
    if (spec.secondSongOrders > 0) {
        orders.push_back(255);
        orders.insert(orders.end(), static_cast<std::size_t>(spec.secondSongOrders), 0);
    }
    return orders;
}

std::vector<std::int8_t> SineSample() {
    std::vector<std::int8_t> sample(kSampleFrames);
    for (int i = 0; i < kSampleFrames; ++i) {
        sample[i] = static_cast<std::int8_t>(
            std::lround(100 * std::sin(2 * std::numbers::pi * i / kSampleCycle)));
    }
    return sample;
}

SongCell CellAt(const ModuleSpec& spec, int row, int channel) {
    SongCell cell;
    if (row == 0) {
        cell.note = true;
        if (channel == 0) cell = {true, SongCell::Effect::kSpeed, spec.speed};
        if (channel == 1) cell = {true, SongCell::Effect::kTempo, spec.tempo};
    }
    if (channel == kModuleChannels - 1 && spec.rowsPerOrder < kPatternRows &&
        row == spec.rowsPerOrder - 1) {
        cell.effect = SongCell::Effect::kBreak;
    }
    return cell;
}

unsigned ProTrackerEffect(SongCell::Effect effect) {
    switch (effect) {
        case SongCell::Effect::kSpeed:
        case SongCell::Effect::kTempo:
            return 0x0F;
        case SongCell::Effect::kBreak:
            return 0x0D;
        case SongCell::Effect::kNone:
            break;
    }
    return 0;
}

unsigned ScreamTrackerCommand(SongCell::Effect effect) {
    switch (effect) {
        case SongCell::Effect::kSpeed:
            return 'A' - '@';
        case SongCell::Effect::kTempo:
            return 'T' - '@';
        case SongCell::Effect::kBreak:
            return 'C' - '@';
        case SongCell::Effect::kNone:
            break;
    }
    return 0;
}

ModuleFile DescribeModule(const ModuleSpec& spec, const std::string& type, std::size_t titleWidth,
                          const std::filesystem::path& path) {
    CheckModuleSpec(spec);
    ModuleFile file;
    file.path = path;
    file.type = type;
    file.name = spec.name.substr(0, titleWidth);
    while (!file.name.empty() && file.name.back() == ' ') file.name.pop_back();
    file.orders = spec.orders;
    file.orderListLength = static_cast<int>(OrderList(spec).size());
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
