// The main window's behaviour of its own: closing (every row of the close table with every
// answer), the exit sequence, message routing across threads, and the error report.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QToolButton>
#include <cstdlib>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "app/main_form.h"
#include "app/tray_icon.h"
#include "app/window_hiding.h"
#include "platform/error_report.h"
#include "platform/qt_message_target.h"
#include "playback/playback_controller.h"
#include "tests/media/scoped_env.h"
#include "tests/support/scripted_dialogs.h"
#include "volume/master_volume.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class Closing : public testing::Test {
  protected:
    ScriptedDialogs dialogs;
    int quitCalls = 0;
    bool trayHere = true;
    TMainForm form{dialogs, MainFormOptions{{}, [this] { ++quitCalls; }}};
    void SetUp() override {
        form.Hiding().SetTrayAvailability([this] { return trayHere; });
    }

    QCheckBox* HideBox() { return form.findChild<QCheckBox*>(QStringLiteral("HideBox")); }
    int Questions() const {
        int n = 0;
        for (const auto& a : dialogs.asked) n += a.kind == "question";
        return n;
    }
};

// HideBox checked, window visible: hides without a question and keeps running.
TEST_F(Closing, HideBoxCheckedAndVisibleHidesWithoutAsking) {
    HideBox()->setChecked(true);
    form.show();
    EXPECT_FALSE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Questions(), 0);
    EXPECT_FALSE(form.ExitSequenceRan());
    EXPECT_EQ(quitCalls, 0);
}

// Without a notification area there would be no way back: the window is minimised instead
// and keeps its taskbar entry.
TEST_F(Closing, HideBoxWithoutNotificationAreaMinimisesInTheTaskbar) {
    trayHere = false;
    HideBox()->setChecked(true);
    form.show();
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.isMinimized());
    EXPECT_TRUE(form.Hiding().InTaskbar());
    EXPECT_EQ(Questions(), 0);
    EXPECT_EQ(quitCalls, 0);
    form.hide();
}

struct AskCase {
    bool hideBox;
    bool visible;
    bool answerYes;
};

class ClosingAsks : public Closing, public testing::WithParamInterface<AskCase> {};

// Every other row asks; Yes runs the exit sequence, any other answer changes nothing.
TEST_P(ClosingAsks, AsksAndOnlyYesExits) {
    const AskCase c = GetParam();
    HideBox()->setChecked(c.hideBox);
    if (c.visible) form.show();
    dialogs.yesNoAnswers.push_back(c.answerYes);
    const bool closed = form.close();
    ASSERT_EQ(Questions(), 1);
    const auto& question = dialogs.asked.back();
    EXPECT_EQ(question.text, "Вы действительно хотите выйти ?");
    EXPECT_EQ(question.caption, "Vyn Player");
    EXPECT_EQ(closed, c.answerYes);
    EXPECT_EQ(form.ExitSequenceRan(), c.answerYes);
    EXPECT_EQ(quitCalls, c.answerYes ? 1 : 0);
    if (!c.answerYes) {
        EXPECT_EQ(form.isVisible(), c.visible);
    }
    form.hide();
}

// A "No" stands for both the No button and closing the dialog by its title bar or Escape:
// the dialog layer reports every answer other than Yes as false.
INSTANTIATE_TEST_SUITE_P(EveryRowAndAnswer, ClosingAsks,
                         testing::Values(AskCase{true, false, true}, AskCase{true, false, false},
                                         AskCase{false, true, true}, AskCase{false, true, false},
                                         AskCase{false, false, true},
                                         AskCase{false, false, false}));

TEST_F(Closing, ExitMenuItemClosesLikeTheTitleBar) {
    HideBox()->setChecked(true);
    form.show();
    form.N7Click();  // visible: hides
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Questions(), 0);
    dialogs.yesNoAnswers.push_back(false);
    form.N7Click();  // hidden now: asks
    EXPECT_EQ(Questions(), 1);
    EXPECT_FALSE(form.ExitSequenceRan());
}

TEST_F(Closing, QuestionCaptionIsTheApplicationTitleOfThatMoment) {
    form.SetApplicationTitle("Band - Song");
    form.SetCaption("Vyn Player");
    dialogs.yesNoAnswers.push_back(false);
    form.close();
    ASSERT_EQ(Questions(), 1);
    EXPECT_EQ(dialogs.asked.back().caption, "Band - Song");
}

// Start-up on a machine without a sound server: the warning comes once, before the window
// is shown, and everything else is in place; the exit then removes the tray icon.
TEST(StartUp, WithoutASoundServerWarnsOnceAndCarriesOn) {
    std::optional<ScopedEnv> noServer(std::in_place, "PULSE_SERVER",
                                      "unix:/nonexistent/vyn-no-server");
    ScriptedDialogs dialogs;
    int quitCalls = 0;
    TMainForm form(dialogs, MainFormOptions{{}, [&] { ++quitCalls; }});
    form.FormCreate();
    noServer.reset();

    const auto shown = dialogs.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Микшер не найден !");
    EXPECT_EQ(shown[0].caption, "Vyn Player");
    EXPECT_EQ(shown[0].icon, Dialogs::Icon::None);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_TRUE(form.Tray().Present());
    EXPECT_EQ(form.Tray().Tip(), "Vyn Player");
    EXPECT_FALSE(form.Volume().MixerAvailable());

    auto* bar = form.findChild<QProgressBar*>(QStringLiteral("VolumeBar"));
    form.findChild<QToolButton*>(QStringLiteral("cmdMaxVolume"))->click();
    EXPECT_EQ(bar->value(), 0);  // inert volume controls
    EXPECT_EQ(bar->maximum(), 100);

    dialogs.yesNoAnswers.push_back(true);
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(form.ExitSequenceRan());
    EXPECT_FALSE(form.Tray().Present());
    EXPECT_EQ(quitCalls, 1);
    EXPECT_EQ(dialogs.Messages().size(), 1u);  // the exit reported nothing
}

