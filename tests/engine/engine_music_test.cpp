// Module music specifics: the audible order and row, seeking by order, and a module with
// a second sub-song, of which only the first plays.
#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"
#include "tests/engine/sink_lock.h"
#include "tests/media/media.h"

namespace {

class EngineMusic : public EngineTest {
  protected:
    // An XM song of `orders` orders of 8 rows, loaded with its end message and playing.
    HMUSIC PlayXm(int orders) {
        const auto xm = media::WriteXm(dir_ / "a.xm", {.orders = orders, .rowsPerOrder = 8});
        const HMUSIC music = bass().MusicLoad(0, xm.path.c_str(), 0, 0, 0x2800);
        EXPECT_NE(music, 0u);
        EXPECT_NE(bass().ChannelSetSync(music, BASS_SYNC_END_MESSAGE, 0, 0x400, 0), 0u);
        EXPECT_TRUE(bass().MusicPlay(music));
        return music;
    }
};

DWORD Order(QWORD position) {
    return DWORD(position & 0xFFFF);
}
DWORD Row(QWORD position) {
    return DWORD(position >> 16);
}

// 3 orders of 8 rows at speed 6, tempo 125: a row lasts 0.12 s, an order 0.96 s.
TEST_F(EngineMusic, PositionIsTheAudibleOrderAndRow) {
    SinkLock sink;
    const HMUSIC music = PlayXm(3);
    ASSERT_FALSE(HasFailure());
    Sleep(1.5);  // order 1, row 4.5
    const QWORD playing = bass().ChannelGetPosition(music);
    EXPECT_EQ(Order(playing), 1u);
    EXPECT_NEAR(double(Row(playing)), 4.5, 1.0);
    // An order that doesn't exist is refused and playback goes on.
    EXPECT_FALSE(bass().ChannelSetPosition(music, 3));
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_POSITION);
    Sleep(0.25);
    EXPECT_GE(Row(bass().ChannelGetPosition(music)), Row(playing) + 1);
    ASSERT_TRUE(bass().ChannelPause(music));
    const QWORD paused = bass().ChannelGetPosition(music);
    Sleep(0.3);
    EXPECT_EQ(bass().ChannelGetPosition(music), paused);

    // Seeking while paused stays paused, at the order's first row.
    ASSERT_TRUE(bass().ChannelSetPosition(music, 2));
    EXPECT_EQ(bass().ChannelGetPosition(music), 2u);
    ASSERT_TRUE(bass().ChannelResume(music));
    Sleep(0.5);
    const QWORD resumed = bass().ChannelGetPosition(music);
    EXPECT_EQ(Order(resumed), 2u);
    EXPECT_NEAR(double(Row(resumed)), 4, 1.5);
    ASSERT_TRUE(messages_.waitFor(1, std::chrono::seconds(3)));
    EXPECT_EQ(messages_.all()[0].wparam, music);
}

// Right after a seek, a resume or a new start the position is where playback goes on from,
// not where the decoder had read ahead to.
TEST_F(EngineMusic, PositionRightAfterASeekIsTheOrderStart) {
    SinkLock sink;
    const HMUSIC music = PlayXm(4);
    ASSERT_FALSE(HasFailure());
    const auto expectOrderStart = [&](DWORD order, const char* when) {
        const QWORD at = bass().ChannelGetPosition(music);
        EXPECT_EQ(Order(at), order) << when;
        EXPECT_EQ(Row(at), 0u) << when;
    };
    for (const DWORD order : {3, 1, 2, 0, 2}) {
        ASSERT_TRUE(bass().ChannelSetPosition(music, order));
        expectOrderStart(order, "seek while playing");
    }
    ASSERT_TRUE(bass().ChannelPause(music));
    ASSERT_TRUE(bass().ChannelSetPosition(music, 3));
    ASSERT_TRUE(bass().ChannelResume(music));
    expectOrderStart(3, "resumed after a seek while paused");
    ASSERT_TRUE(messages_.waitFor(1, std::chrono::seconds(3)));
    ASSERT_TRUE(bass().MusicPlay(music));
    expectOrderStart(0, "played again after the end");
}

TEST_F(EngineMusic, OnlyTheFirstSubSongPlays) {
    SinkLock sink;
    const auto s3m =
        media::WriteS3m(dir_ / "a.s3m", {.orders = 2, .rowsPerOrder = 8, .secondSongOrders = 3});
    ASSERT_GT(s3m.orderListLength, s3m.orders);
    const HMUSIC music = bass().MusicLoad(0, s3m.path.c_str(), 0, 0, 0x2800);
    ASSERT_NE(music, 0u);
    EXPECT_EQ(bass().MusicGetLength(music, 0), QWORD(s3m.orders));
    const QWORD bytes = bass().MusicGetLength(music, -1);
    EXPECT_NEAR(bass().ChannelBytes2Seconds(music, bytes), s3m.seconds, 0.01);
    EXPECT_FALSE(bass().ChannelSetPosition(music, s3m.orders)) << "an order of the second song";
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_POSITION);

    ASSERT_NE(bass().ChannelSetSync(music, BASS_SYNC_END_MESSAGE, 0, 0x400, 0), 0u);
    const auto started = PostedMessages::Clock::now();
    ASSERT_TRUE(bass().MusicPlay(music));
    ASSERT_TRUE(messages_.waitFor(1, std::chrono::seconds(5)));
    const double endedAfter =
        std::chrono::duration<double>(messages_.all()[0].when - started).count();
    EXPECT_NEAR(endedAfter, s3m.seconds, 0.3);
}

TEST_F(EngineMusic, UmxNameAndLengthAreTheInnerModules) {
    const auto umx = media::WriteUmx(dir_ / "a.umx", {.name = "Inner Tune", .orders = 2});
    const HMUSIC music = bass().MusicLoad(0, umx.path.c_str(), 0, 0, 0x2800);
    ASSERT_NE(music, 0u);
    EXPECT_STREQ(bass().MusicGetName(music), "Inner Tune");
    EXPECT_EQ(bass().MusicGetLength(music, 0), 2u);
}

}  // namespace
