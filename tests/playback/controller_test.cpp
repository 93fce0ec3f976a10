// The playback controller: what plays after each button, the end of a track, the random and
// repeat rules, and what a failure leaves on screen.
#include <QTest>

#include "tests/playback/controller_fixture.h"

namespace {

TEST_F(ControllerTest, PlayStartsTheFirstEntryAndShowsIt) {
    SetPlaylist({"/m/one.mp3", "/m/two.ogg"});
    Guarded([&] { controller.PlayButtonClick(); });
    EXPECT_TRUE(ErrorTexts().empty());
    EXPECT_EQ(controller.CurrentTrack(), 0);
    EXPECT_EQ(controller.CurrentFormat(), 1);
    EXPECT_STREQ(engine.lastPath, "/m/one.mp3");
    EXPECT_EQ(engine.streamPlays, 1);
    EXPECT_EQ(engine.window, view.endTarget) << "end messages go to the main window";
    EXPECT_EQ(view.SeekMaximum(), 1764000);
    EXPECT_EQ(view.TotalText(), "0:10");
    EXPECT_EQ(view.ElapsedText(), "0:00");
    EXPECT_EQ(view.SelectedRow(), 0);
    EXPECT_EQ(view.Caption(), "one");
    EXPECT_EQ(view.applicationTitle, "one");
    EXPECT_TRUE(controller.TimerActive());
}

TEST_F(ControllerTest, PlayOnEmptyListOpensAddMenuAndLoadsNothing) {
    Guarded([&] { controller.PlayButtonClick(); });
    EXPECT_EQ(view.addMenuOpened, 1);
    EXPECT_FALSE(bass.LibraryLoaded());
    EXPECT_FALSE(controller.TimerActive());
    EXPECT_EQ(view.Caption(), "Vyn Player");
}

TEST_F(ControllerTest, PlayWhilePausedRestartsFromTheBeginning) {
    SetPlaylist({"/m/one.mp3"});
    controller.PlayButtonClick();
    controller.PauseButtonClick();
    EXPECT_TRUE(bass.ChannelPaused());
    controller.PlayButtonClick();
    EXPECT_FALSE(bass.ChannelPaused());
    EXPECT_EQ(engine.streamCreates, 2);
    EXPECT_EQ(engine.streamFrees, 1);
    EXPECT_EQ(engine.resumes, 0) << "played anew, not resumed";
    EXPECT_EQ(engine.initCalls, 1) << "the device stays up between tracks";
}

TEST_F(ControllerTest, PrevOnFirstEntryOrBeforePlayingDoesNothing) {
    SetPlaylist({"/m/one.mp3", "/m/two.mp3"});
    controller.PrevButtonClick();
    EXPECT_FALSE(bass.LibraryLoaded());
    controller.PlayButtonClick();
    controller.PrevButtonClick();
    EXPECT_EQ(engine.streamCreates, 1);
    controller.NextButtonClick();
    controller.PrevButtonClick();
    EXPECT_EQ(controller.CurrentTrack(), 0);
    EXPECT_EQ(engine.streamCreates, 3);
}

TEST_F(ControllerTest, NextOnLastEntryPlaysOnThenEndStops) {
    SetPlaylist({"/m/one.mp3", "/m/two.mp3"});
    controller.PlayButtonClick();
    controller.NextButtonClick();
    const std::uint32_t channel = bass.Channel();
    controller.NextButtonClick();
    EXPECT_EQ(bass.Channel(), channel) << "the last track goes on";
    EXPECT_EQ(engine.streamCreates, 2);

    EndOfTrack();
    EXPECT_EQ(bass.Channel(), 0u);
    EXPECT_FALSE(bass.LibraryLoaded());
    EXPECT_FALSE(controller.TimerActive());
    EXPECT_EQ(view.Caption(), "Vyn Player");
    EXPECT_EQ(view.ElapsedText(), "0:00");
    EXPECT_EQ(view.TotalText(), "0:00");
    EXPECT_EQ(view.applicationTitle, "two") << "the application title keeps the last track";
    EXPECT_EQ(controller.CurrentTrack(), 1) << "play after stop starts the same entry";
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(ControllerTest, EndOfTrackAdvancesToTheNext) {
    SetPlaylist({"/m/one.mp3", "/m/two.xm"});
    controller.PlayButtonClick();
    EndOfTrack();
    EXPECT_EQ(controller.CurrentTrack(), 1);
    EXPECT_EQ(engine.musicPlays, 1);
    EXPECT_EQ(view.SeekPosition(), 0) << "the new track starts the bar afresh";
    EXPECT_EQ(view.TotalText(), "1:00");
    EXPECT_EQ(view.Caption(), "Fake Tune") << "module name, trimmed";
}

TEST_F(ControllerTest, RepeatAfterLastEntryStartsTheFirst) {
    SetPlaylist({"/m/one.mp3", "/m/two.mp3", "/m/three.mp3"});
    view.repeat->setChecked(true);
    controller.SetCurrentTrack(2);
    controller.PlayButtonClick();
    EndOfTrack();
    EXPECT_EQ(controller.CurrentTrack(), 0);
    EXPECT_STREQ(engine.lastPath, "/m/one.mp3");
    EndOfTrack();
    EXPECT_EQ(controller.CurrentTrack(), 1) << "repeat only acts at the end of the list";
}

TEST_F(ControllerTest, RandomFollowsTheGeneratorAndNeverStops) {
    std::vector<std::string> entries;
    for (int i = 0; i < 10; ++i) entries.push_back("/m/" + std::to_string(i) + ".mp3");
    SetPlaylist(entries);
    view.random->setChecked(true);
    view.repeat->setChecked(true);
    controller.Random().Seed(0);
    std::vector<int> picks;
    for (int i = 0; i < 3; ++i) {
        controller.NextButtonClick();
        picks.push_back(controller.CurrentTrack());
    }
    EXPECT_EQ(picks, (std::vector<int>{0, 0, 8}));
    controller.SetCurrentTrack(9);
    for (int i = 0; i < 20; ++i) EndOfTrack();
    EXPECT_NE(bass.Channel(), 0u) << "random play never stops at the end of the list";
}

TEST_F(ControllerTest, FailingTrackKeepsThePreviousLookAndIsReported) {
    SetPlaylist({"/m/ok.mp3", "/m/broken.mp3", "/m/after.mp3"});
    controller.PlayButtonClick();
    Guarded([&] { controller.NextButtonClick(); });
    ASSERT_EQ(ErrorTexts(), (std::vector<std::string>{"Unsupported file format."}));
    EXPECT_EQ(dialogs.Messages()[0].caption, "ok");
    EXPECT_EQ(dialogs.Messages()[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(bass.Channel(), 0u);
    EXPECT_FALSE(controller.TimerActive());
    EXPECT_EQ(controller.CurrentTrack(), 1);
    EXPECT_EQ(controller.CurrentFormat(), 1);
    EXPECT_EQ(view.TotalText(), "0:10");
    EXPECT_EQ(view.Caption(), "ok");
    EXPECT_EQ(view.SelectedRow(), 0);

    Guarded([&] { controller.PlayButtonClick(); });
    EXPECT_EQ(ErrorTexts().size(), 2u) << "play retries the same entry";
    Guarded([&] { controller.NextButtonClick(); });
    EXPECT_EQ(ErrorTexts().size(), 2u);
    EXPECT_STREQ(engine.lastPath, "/m/after.mp3");
    EXPECT_EQ(view.Caption(), "after");
}

TEST_F(ControllerTest, FailingAdvanceAtEndOfTrackLeavesTheFinishedLook) {
    SetPlaylist({"/m/ok.mp3", "/m/broken.mp3"});
    controller.PlayButtonClick();
    EndOfTrack();
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"Unsupported file format."}));
    EXPECT_EQ(view.SeekPosition(), view.SeekMaximum());
    EXPECT_EQ(view.ElapsedText(), "0:10");
    EXPECT_TRUE(bass.LibraryLoaded()) << "released at the next stop";
    controller.StopButtonClick();
    EXPECT_FALSE(bass.LibraryLoaded());
}

TEST_F(ControllerTest, EndQueuedForAReplacedChannelDoesNotAdvanceAgain) {
    SetPlaylist({"/m/one.mp3", "/m/two.mp3", "/m/three.mp3"});
    controller.PlayButtonClick();
    fake.EndChannel();             // track one ends, its message still queued...
    controller.NextButtonClick();  // ...while the user already moved on
    QCoreApplication::sendPostedEvents(&messages);
    EXPECT_EQ(controller.CurrentTrack(), 1);
    EXPECT_STREQ(engine.lastPath, "/m/two.mp3");

    fake.EndChannel();
    controller.StopButtonClick();
    QCoreApplication::sendPostedEvents(&messages);
    EXPECT_EQ(bass.Channel(), 0u) << "a stop is not undone by a late end";
    EXPECT_FALSE(bass.LibraryLoaded());
}

TEST_F(ControllerTest, SelectedRowPlaysOnDoubleClickAndEnter) {
    SetPlaylist({"/m/one.mp3", "/m/two.mp3", "/m/three.mp3"});
    controller.PlayListKeyDown(Qt::Key_Return);
    EXPECT_FALSE(bass.LibraryLoaded()) << "no selection, nothing plays";
    view.SelectRow(2);
    controller.PlayListKeyDown(Qt::Key_Space);
    EXPECT_FALSE(bass.LibraryLoaded());
    controller.PlayListKeyDown(Qt::Key_Enter);
    EXPECT_EQ(controller.CurrentTrack(), 2);
    view.SelectRow(1);
    controller.PlayListDblClick();
    EXPECT_EQ(controller.CurrentTrack(), 1);
    EXPECT_STREQ(engine.lastPath, "/m/two.mp3");
}

TEST_F(ControllerTest, UnrecognisedExtensionGoesToTheModuleLoader) {
    SetPlaylist({"/m/readme.txt"});
    controller.PlayButtonClick();
    EXPECT_EQ(engine.musicLoads, 1);
    EXPECT_EQ(engine.streamCreates, 0);
    EXPECT_EQ(controller.CurrentFormat(), 0);
}

TEST_F(ControllerTest, CurrentTrackPastTheEndRaisesListError) {
    SetPlaylist({"/m/one.mp3", "/m/two.mp3"});
    controller.PlayButtonClick();
    controller.SetCurrentTrack(5);
    Guarded([&] { controller.PlayButtonClick(); });
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"List index out of bounds (5)"}));
    EXPECT_EQ(bass.Channel(), 0u) << "the previous channel was freed first";
}

