#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "tests/media/process.h"
#include "tests/media/scratch_dir.h"

namespace media {
namespace {

// True while a process with this id exists, zombies included.
bool ProcessExists(int pid) {
    return kill(pid, 0) == 0 || errno != ESRCH;
}

TEST(RunProgram, PassesArgumentsUnchangedAndReportsExitCodeAndErrors) {
    // No shell between us and the program: quotes and semicolons stay plain bytes.
    const ProgramResult result =
        RunProgram({"sh", "-c", "printf '%s' \"$1\" >&2; exit 4", "sh", "a 'b'; $HOME"});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.errors, "a 'b'; $HOME");
    EXPECT_EQ(RunProgram({"sh", "-c", "printf '%s' \"$VYN_X\" >&2"}, {"VYN_X=y z"}).errors, "y z");
}

TEST(ProgramOutput, KeepsStdoutOnlyAndIsEmptyForAProgramThatCannotStart) {
    EXPECT_EQ(ProgramOutput({"sh", "-c", "printf 'out\\nput'; echo err >&2", "sh"}), "out\nput");
    EXPECT_EQ(ProgramOutput({"sh", "-c", "printf '%s' \"$VYN_X\""}, {"VYN_X=y z"}), "y z");
    EXPECT_EQ(ProgramOutput({"/no/such/program"}), "");
}

TEST(RunProgram, FailuresThrowWithTheCommandAndItsMessages) {
    EXPECT_THROW(RunProgram({"/no/such/program"}), std::runtime_error);
    try {
        RunProgramOrThrow({"sh", "-c", "echo broken >&2; exit 1"});
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("broken"), std::string::npos) << e.what();
    }
}

TEST(ChildProcess, StopEscalatesWhenTheSignalIsIgnored) {
    // A shell that ignores SIGINT (the child inherits the ignored disposition) must still go.
    ScratchDir dir("child");
    const auto log = dir / "log";
    ChildProcess child({"sh", "-c", "trap '' INT; echo ready; exec sleep 30"}, log.string());
    const int pid = child.pid();
    while (std::filesystem::file_size(log) == 0) ASSERT_TRUE(child.running());
    EXPECT_EQ(child.Stop(SIGINT, 0.2), -1);
    EXPECT_FALSE(ProcessExists(pid));
}

TEST(ChildProcess, ReportsTheExitCodeOfAProgramThatEndedByItself) {
    ChildProcess child({"sh", "-c", "exit 3"});
    while (child.running()) {
    }
    EXPECT_EQ(child.Stop(SIGINT), 3);
    EXPECT_THROW(ChildProcess({"/no/such/program"}), std::runtime_error);
}

}  // namespace
}  // namespace media
