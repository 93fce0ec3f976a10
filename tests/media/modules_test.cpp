#include <gtest/gtest.h>

#include <functional>

#include "tests/media/analysis.h"
#include "tests/media/modules.h"
#include "tests/media/reference_decoders.h"
#include "tests/media/scratch_dir.h"

namespace media {
namespace {

using Writer = std::function<ModuleFile(const std::filesystem::path&, const ModuleSpec&)>;

struct ModuleCase {
    const char* extension;
    Writer write;
};

void PrintTo(const ModuleCase& c, std::ostream* out) {
    *out << c.extension;
}

// libopenmpt renders a short tail past the song's last row.
void ExpectRenderedLength(const RenderedModule& module, const ModuleFile& file) {
    EXPECT_GE(module.pcm.seconds(), file.seconds - 0.01);
    EXPECT_LE(module.pcm.seconds(), file.seconds + 0.2);
}

class ModuleWriterTest : public ::testing::TestWithParam<ModuleCase> {};

TEST_P(ModuleWriterTest, LibopenmptLoadsTypeNameOrdersDurationAndTone) {
    const ModuleCase c = GetParam();
    ScratchDir dir(std::string("module-") + c.extension);
    const ModuleSpec spec{
        .name = "Vyn Test Tune", .orders = 3, .rowsPerOrder = 8, .speed = 3, .tempo = 150};
    const ModuleFile file = c.write(dir / (std::string("t.") + c.extension), spec);
    EXPECT_DOUBLE_EQ(file.seconds, 3 * 8 * 3 * 2.5 / 150);

    const RenderedModule module = RenderWithOpenmpt(file.path);
    EXPECT_EQ(module.type, file.type);
    EXPECT_EQ(module.title, "Vyn Test Tune");
    EXPECT_EQ(module.orders, 3);
    EXPECT_NEAR(module.durationSeconds, file.seconds, 0.001);
    ExpectRenderedLength(module, file);
    EXPECT_NEAR(DominantFrequency(module.pcm, 0.05, 0.5), file.toneHz, file.toneHz * 0.01);
    EXPECT_GT(ToneAmplitude(module.pcm, file.toneHz, 0.05, 0.5), 0.03);
}

TEST_P(ModuleWriterTest, OneShotSampleFallsSilentAfterItsLength) {
    const ModuleCase c = GetParam();
    ScratchDir dir(std::string("oneshot-") + c.extension);
    const ModuleSpec spec{
        .orders = 1, .rowsPerOrder = 64, .speed = 6, .tempo = 125, .loopedSample = false};
    const ModuleFile file = c.write(dir / (std::string("t.") + c.extension), spec);
    ASSERT_LT(file.noteSeconds, file.seconds);
    const RenderedModule module = RenderWithOpenmpt(file.path);
    const auto end = SoundEnd(module.pcm);
    ASSERT_TRUE(end.has_value());
    EXPECT_NEAR(*end, file.noteSeconds, 0.03);
    ExpectRenderedLength(module, file);
}

TEST_P(ModuleWriterTest, TitleIsCutToTheFormatsWidth) {
    const ModuleCase c = GetParam();
    ScratchDir dir(std::string("title-") + c.extension);
    const ModuleSpec spec{.name = "A title far too long for any tracker format"};
    const ModuleFile file = c.write(dir / (std::string("t.") + c.extension), spec);
    EXPECT_LT(file.name.size(), spec.name.size());
    EXPECT_EQ(RenderWithOpenmpt(file.path).title, file.name);
}

TEST(UmxWriter, PackageIsSeenAsAContainerAroundItsModule) {
    ScratchDir dir("umx-container");
    const ModuleFile file = WriteUmx(dir / "t.umx", {.name = "Inside", .orders = 2});
    const RenderedModule module = RenderWithOpenmpt(file.path);
    EXPECT_EQ(module.container, "umx");
    EXPECT_EQ(module.type, "s3m");
    EXPECT_EQ(module.title, "Inside");
    EXPECT_EQ(module.orders, 2);
}

TEST(ModuleWriters, SecondSubSongFollowsTheEndMarkerAndTheFirstPlaysAlone) {
    ScratchDir dir("subsongs");
    const ModuleSpec spec{.orders = 2, .rowsPerOrder = 4, .secondSongOrders = 3};
    for (const ModuleFile& file : {WriteS3m(dir / "t.s3m", spec), WriteIt(dir / "t.it", spec),
                                   WriteUmx(dir / "t.umx", spec), WriteMo3(dir / "t.mo3", spec)}) {
        const RenderedModule module = RenderWithOpenmpt(file.path);
        EXPECT_EQ(module.subsongs, 2) << file.path;
        EXPECT_EQ(file.orderListLength, 2 + 1 + 3);
        EXPECT_EQ(module.orders, file.orderListLength) << file.path;
        EXPECT_NEAR(module.durationSeconds, file.seconds, 0.001) << file.path;
        ExpectRenderedLength(module, file);
    }
    EXPECT_THROW(ModBytes(spec), std::invalid_argument);
    EXPECT_THROW(XmBytes(spec), std::invalid_argument);
    EXPECT_THROW(MtmBytes(spec), std::invalid_argument);
}

TEST(ModuleWriters, RejectSpecsOutsideTheFormatsLimits) {
    for (const ModuleSpec& spec :
         {ModuleSpec{.orders = 0}, ModuleSpec{.orders = 65}, ModuleSpec{.rowsPerOrder = 0},
          ModuleSpec{.rowsPerOrder = 65}, ModuleSpec{.speed = 0}, ModuleSpec{.speed = 32},
          ModuleSpec{.tempo = 31}, ModuleSpec{.tempo = 256}}) {
        EXPECT_THROW(ModBytes(spec), std::invalid_argument);
        EXPECT_THROW(XmBytes(spec), std::invalid_argument);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ModuleWriterTest,
                         ::testing::Values(ModuleCase{"mod", WriteMod}, ModuleCase{"s3m", WriteS3m},
                                           ModuleCase{"it", WriteIt}, ModuleCase{"xm", WriteXm},
                                           ModuleCase{"mtm", WriteMtm}, ModuleCase{"umx", WriteUmx},
                                           ModuleCase{"mo3", WriteMo3}),
                         [](const auto& info) { return std::string(info.param.extension); });

}  // namespace
}  // namespace media
