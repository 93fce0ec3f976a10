// Paths from outside the dialogs, into the whole player with the real engine: the command
// line's paths (files, a folder, a playlist, relative and missing ones) are added in order and
// the first added entry starts; a drop on the list appends without touching what plays.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListView>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "app/main_form.h"
#include "playback/playback_controller.h"
#include "tests/media/media.h"
#include "tests/media/recording.h"
#include "tests/media/scratch_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace {

namespace fs = std::filesystem;

class OpenPaths : public testing::Test {
  protected:
    void SetUp() override {
        if (auto missing = media::SoundServerMissing()) GTEST_SKIP() << *missing;
        form.FormCreate();
        ASSERT_TRUE(dialogs.Messages().empty());
        fs::create_directories(dir_ / "album");
        for (const char* name : {"album/x.wav", "a.wav", "listed.wav", "dropped.wav"})
            media::WriteWav(dir_ / name, tone);
        std::ofstream(dir_ / "list.xspf") << "<playlist><trackList><track><location>listed.wav"
                                             "</location></track></trackList></playlist>";
        std::ofstream(dir_ / "notes.txt") << "not music";
        previous_ = fs::current_path();
        fs::current_path(dir_);  // relative paths are taken against the working folder
    }
    void TearDown() override {
        if (!previous_.empty()) fs::current_path(previous_);
        form.Controller().StopButtonClick();
    }
    std::string P(const char* name) const { return (dir_ / name).string(); }

    media::ScratchDir scratch_{"open-paths"};
    const fs::path& dir_ = scratch_.path();
    fs::path previous_;
    ScriptedDialogs dialogs;
    TMainForm form{dialogs, MainFormOptions{std::string(VYN_BIN_DIR) + "/libbass.so", {}}};
    media::ToneSpec tone{44100, 2, 5.0, 440.0, 0.3};
};

TEST_F(OpenPaths, CommandLineAddsInOrderStartsTheFirstAddedAndNamesWhatFailed) {
    form.Playlist().Append(P("a.wav"));  // already there: the first *added* entry starts
    form.OpenPaths({"gone.ogg", "album", "./a.wav", P("list.xspf"), "notes.txt"}, true);
    EXPECT_EQ(form.Playlist().Entries(), (std::vector<std::string>{P("a.wav"), P("album/x.wav"),
                                                                   P("a.wav"), P("listed.wav")}));
    EXPECT_EQ(form.Controller().CurrentTrack(), 1);
    EXPECT_NE(form.Controller().Bass().Channel(), 0u);
    EXPECT_EQ(form.windowTitle().toStdString(), "x");
    const auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, Dialogs::Icon::Error);
    EXPECT_NE(messages[0].text.find(P("gone.ogg")), std::string::npos) << messages[0].text;
    EXPECT_NE(messages[0].text.find(P("notes.txt")), std::string::npos) << messages[0].text;
}

TEST_F(OpenPaths, NothingUsableStartsNothing) {
    form.OpenPaths({"notes.txt"}, true);
    EXPECT_EQ(form.Playlist().Count(), 0);
    EXPECT_EQ(form.Controller().Bass().Channel(), 0u);
    EXPECT_EQ(dialogs.Messages().size(), 1u);
}

TEST_F(OpenPaths, ADropAppendsWithoutInterruptingPlayback) {
    form.OpenPaths({"a.wav"}, true);
    const std::uint32_t playing = form.Controller().Bass().Channel();
    ASSERT_NE(playing, 0u);
    QWidget* list = form.findChild<QListView*>(QStringLiteral("PlayList"))->viewport();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(P("dropped.wav"))),
                  QUrl::fromLocalFile(QString::fromStdString(P("album")))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &drop);
    EXPECT_EQ(form.Playlist().Entries(),
              (std::vector<std::string>{P("a.wav"), P("dropped.wav"), P("album/x.wav")}));
    EXPECT_EQ(form.Controller().Bass().Channel(), playing);
    EXPECT_EQ(form.Controller().CurrentTrack(), 0);
    EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace
