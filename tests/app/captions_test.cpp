// The whole player with the real engine and a private sound server: every kind of file shows
// the right title in the caption, the application title and the tray tip while it plays,
// and stopping brings the window back to the product name and "0:00" / "0:00".
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <cstdlib>
#include <filesystem>

#include "app/main_form.h"
#include "app/tray_icon.h"
#include "platform/display_text.h"
#include "playback/playback_controller.h"
#include "tests/media/media.h"
#include "tests/media/recording.h"
#include "tests/media/scratch_dir.h"
#include "tests/support/encode_text.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/wait_until.h"

namespace {

namespace fs = std::filesystem;

class Captions : public testing::Test {
  protected:
    void SetUp() override {
        if (auto missing = media::SoundServerMissing()) GTEST_SKIP() << *missing;
        form.FormCreate();  // the mixer and the tray icon as at start-up
        ASSERT_TRUE(dialogs.Messages().empty()) << dialogs.Messages().front().text;
    }

    // Plays the one entry and returns the caption once the timer has ticked.
    std::string PlayAndCaption(const fs::path& file) {
        form.Playlist().Append(file.string());
        form.SelectRow(form.Playlist().Count() - 1);
        form.Controller().PlaySelected();
        EXPECT_TRUE(form.Controller().TimerActive());
        // A few ticks so the tray tip is written as well.
        WaitUntil([&] { return form.Tray().Tip() != "Vyn Player"; }, 2000);
        return form.windowTitle().toStdString();
    }

    // One folder per test process: CTest runs the tests side by side.
    media::ScratchDir scratch_{"captions"};
    const fs::path& dir_ = scratch_.path();
    ScriptedDialogs dialogs;
    TMainForm form{dialogs, MainFormOptions{std::string(VYN_BIN_DIR) + "/libbass.so", {}}};
    media::ToneSpec tone{};
};

TEST_F(Captions, Id3v23TagGivesArtistAndTitle) {
    media::MpegOptions options;
    options.leadingTag =
        media::Id3v2Tag({3, {media::TextFrame("TPE1", "Band"), media::TextFrame("TIT2", "Song")}});
    options.trailingTag = media::Id3v1Tag({"Other", "Tag"});
    const auto file = media::WriteMp3(dir_ / "v23.mp3", tone, options);
    EXPECT_EQ(PlayAndCaption(file.path), "Band - Song");
    EXPECT_EQ(form.ApplicationTitle(), "Band - Song");
    EXPECT_EQ(form.Tray().Tip().rfind("Band - Song (", 0), 0u) << form.Tray().Tip();
    // A screen reader hears the times the labels show while the track plays.
    for (const char* label : {"CurTmLb", "TotTmLb"}) {
        auto* shown = form.findChild<QLabel*>(QLatin1String(label));
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(shown)->text(QAccessible::Name),
                  shown->text());
    }
    // For a reviewer: the window while a track plays.
    const QString shots = QStringLiteral(VYN_TEST_TMP "/screenshots");
    QDir().mkpath(shots);
    EXPECT_TRUE(form.grab().save(shots + QStringLiteral("/main-window-playing.png")));
}

TEST_F(Captions, Id3v24TagWithExtendedHeaderAndFooter) {
    media::Id3v2Spec tag{4, {media::TextFrame("TIT2", "Четыре")}};
    tag.extendedHeader = true;
    tag.footer = true;
    media::MpegOptions options;
    options.leadingTag = media::Id3v2Tag(tag);
    const auto file = media::WriteMp3(dir_ / "v24.mp3", tone, options);
    EXPECT_EQ(PlayAndCaption(file.path), "Четыре");
}

TEST_F(Captions, Id3v1AloneWhenNoUsableId3v2) {
    media::MpegOptions options;
    options.trailingTag = media::Id3v1Tag({"Title One", "Artist One"});
    const auto file = media::WriteMp3(dir_ / "v1.mp3", tone, options);
    EXPECT_EQ(PlayAndCaption(file.path), "Artist One - Title One");
}