TEST_F(ControllerTest, StopFailingAtSyncRemovalKeepsDeviceAndLabels) {
    SetPlaylist({"/m/one.mp3"});
    controller.PlayButtonClick();
    engine.removeSyncFails = BASS_ERROR_HANDLE;
    Guarded([&] { controller.StopButtonClick(); });
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"Invalid handle."}));
    EXPECT_EQ(bass.Channel(), 0u);
    EXPECT_TRUE(bass.DeviceReady());
    EXPECT_EQ(view.TotalText(), "0:10");
    engine.removeSyncFails = 0;
    controller.StopButtonClick();
    EXPECT_FALSE(bass.LibraryLoaded());
}

TEST_F(ControllerTest, TimerRunsOnlyWhileATrackIsOpen) {
    SetPlaylist({"/m/one.mp3"});
    EXPECT_FALSE(controller.TimerActive());
    controller.PlayButtonClick();
    EXPECT_TRUE(controller.TimerActive());
    const int tagReads = engine.tagReads;
    engine.position = 176400 * 4;
    QTest::qWait(250);
    EXPECT_EQ(view.ElapsedText(), "0:04") << "the timer ticks by itself";
    EXPECT_EQ(engine.tagReads, tagReads) << "the title is read from the tags once per track";
    controller.StopButtonClick();
    EXPECT_FALSE(controller.TimerActive());
}

TEST_F(ControllerTest, FailingTickIsReportedAndTheTimerGoesOn) {
    SetPlaylist({"/m/one.mp3"});
    controller.PlayButtonClick();
    view.trayTipFails = true;
    QTest::qWait(150);
    ASSERT_FALSE(ErrorTexts().empty());
    EXPECT_EQ(ErrorTexts()[0], "The tray is gone.");
    EXPECT_TRUE(controller.TimerActive());
}

}  // namespace
