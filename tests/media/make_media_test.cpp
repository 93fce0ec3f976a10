#include <gtest/gtest.h>

#include <set>

#include "tests/media/process.h"
#include "tests/media/reference_decoders.h"
#include "tests/media/scratch_dir.h"

namespace media {
namespace {

const std::string kTool = std::string(VYN_BIN_DIR) + "/vyn-make-media";

TEST(MakeMediaTool, WritesADecodableFileOfEveryKind) {
    ScratchDir dir("tool");
    ASSERT_EQ(RunProgram({kTool, (dir / "out").string()}).exitCode, 0);
    std::set<std::string> extensions;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "out")) {
        const auto& path = entry.path();
        const std::string name = path.filename().string();
        extensions.insert(path.extension().string());
        if (name.starts_with("truncated") || name.starts_with("wav-inside")) continue;
        const std::string ext = path.extension().string();
        SCOPED_TRACE(name);
        if (ext == ".wav") {
            EXPECT_GT(DecodeWithSndfile(path).frames(), 0);
        } else if (ext == ".mp3" || ext == ".mp2" || ext == ".mp1") {
            EXPECT_GT(DecodeWithMpg123(path).frames(), 0);
        } else if (ext == ".ogg") {
            EXPECT_GT(DecodeWithVorbisfile(path).frames(), 0);
        } else if (ext == ".flac") {
            EXPECT_EQ(RunProgram({"flac", "--silent", "--test", path.string()}).exitCode, 0);
        } else if (ext == ".opus") {
            EXPECT_EQ(RunProgram({"opusdec", "--quiet", path.string(), "/dev/null"}).exitCode, 0);
        } else {
            EXPECT_GT(RenderWithOpenmpt(path).pcm.frames(), 0);
        }
    }
    EXPECT_EQ(extensions,
              (std::set<std::string>{".wav", ".mp3", ".mp2", ".mp1", ".ogg", ".mod", ".s3m", ".xm",
                                     ".it", ".mtm", ".umx", ".mo3", ".flac", ".opus"}));
}

TEST(MakeMediaTool, WithoutAFolderItPrintsUsageAndFails) {
    const ProgramResult result = RunProgram({kTool});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.errors.find("usage"), std::string::npos);
}

}  // namespace
}  // namespace media
