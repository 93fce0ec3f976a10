// ProTracker "M.K." module: 31 sample slots, 4 channels, 64-row patterns, periods.
#include "tests/media/module_song.h"

namespace media {
namespace {

constexpr std::size_t kTitleWidth = 20;
constexpr unsigned kPeriodC = 428;  // the note that plays a sample at kSampleRate

void Cell(ByteWriter& out, unsigned sample, unsigned period, unsigned effect, unsigned param) {
    out.U8((sample & 0xF0) | ((period >> 8) & 0x0F));
    out.U8(period & 0xFF);
    out.U8(((sample & 0x0F) << 4) | effect);
    out.U8(param);
}

}  // namespace

Bytes ModBytes(const ModuleSpec& spec) {
    CheckModuleSpec(spec, /*singleSong=*/true);
    const auto sample = SineSample();
    ByteWriter out;
    out.Text(spec.name, kTitleWidth);
    for (int slot = 0; slot < 31; ++slot) {
        const bool used = slot == 0;
        out.Text(used ? "sine" : "", 22);
        out.U16be(used ? kSampleFrames / 2 : 0);                       // lengths count 16-bit words
        out.U8(0);                                                     // finetune
        out.U8(used ? 64 : 0);                                         // volume
        out.U16be(0);                                                  // loop start
        out.U16be(used && spec.loopedSample ? kSampleFrames / 2 : 1);  // 1: no loop
    }
    out.U8(spec.orders);
    out.U8(127);
    for (int i = 0; i < 128; ++i) out.U8(i < spec.orders ? i : 0);
    out.Raw("M.K.");
    for (int pattern = 0; pattern < spec.orders; ++pattern) {
        for (int row = 0; row < kPatternRows; ++row) {
            for (int channel = 0; channel < kModuleChannels; ++channel) {
                const SongCell cell = CellAt(spec, row, channel);
                const unsigned effect = ProTrackerEffect(cell.effect);
                Cell(out, cell.note ? 1 : 0, cell.note ? kPeriodC : 0, effect, cell.param);
            }
        }
    }
    for (auto value : sample) out.U8(static_cast<std::uint8_t>(value));
    return std::move(out.bytes());
}

ModuleFile WriteMod(const std::filesystem::path& path, const ModuleSpec& spec) {
    return WriteModuleFile(path, ModBytes(spec), spec, "mod", kTitleWidth);
}

}  // namespace media