// Delivery of posted messages: from any thread, on the UI thread, by number.
TEST(MessageTarget, PostFromAnotherThreadIsDeliveredOnTheUiThread) {
    std::vector<std::pair<uint32_t, std::thread::id>> seen;
    QtMessageTarget target([&](uint32_t m, uintptr_t w, intptr_t l) {
        EXPECT_EQ(w, 7u);
        EXPECT_EQ(l, -3);
        seen.emplace_back(m, std::this_thread::get_id());
    });
    MessageTarget* c = target.Target();
    std::thread poster([c] {
        for (uint32_t m : {0x400u, 0x3D1u, 0x464u}) c->post(c, m, 7, -3);
    });
    poster.join();
    EXPECT_TRUE(seen.empty());  // nothing runs on the posting thread
    QElapsedTimer timer;
    timer.start();
    while (seen.size() < 3 && timer.elapsed() < 5000) QCoreApplication::processEvents();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].first, 0x400u);
    EXPECT_EQ(seen[1].first, 0x3D1u);
    EXPECT_EQ(seen[2].first, 0x464u);
    for (const auto& s : seen) EXPECT_EQ(s.second, std::this_thread::get_id());
}

TEST(MessageRouting, UnknownNumbersAreIgnored) {
    ScriptedDialogs dialogs;
    TMainForm form(dialogs, MainFormOptions{});
    MessageTarget* target = form.Target();
    for (uint32_t m : {0u, 0x401u, 0x3D0u, 0x465u, 0xFFFFFFFFu}) target->post(target, m, 1, 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(form.windowTitle(), U("Vyn Player"));
}

// A screen reader reads what the labels and the caption show, whatever they showed before.
TEST(Accessibility, TextsThatChangeAreReadAsShown) {
    ScriptedDialogs dialogs;
    TMainForm form(dialogs, MainFormOptions{});
    form.show();
    struct Change {
        const char* control;  // nullptr: the window itself
        std::function<void()> set;
        const char* shown;
    };
    const std::vector<Change> changes = {
        {"CurTmLb", [&] { form.SetElapsedText("1:23"); }, "1:23"},
        {"CurTmLb", [&] { form.SetElapsedText("12:05"); }, "12:05"},
        {"TotTmLb", [&] { form.SetTotalText("1:02:03"); }, "1:02:03"},
        {nullptr, [&] { form.SetCaption("Кино - Группа крови"); }, "Кино - Группа крови"},
        {"CurTmLb", [&] { form.Controller().FreeAllBASS(); }, "0:00"},
        {"TotTmLb", [] {}, "0:00"},
        {nullptr, [] {}, "Vyn Player"},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.shown);
        QObject* control = c.control ? form.findChild<QWidget*>(QLatin1String(c.control))
                                     : static_cast<QObject*>(&form);
        ASSERT_NE(control, nullptr);
        c.set();
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(QAccessible::Name), U(c.shown));
    }
    form.SetSeekMaximum(1000);
    form.SetSeekPosition(250);
    QAccessibleInterface* seek =
        QAccessible::queryAccessibleInterface(form.findChild<QWidget*>(QStringLiteral("ProgrBar")));
    ASSERT_TRUE(seek && seek->valueInterface());
    EXPECT_EQ(seek->valueInterface()->currentValue().toInt(), 250);
    form.hide();
}

TEST(ErrorReportText, FullStopIsAppendedOnlyAfterCharactersAboveIt) {
    EXPECT_EQ(ErrorReport::BoxText("Can't open the file"), "Can't open the file.");
    EXPECT_EQ(ErrorReport::BoxText("Sorry, BASS version 1.8 required."),
              "Sorry, BASS version 1.8 required.");
    EXPECT_EQ(ErrorReport::BoxText(""), "");
    EXPECT_EQ(ErrorReport::BoxText("List index out of bounds (3)"),
              "List index out of bounds (3)");  // ')' sorts below '.'
    EXPECT_EQ(ErrorReport::BoxText("ends in a blank "), "ends in a blank ");
    EXPECT_EQ(ErrorReport::BoxText("ends in a slash/"), "ends in a slash/.");
    EXPECT_EQ(ErrorReport::BoxText("ends in a digit 5"), "ends in a digit 5.");
    EXPECT_EQ(ErrorReport::BoxText("Ошибка"), "Ошибка.");  // UTF-8 bytes sort above '.'
}

TEST(ErrorReportGuard, ReportsWithTheTitleOfThatMomentAndCarriesOn) {
    ScriptedDialogs dialogs;
    std::string title = "Vyn Player";
    ErrorReport report(dialogs, [&] { return title; });
    bool after = false;
    report.Guard([] { throw std::runtime_error("Invalid handle"); });
    title = "Band - Song";
    report.Guard([] { throw 42; });
    report.Guard([&] { after = true; });
    EXPECT_TRUE(after);
    const auto shown = dialogs.Messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "Vyn Player");
    EXPECT_EQ(shown[0].text, "Invalid handle.");
    EXPECT_EQ(shown[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(shown[1].caption, "Band - Song");
}

}  // namespace
