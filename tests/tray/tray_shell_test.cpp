// The tray icon and the hiding rules through a stand-in shell: a real main window, a real
// tray menu and the real message target; the shell's mouse events are the tray icon's own
// activation signal, as the platform emits it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/tray_icon.h"
#include "app/window_hiding.h"
#include "platform/qt_message_target.h"

namespace {

QIcon AppIcon() {
    QPixmap picture(32, 32);
    picture.fill(Qt::darkCyan);
    return QIcon(picture);
}

class TrayShellTest : public testing::Test {
  protected:
    void SetUp() override {
        tray_menu.addAction("Показать/Спрятать плеер");
        window.resize(535, 480);
        window.show();
        tray.TrayAdd(target.Target(), kTrayIconId, icon, "Vyn Player");
    }
    void TearDown() override { tray_menu.hide(); }

    // What the shell does when the mouse acts on the icon; the message goes through the
    // main window's queue.
    void Mouse(QSystemTrayIcon::ActivationReason reason) {
        auto* platform_icon = tray.findChild<QSystemTrayIcon*>();
        ASSERT_NE(platform_icon, nullptr);
        emit platform_icon->activated(reason);
        QCoreApplication::processEvents();
    }
    void Post(uintptr_t wparam, intptr_t lparam) {
        target.Target()->post(target.Target(), VYN_WM_TRAYICON, wparam, lparam);
        QCoreApplication::processEvents();
    }
    void ExpectState(bool visible, bool in_taskbar) {
        EXPECT_EQ(window.isVisible(), visible);
        EXPECT_EQ(hiding.InTaskbar(), in_taskbar);
    }

