#include <gtest/gtest.h>

#include "tests/media/broken.h"
#include "tests/media/bytes.h"
#include "tests/media/scratch_dir.h"
#include "tests/media/wav.h"

namespace media {
namespace {

TEST(BrokenInputs, TruncatedCopyKeepsTheFirstBytesOnly) {
    ScratchDir dir("broken-cut");
    const MediaFile wav = WriteWav(dir / "t.wav", {.seconds = 0.1});
    const Bytes whole = ReadFileBytes(wav.path);
    const Bytes cut = ReadFileBytes(WriteTruncatedCopy(wav.path, dir / "cut.wav", 100));
    EXPECT_EQ(cut, Bytes(whole.begin(), whole.begin() + 100));
    EXPECT_EQ(ReadFileBytes(WriteTruncatedCopy(wav.path, dir / "all.wav", 1u << 30)), whole);
}

TEST(BrokenInputs, RandomBytesAreRepeatablePerSeed) {
    ScratchDir dir("broken-random");
    const Bytes a = ReadFileBytes(WriteRandomBytes(dir / "a.mp3", 4096, 7));
    const Bytes b = ReadFileBytes(WriteRandomBytes(dir / "b.mp3", 4096, 7));
    const Bytes c = ReadFileBytes(WriteRandomBytes(dir / "c.mp3", 4096, 8));
    EXPECT_EQ(a.size(), 4096u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

TEST(BrokenInputs, EmptyFileAndRenamedCopy) {
    ScratchDir dir("broken-misc");
    EXPECT_EQ(std::filesystem::file_size(WriteEmptyFile(dir / "empty.ogg")), 0u);
    const MediaFile wav = WriteWav(dir / "t.wav", {.seconds = 0.05});
    const auto renamed = WriteRenamedCopy(wav.path, dir / "wav-inside.mp3");
    EXPECT_EQ(renamed.extension(), ".mp3");
    EXPECT_EQ(ReadFileBytes(renamed), ReadFileBytes(wav.path));
    EXPECT_THROW(WriteRenamedCopy(dir / "missing.wav", dir / "x.mp3"), std::runtime_error);
}

}  // namespace
}  // namespace media
