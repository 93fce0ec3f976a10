// Every button and menu item reaches its handler: a button and a menu item bound to one
// handler do the same thing. Observed through what each handler does first (the dialog it
// opens, the list it changes, the window it hides).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "app/about_box.h"
#include "app/main_form.h"
#include "app/window_hiding.h"
#include "tests/support/scripted_dialogs.h"

namespace {

class Bindings : public testing::Test {
  protected:
    ScriptedDialogs dialogs;
    TMainForm form{dialogs, MainFormOptions{std::string(VYN_BIN_DIR) + "/no-engine-here.so", {}}};

    void Trigger(const char* item) {
        auto* action = form.findChild<QAction*>(QString::fromLatin1(item));
        ASSERT_NE(action, nullptr) << item;
        action->trigger();
    }
    void Click(const char* button) {
        auto* b = form.findChild<QAbstractButton*>(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }
    std::string LastAsked() const { return dialogs.asked.empty() ? "" : dialogs.asked.back().kind; }
};

TEST_F(Bindings, AddItemsOpenTheirDialogs) {
    for (const char* item : {"AddFile", "N9"}) {
        dialogs.openAnswers.push_back(std::nullopt);
        Trigger(item);
        EXPECT_EQ(LastAsked(), "open") << item;
        EXPECT_EQ(dialogs.asked.back().options.title, "Open music(s)");
    }
    for (const char* item : {"AddDir", "N10"}) {
        dialogs.folderAnswers.push_back(std::nullopt);
        Trigger(item);
        EXPECT_EQ(LastAsked(), "folder") << item;
        EXPECT_EQ(dialogs.asked.back().caption, "Выберите папку с файлами");
    }
}

TEST_F(Bindings, PlaylistButtonsLoadAndSave) {
    dialogs.openAnswers.push_back(std::nullopt);
    Click("Button1");
    EXPECT_EQ(LastAsked(), "open");
    dialogs.saveAnswers.push_back(std::nullopt);
    Click("Button2");
    EXPECT_EQ(LastAsked(), "save");
}

TEST_F(Bindings, RemoveAndClearItems) {
    form.Playlist().Append(std::vector<std::string>{"/a.mp3", "/b.mp3", "/c.mp3", "/d.mp3"});
    form.SelectRow(1);
    Trigger("N12");
    EXPECT_EQ(form.Playlist().Entries(), (std::vector<std::string>{"/a.mp3", "/c.mp3", "/d.mp3"}));
    form.SelectRow(0);
    Trigger("N14");
    EXPECT_EQ(form.Playlist().Entries(), (std::vector<std::string>{"/c.mp3", "/d.mp3"}));
    Trigger("N15");
    EXPECT_EQ(form.Playlist().Count(), 0);
    form.Playlist().Append("/e.mp3");
    Trigger("N11");
    EXPECT_EQ(form.Playlist().Count(), 0);
}

TEST_F(Bindings, PlayWithAnEmptyListOpensTheAddMenuFromButtonAndTrayItem) {
    Click("PlayButton");
    EXPECT_TRUE(form.Menus().PopupMenu1->isVisible());
    form.Menus().PopupMenu1->hide();
    Trigger("N2");
    EXPECT_TRUE(form.Menus().PopupMenu1->isVisible());
    form.Menus().PopupMenu1->hide();
    Click("AddButton");
    EXPECT_TRUE(form.Menus().PopupMenu1->isVisible());
    form.Menus().PopupMenu1->hide();
    Click("ClearButton");
    EXPECT_TRUE(form.Menus().PopupMenu3->isVisible());
    form.Menus().PopupMenu3->hide();
}

// An engine that can't be loaded: each transport control that plays reports the error
// through the error report, whose caption is the application title.
TEST_F(Bindings, PlayingControlsReportEngineFailures) {
    form.Playlist().Append("/x.mp3");
    Trigger("N2");
    Click("PlayButton");
    const auto shown = dialogs.Messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "Vyn Player");
    EXPECT_EQ(shown[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(shown[0].text.rfind("System Error.  Code: ", 0), 0u) << shown[0].text;
    // Stop, pause and previous with nothing open do nothing and report nothing.
    for (const char* b : {"StopButton", "PauseButton", "PrevButton"}) Click(b);
    for (const char* item : {"N1", "N3", "N5"}) Trigger(item);
    EXPECT_EQ(dialogs.Messages().size(), 2u);
    // Next moves on and tries the entry, from the button and the tray item alike.
    form.Playlist().Append("/y.mp3");
    Click("NextButton");
    Trigger("N4");
    EXPECT_EQ(dialogs.Messages().size(), 4u);
}

TEST_F(Bindings, ShowHideItemHidesAndShowsTheWindow) {
    form.show();
    Trigger("VynPlayer1");
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Hiding().InTaskbar());
    Trigger("VynPlayer1");
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.Hiding().InTaskbar());
    form.hide();
}

TEST_F(Bindings, AboutButtonShowsTheBoxModallyAndEnterClosesIt) {
    TAboutBox about(&form);
    form.SetAboutBox(&about);
    bool wasModal = false;
    QTimer::singleShot(50, [&] {
        wasModal = about.isVisible() && QApplication::activeModalWidget() == &about;
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&about, &enter);
    });
    Click("AboutButton");  // returns once the box is closed
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(about.isVisible());
    // Shown again, it is the same box, closed by its OK button.
    QTimer::singleShot(50, [&] { about.findChild<QPushButton*>("OKButton")->click(); });
    Click("AboutButton");
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
