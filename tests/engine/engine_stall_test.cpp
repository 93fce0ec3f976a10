// A file read that stalls for seconds (a network mount, a disk spinning up) makes an
// underrun, never a frozen caller. `read` is interposed in this test program: while a file
// is stalled, every read of it blocks until the test lets it go.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "tests/engine/engine_fixture.h"
#include "tests/engine/sink_lock.h"
#include "tests/media/media.h"

namespace {

class Stall {
  public:
    // Reads of `path` block from now on.
    void Start(const std::filesystem::path& path) {
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        std::lock_guard<std::mutex> lock(mutex_);
        on_ = true;
        inode_ = st.st_ino;
    }
    // Lets blocked reads go on and stops stalling.
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        on_ = false;
        inode_ = 0;
        changed_.notify_all();
    }
    // Waits until `count` reads of the file are blocked.
    bool WaitUntilBlocked(int count = 1) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return blocked_ >= count; });
    }
    int Blocked() {
        std::lock_guard<std::mutex> lock(mutex_);
        return blocked_;
    }

    void MaybeBlock(int fd) {
        if (inode_ == 0) return;
        struct stat st {};
        if (fstat(fd, &st) != 0 || st.st_ino != inode_) return;
        std::unique_lock<std::mutex> lock(mutex_);
        ++blocked_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return !on_; });
        --blocked_;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool on_ = false;
    std::atomic<ino_t> inode_{0};
    int blocked_ = 0;
};

Stall stall;

}  // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
    using Read = ssize_t (*)(int, void*, size_t);
    static const Read real = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
    stall.MaybeBlock(fd);
    return real(fd, buffer, count);
}

namespace {

int Threads() {
    int n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/task");
         it != std::filesystem::directory_iterator(); ++it)
        ++n;
    return n;
}

class EngineStall : public EngineServerTest {
  protected:
    void TearDown() override {
        stall.Release();
        EngineTest::TearDown();
    }
    // Whatever happens, nothing waits on the stalled read for longer than this: a caller
    // that does shows as a released stall and a failed check, not as a hung test.
    void Watchdog() {
        watchdog_ = std::thread([this] {
            std::unique_lock<std::mutex> lock(watchdogMutex_);
            if (!watchdogDone_.wait_for(lock, std::chrono::seconds(5), [&] { return done_; })) {
                fired_ = true;
                stall.Release();
            }
        });
    }
    void EndWatchdog() {
        {
            std::lock_guard<std::mutex> lock(watchdogMutex_);
            done_ = true;
        }
        watchdogDone_.notify_all();
        watchdog_.join();
        EXPECT_FALSE(fired_) << "a call waited for the stalled read";
    }

    SinkLock sink_;
    std::thread watchdog_;
    std::mutex watchdogMutex_;
    std::condition_variable watchdogDone_;
    bool done_ = false;
    std::atomic<bool> fired_{false};
};

TEST_P(EngineStall, CallsStayPromptAndPlaybackResumesWhenTheReadReturns) {
    const auto wav = media::WriteWav(dir_ / "tone.wav", {.seconds = 1.5});
    const HSTREAM s = bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
    ASSERT_NE(s, 0u);
    ASSERT_NE(bass().ChannelSetSync(s, BASS_SYNC_END_MESSAGE, 0, 0x400, 0), 0u);
    stall.Start(wav.path);
    Watchdog();
    ASSERT_TRUE(bass().StreamPlay(s, 0, 0));
    ASSERT_TRUE(stall.WaitUntilBlocked());
    Sleep(0.3);
    EXPECT_EQ(bass().ChannelGetPosition(s), 0u) << "nothing was heard yet";
    EXPECT_TRUE(bass().ChannelPause(s));
    EXPECT_TRUE(bass().ChannelResume(s));
    const QWORD middle = bass().StreamGetLength(s) / 2 / 4 * 4;
    EXPECT_TRUE(bass().ChannelSetPosition(s, middle));
    EXPECT_EQ(bass().ChannelGetPosition(s), middle);
    EXPECT_TRUE(bass().ChannelSetPosition(s, 0));
    EndWatchdog();
    EXPECT_TRUE(messages_.all().empty());

    stall.Release();
    ASSERT_TRUE(messages_.waitFor(1, std::chrono::seconds(5))) << "playback resumed and ended";
    Sleep(0.3);
    EXPECT_EQ(messages_.all().size(), 1u);
    EXPECT_EQ(bass().ChannelGetPosition(s), bass().StreamGetLength(s));
}

TEST_P(EngineStall, FreeAndUnloadLeaveAStalledReadBehindSafely) {
    const auto wav = media::WriteWav(dir_ / "tone.wav", {.seconds = 1, .toneHz = 0});
    const HSTREAM s = bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
    const HSTREAM other = bass().StreamCreateFile(0, wav.path.c_str(), 0, 0, 0);
    ASSERT_NE(s, 0u);
    stall.Start(wav.path);
    Watchdog();
    ASSERT_TRUE(bass().StreamPlay(s, 0, 0));
    ASSERT_TRUE(stall.WaitUntilBlocked());
    EXPECT_TRUE(bass().StreamFree(s));
    ASSERT_TRUE(bass().StreamPlay(other, 0, 0));
    ASSERT_TRUE(stall.WaitUntilBlocked(2));
    const int withBoth = Threads();
    EXPECT_TRUE(bass().Free());
    EndWatchdog();
    EngineTest::TearDown();  // dlclose while the reads are still blocked
    EXPECT_EQ(stall.Blocked(), 2);
    stall.Release();
    // The threads left behind see they were abandoned and end without touching the engine.
    for (int i = 0; i < 100 && Threads() > withBoth - 4; ++i) Sleep(0.02);
    EXPECT_LE(Threads(), withBoth - 4) << "two decoder threads and the output thread ended";
}

INSTANTIATE_TEST_SUITE_P(Servers, EngineStall,
                         ::testing::Values(ServerKind::PulseAudio, ServerKind::PipeWire),
                         ServerRowName);

}  // namespace
