// The tray icon in a real notification area (trayer under Xvfb, started by the test itself):
// the icon appears, comes back when the area restarts, clicks on it show and hide the main
// window, the window comes back when the area goes away while it is hidden, and the window's
// _NET_WM_STATE carries SKIP_TASKBAR exactly while hiding steps are in force. Without any
// area, under a window manager, closing iconifies the window instead.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

#include "app/tray_icon.h"
#include "app/window_hiding.h"
#include "platform/qt_message_target.h"

namespace {

QString Command(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) return "(" + program + " did not finish)";
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QString WindowProperty(const QWidget& window, const char* property) {
    return Command("xprop", {"-id", QString::number(window.winId()), property});
}

bool SkipsTaskbar(const QWidget& window) {
    return WindowProperty(window, "_NET_WM_STATE").contains("_NET_WM_STATE_SKIP_TASKBAR");
}

// Debian's trayer: a notification area that needs no window manager.
class TrayHost {
  public:
    ~TrayHost() { Stop(); }
    bool Start() {
        process_.start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "pixel",
                                  "--width", "120", "--height", "24"});
        if (!process_.waitForStarted()) return false;
        // It takes the tray selection shortly after it starts.
        return QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000);
    }
    void Stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        process_.waitForFinished(5000);
    }

  private:
    QProcess process_;
};

class TrayUnderX11 : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        ASSERT_TRUE(host.Start()) << "trayer did not start";
        QPixmap picture(22, 22);
        picture.fill(Qt::darkCyan);
        tray_menu.addAction("Выход");
        window.setWindowTitle("Vyn Player");
        window.resize(535, 480);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(tray.TrayAdd(target.Target(), kTrayIconId, QIcon(picture), "Vyn Player"));
    }
    void TearDown() override {
        tray.TrayDelete(target.Target(), kTrayIconId);
        host.Stop();
        EXPECT_TRUE(
            QTest::qWaitFor([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));
    }

    // The icon's window inside the notification area, once it is embedded and shown.
    QWidget* IconWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0 &&
                widget->isVisible())
                return widget;
        }
        return nullptr;
    }

    void Click(QWidget* icon, int button) {
        Command("xdotool", {"mousemove", "--window", QString::number(icon->winId()), "8", "8",
                            "click", QString::number(button)});
    }

    bool SkipsTaskbar() { return ::SkipsTaskbar(window); }

    TrayHost host;
    QWidget window;
    QMenu tray_menu;
    WindowHiding hiding{window, tray_menu};
    QtMessageTarget target{[this](uint32_t message, uintptr_t wparam, intptr_t lparam) {
        if (message == VYN_WM_TRAYICON) hiding.TrayIconMessage(wparam, lparam);
    }};
    TrayIcon tray;
};

TEST_F(TrayUnderX11, IconAppearsAndClicksOnItShowAndHideTheWindow) {
    QWidget* icon = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (icon = IconWindow()) != nullptr; }, 10000));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(icon));

    Click(icon, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
    Click(icon, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, 5000));

    Click(icon, 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tray_menu.isVisible(); }, 5000));
    tray_menu.hide();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(TrayUnderX11, IconComesBackWhenTheNotificationAreaRestarts) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return IconWindow() != nullptr; }, 10000));
    host.Stop();
    ASSERT_TRUE(QTest::qWaitFor([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));
    ASSERT_TRUE(host.Start());
    QWidget* icon = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (icon = IconWindow()) != nullptr; }, 10000));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(icon));
    Click(icon, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
}

TEST_F(TrayUnderX11, SkipTaskbarFollowsTheHidingAndShowingSteps) {
    QWidget* icon = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (icon = IconWindow()) != nullptr; }, 10000));
    EXPECT_FALSE(SkipsTaskbar());

    hiding.VynPlayer1Click();  // hide steps
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return SkipsTaskbar(); }, 5000));

    Click(icon, 1);  // shown again, still without a taskbar entry
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, 5000));
    QTest::qWait(200);
    EXPECT_TRUE(SkipsTaskbar());

    hiding.VynPlayer1Click();  // visible: hides again
    hiding.VynPlayer1Click();  // show steps give the entry back
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !SkipsTaskbar(); }, 5000));
}

TEST_F(TrayUnderX11, WindowHiddenWhenTheNotificationAreaGoesAwayIsShownAgain) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return IconWindow() != nullptr; }, 10000));
    hiding.HideToTray();
    ASSERT_FALSE(window.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return SkipsTaskbar(); }, 5000));
    host.Stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !SkipsTaskbar(); }, 5000));
}

// Run with a window manager and no notification area (run-under-xvfb --window-manager).
TEST(WithoutNotificationArea, ClosingIconifiesTheWindowAndKeepsItsTaskbarEntry) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    QWidget window;
    QMenu tray_menu;
    WindowHiding hiding{window, tray_menu};
    window.setWindowTitle("Vyn Player");
    window.resize(535, 480);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    hiding.HideToTray();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return WindowProperty(window, "WM_STATE").contains("Iconic"); }, 5000));
    EXPECT_TRUE(WindowProperty(window, "_NET_WM_STATE").contains("_NET_WM_STATE_HIDDEN"));
    EXPECT_FALSE(SkipsTaskbar(window));
    QTest::qWait(500);  // nothing brings it back by itself
    EXPECT_TRUE(WindowProperty(window, "WM_STATE").contains("Iconic"));
}

}  // namespace