    QIcon icon = AppIcon();
    QWidget window;
    QMenu tray_menu;
    bool tray_here = true;  // whether the stand-in shell has a notification area
    WindowHiding hiding{window, tray_menu, [this] { return tray_here; }};
    int tray_messages = 0;
    QtMessageTarget target{[this](uint32_t message, uintptr_t wparam, intptr_t lparam) {
        if (message != VYN_WM_TRAYICON) return;
        ++tray_messages;
        hiding.TrayIconMessage(wparam, lparam);
    }};
    TrayIcon tray;
};

TEST_F(TrayShellTest, TipStartsAsTheProgramsNameAndKeepsTheLastTextWritten) {
    EXPECT_TRUE(tray.Present());
    EXPECT_EQ(tray.Tip(), "Vyn Player");
    tray.TrayModify(target.Target(), kTrayIconId, icon, std::string(70, 'x'));
    EXPECT_EQ(tray.Tip(), std::string(63, 'x'));
    tray.TrayModify(target.Target(), kTrayIconId, icon, "Song (0:01/3:00)");
    EXPECT_EQ(tray.Tip(), "Song (0:01/3:00)");
    EXPECT_EQ(tray.findChild<QSystemTrayIcon*>()->toolTip(), "Song (0:01/3:00)");
}

TEST_F(TrayShellTest, NonAsciiTipReachesTheIconAsText) {
    tray.TrayModify(target.Target(), kTrayIconId, icon, "Кино - Группа крови (0:01/4:46)");
    EXPECT_EQ(tray.findChild<QSystemTrayIcon*>()->toolTip(),
              QString::fromUtf8("Кино - Группа крови (0:01/4:46)"));
}

TEST_F(TrayShellTest, DeleteRemovesTheIconOnlyForItsOwnIdAndModifyThenDoesNothing) {
    tray.TrayDelete(target.Target(), kTrayIconId + 1);
    EXPECT_TRUE(tray.Present());
    tray.TrayDelete(target.Target(), kTrayIconId);
    EXPECT_FALSE(tray.Present());
    EXPECT_FALSE(tray.findChild<QSystemTrayIcon*>()->isVisible());
    EXPECT_FALSE(tray.TrayModify(target.Target(), kTrayIconId, icon, "late"));
    EXPECT_EQ(tray.Tip(), "Vyn Player");
}

TEST_F(TrayShellTest, LeftClickTogglesTheWindowWithItsTaskbarEntry) {
    ExpectState(true, true);
    Mouse(QSystemTrayIcon::Trigger);
    EXPECT_EQ(tray_messages, 1);
    ExpectState(false, false);
    Mouse(QSystemTrayIcon::Trigger);
    ExpectState(true, true);
}

TEST_F(TrayShellTest, LeftClickShowsAMinimisedHiddenWindowAsANormalOne) {
    window.showMinimized();
    Mouse(QSystemTrayIcon::Trigger);  // a minimised window is visible: this hides it
    ExpectState(false, false);
    Mouse(QSystemTrayIcon::Trigger);
    ExpectState(true, true);
    EXPECT_FALSE(window.isMinimized());
}

TEST_F(TrayShellTest, RightButtonOpensTheTrayMenuAtThePointer) {
    QCursor::setPos(200, 150);
    Mouse(QSystemTrayIcon::Context);
    ASSERT_TRUE(tray_menu.isVisible());
    EXPECT_EQ(tray_menu.pos(), QCursor::pos());
    ExpectState(true, true);
}

TEST_F(TrayShellTest, DoubleClickIsTwoClicksAndLeavesTheWindowAsItWas) {
    Mouse(QSystemTrayIcon::Trigger);
    Mouse(QSystemTrayIcon::DoubleClick);
    ExpectState(true, true);
    EXPECT_EQ(tray_messages, 3);
}

TEST_F(TrayShellTest, OtherMouseEventsAndOtherIconsAreIgnored) {
    Mouse(QSystemTrayIcon::MiddleClick);
    Post(kTrayIconId, kTrayLeftDoubleClick);
    Post(kTrayIconId, 0x200);  // movement
    Post(kTrayIconId, 0x201);  // left button down
    Post(kTrayIconId, 0x205);  // right button up
    Post(kTrayIconId + 1, kTrayLeftButtonUp);
    Post(kTrayIconId + 1, kTrayRightButtonDown);
    ExpectState(true, true);
    EXPECT_FALSE(tray_menu.isVisible());
}

TEST_F(TrayShellTest, MenuItemHidesWithTheTaskbarEntryAndShowsItBackActive) {
    hiding.VynPlayer1Click();
    ExpectState(false, false);
    hiding.VynPlayer1Click();
    ExpectState(true, true);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST_F(TrayShellTest, AfterHidingStepsALeftClickShowsTheWindowWithoutATaskbarEntry) {
    hiding.VynPlayer1Click();
    Mouse(QSystemTrayIcon::Trigger);
    ExpectState(true, false);
    Mouse(QSystemTrayIcon::Trigger);
    ExpectState(false, false);
    Mouse(QSystemTrayIcon::Trigger);
    ExpectState(true, false);
    hiding.VynPlayer1Click();  // visible: hides again, the entry stays away
    ExpectState(false, false);
    hiding.VynPlayer1Click();  // only the show steps give the entry back
    ExpectState(true, true);
    Mouse(QSystemTrayIcon::Trigger);
    ExpectState(false, false);
    Mouse(QSystemTrayIcon::Trigger);
    ExpectState(true, true);
}

TEST_F(TrayShellTest, HidingOnCloseTakesTheTaskbarEntryAlong) {
    hiding.HideToTray();
    ExpectState(false, false);
    Mouse(QSystemTrayIcon::Trigger);
    ExpectState(true, false);
    hiding.HideToTray();
    hiding.VynPlayer1Click();
    ExpectState(true, true);
}

TEST_F(TrayShellTest, WithoutNotificationAreaClosingMinimisesAndKeepsTheTaskbarEntry) {
    tray_here = false;
    hiding.HideToTray();
    ExpectState(true, true);
    EXPECT_TRUE(window.isMinimized());
    QTest::qWait(400);  // the window is not hidden, so nothing brings it forward
    EXPECT_TRUE(window.isMinimized());
}

// However the window went out of sight, a notification area that goes away gives it back
// with its taskbar entry; while the area stays, the window stays hidden.
TEST_F(TrayShellTest, NotificationAreaGoingAwayWhileHiddenShowsTheWindow) {
    const std::vector<std::function<void()>> hide_ways = {
        [&] { hiding.HideToTray(); },
        [&] { hiding.VynPlayer1Click(); },
        [&] { Mouse(QSystemTrayIcon::Trigger); },
    };
    for (size_t way = 0; way < hide_ways.size(); ++way) {
        SCOPED_TRACE(way);
        tray_here = true;
        hide_ways[way]();
        ASSERT_FALSE(window.isVisible());
        QTest::qWait(400);
        EXPECT_FALSE(window.isVisible());
        tray_here = false;
        EXPECT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, 5000));
        ExpectState(true, true);
        EXPECT_FALSE(window.isMinimized());
    }
}

TEST(TrayWithoutNotificationArea, IconCallsDoNothingHarmful) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());  // the offscreen platform has none
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    TrayIcon tray;
    QtMessageTarget target{[](uint32_t, uintptr_t, intptr_t) {}};
    EXPECT_FALSE(tray.TrayAdd(target.Target(), kTrayIconId, QIcon(picture), "Vyn Player"));
    EXPECT_FALSE(tray.TrayModify(target.Target(), kTrayIconId, QIcon(picture), "Song"));
    EXPECT_EQ(tray.Tip(), "Song");
    EXPECT_FALSE(tray.TrayDelete(target.Target(), kTrayIconId));
    EXPECT_FALSE(tray.Present());
}

}  // namespace