TEST_F(Captions, OggCommentsAndWavFileNameAndModuleName) {
    const auto ogg = media::WriteOgg(dir_ / "comments.ogg", tone,
                                     {{{"ARTIST", "Ogg Band"}, {"TITLE", "Ogg Song"}}});
    EXPECT_EQ(PlayAndCaption(ogg.path), "Ogg Band - Ogg Song");
    const auto wav = media::WriteWav(dir_ / "take.two.WAV", tone);
    EXPECT_EQ(PlayAndCaption(wav.path), "take.two");
    media::ModuleSpec spec;
    spec.name = "  Space Tune  ";
    const auto xm = media::WriteXm(dir_ / "tune.xm", spec);
    EXPECT_EQ(PlayAndCaption(xm.path), "Space Tune");
}

// Tags and names written in single-byte sets before UTF-8: each shows as its own text in the
// caption, the application title and the tray tip, while the bytes kept stay as written.
TEST_F(Captions, LegacyEightBitTextShowsAsWritten) {
    enum class Source { Id3v1, Id3v23, FileName };
    const struct {
        Source source;
        const char* charset;
        const char* artist;
        const char* title;
    } cases[] = {
        {Source::Id3v1, "CP1251", "Кино", "Группа крови"},
        {Source::Id3v1, "KOI8-R", "ДДТ", "Что такое осень"},
        {Source::Id3v1, "CP866", "Аквариум", "Город золотой"},
        {Source::Id3v23, "CP1251", "Наутилус Помпилиус", "Крылья"},
        {Source::Id3v23, "ISO-8859-1", "Motörhead", "Ace of Spades"},
        {Source::Id3v23, "CP1252", "Guns N’ Roses", "Sweet Child o’ Mine – Live"},
        {Source::FileName, "CP1251", "Кино", "Кукушка"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const auto artist = EncodeText(c.artist, c.charset);
        const auto title = EncodeText(c.title, c.charset);
        ASSERT_TRUE(artist && title) << c.title;
        const QString shown = QString::fromUtf8(c.artist) + " - " + QString::fromUtf8(c.title);
        const fs::path mp3 = dir_ / ("legacy-" + std::to_string(++n) + ".mp3");
        fs::path file;
        media::MpegOptions options;
        switch (c.source) {
            case Source::Id3v1:
                options.trailingTag = media::Id3v1Tag({*title, *artist});
                file = media::WriteMp3(mp3, tone, options).path;
                break;
            case Source::Id3v23:
                options.leadingTag = media::Id3v2Tag(
                    {3, {media::TextFrame("TPE1", *artist), media::TextFrame("TIT2", *title)}});
                file = media::WriteMp3(mp3, tone, options).path;
                break;
            case Source::FileName:
                file = media::WriteWav(dir_ / (*artist + " - " + *title + ".wav"), tone).path;
                break;
        }
        SCOPED_TRACE(shown.toStdString());
        EXPECT_EQ(QString::fromStdString(PlayAndCaption(file)), shown);
        EXPECT_EQ(form.ApplicationTitle(), *artist + " - " + *title);
        EXPECT_EQ(DisplayText(form.ApplicationTitle()), shown);
        const QString tipStart = shown + QStringLiteral(" (");
        EXPECT_TRUE(WaitUntil([&] { return form.Tray().ShownTip().startsWith(tipStart); }, 2000))
            << form.Tray().ShownTip().toStdString();
        EXPECT_EQ(form.Playlist().Entries().back(), file.string());
        form.Controller().StopButtonClick();
    }
}

TEST_F(Captions, StopRestoresTheProductNameButKeepsTheApplicationTitleAndTip) {
    const auto wav = media::WriteWav(dir_ / "kept.wav", tone);
    EXPECT_EQ(PlayAndCaption(wav.path), "kept");
    const std::string tip = form.Tray().Tip();
    form.Controller().StopButtonClick();
    EXPECT_EQ(form.windowTitle().toStdString(), "Vyn Player");
    EXPECT_EQ(form.ElapsedText(), "0:00");
    EXPECT_EQ(form.TotalText(), "0:00");
    EXPECT_EQ(form.ApplicationTitle(), "kept");
    EXPECT_FALSE(form.Controller().TimerActive());
    EXPECT_EQ(form.Tray().Tip(), tip);
}

}  // namespace
