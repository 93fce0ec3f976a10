// The main window and the about box as built from their layouts: names, kinds, captions,
// hints, geometry, focus behaviour and menus. Screenshots land under the build folder.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include "app/about_box.h"
#include "app/main_form.h"
#include "tests/support/scripted_dialogs.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct ControlRow {
    const char* name;
    const char* kind;  // Qt class name
    int x, y, w, h;
    const char* caption;  // nullptr: no caption
    const char* hint;     // nullptr: no hint
};

// Every control of the bottom panel, relative to the panel.
const ControlRow kBottomPanel[] = {
    {"ProgrBar", "QScrollBar", 8, 8, 409, 12, nullptr, nullptr},
    {"CurTmLb", "QLabel", 438, 8, 21, 13, "0:00", nullptr},
    {"Label3", "QLabel", 459, 8, 5, 13, "/", nullptr},
    {"TotTmLb", "QLabel", 464, 8, 21, 13, "0:00", nullptr},
    {"PrevButton", "QToolButton", 8, 30, 33, 33, "< |", "Предыдущая"},
    {"PlayButton", "QToolButton", 48, 30, 33, 33, "[ >", "Играть"},
    {"PauseButton", "QToolButton", 88, 30, 33, 33, "|| >", "Пауза"},
    {"StopButton", "QToolButton", 128, 30, 33, 33, "[ ]", "Стоп"},
    {"NextButton", "QToolButton", 168, 30, 33, 33, "| >", "Следующая"},
    {"Bevel1", "QFrame", 204, 29, 5, 34, nullptr, nullptr},
    {"AddButton", "QToolButton", 209, 30, 33, 33, "+", "Добавить"},
    {"ClearButton", "QToolButton", 249, 30, 32, 33, "-", "Очистить"},
    {"RepeatBox", "QCheckBox", 288, 32, 73, 17, "Повторять", "Песни будут повторятся "},
    {"RandomBox", "QCheckBox", 288, 48, 113, 17, "Случайный выбор",
     "Песни выбираются в случайном порядке"},
    {"HideBox", "QCheckBox", 368, 32, 105, 17, "Спрятать плеер", nullptr},
    {"AboutButton", "QToolButton", 480, 29, 34, 33, "?", "О программе"},
    {"cmdMinVolume", "QToolButton", 8, 80, 23, 33, "<<<", "Тише"},
    {"Label1", "QLabel", 32, 72, 55, 13, "Громкость", nullptr},
    {"VolumeBar", "QProgressBar", 32, 88, 463, 17, nullptr, "Громкость"},
    {"cmdMaxVolume", "QToolButton", 496, 80, 25, 33, ">>>", "Громче"},
};

QString CaptionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

class MainWindowLayout : public testing::Test {
  protected:
    ScriptedDialogs dialogs;
    TMainForm form{dialogs, MainFormOptions{}};

    template <typename T = QWidget>
    T* Child(const char* name) {
        T* w = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

TEST_F(MainWindowLayout, BottomPanelControlsMatchTheirRows) {
    QWidget* panel = Child("Panel1");
    for (const ControlRow& row : kBottomPanel) {
        SCOPED_TRACE(row.name);
        QWidget* w = Child(row.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(), panel);
        EXPECT_TRUE(w->inherits(row.kind)) << w->metaObject()->className();
        const QRect designed(row.x, row.y, row.w, row.h);
        // The time labels size themselves to their text: one edge and the top stay put.
        if (row.name == std::string("CurTmLb")) {
            EXPECT_EQ(w->geometry().right(), designed.right());
            EXPECT_EQ(w->y(), designed.y());
        } else if (row.name == std::string("TotTmLb")) {
            EXPECT_EQ(w->geometry().topLeft(), designed.topLeft());
        } else {
            EXPECT_EQ(w->geometry(), designed);
        }
        if (row.caption) {
            EXPECT_EQ(CaptionOf(w), U(row.caption));
        }
        EXPECT_EQ(w->toolTip(), row.hint ? U(row.hint) : QString());
    }
}

TEST_F(MainWindowLayout, SpeedButtonsNeverTakeFocusAndOnlyVolumeButtonsAreFlat) {
    for (QToolButton* b : form.findChildren<QToolButton*>()) {
        SCOPED_TRACE(b->objectName().toStdString());
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
        const bool volume = b->objectName().startsWith(QStringLiteral("cmd"));
        EXPECT_EQ(b->autoRaise(), volume);
    }
    EXPECT_EQ(Child("ProgrBar")->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(Child<QToolButton>("AddButton")->font().pointSize(), 12);
    EXPECT_EQ(Child<QToolButton>("ClearButton")->font().pointSize(), 12);
}

TEST_F(MainWindowLayout, TopPanelAndListAndTabOrder) {
    QWidget* top = Child("Panel2");
    auto* load = Child<QPushButton>("Button1");
    auto* save = Child<QPushButton>("Button2");
    EXPECT_EQ(load->parentWidget(), top);
    EXPECT_EQ(load->geometry(), QRect(8, 8, 113, 25));
    EXPECT_EQ(load->text(), U("Загрузить плейлист"));
    EXPECT_EQ(save->geometry(), QRect(128, 8, 121, 25));
    EXPECT_EQ(save->text(), U("Сохранить плейлист"));
    auto* list = Child<QListView>("PlayList");
    EXPECT_EQ(list->toolTip(), U("Список воспроизводимых файлов"));
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);

    // Bottom panel (its check boxes), then the list, then the top panel's buttons.
    const char* order[] = {"RepeatBox", "RandomBox", "HideBox", "PlayList", "Button1", "Button2"};
    auto nextTabStop = [](QWidget* w) {
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(nextTabStop(Child(order[i])), Child(order[i + 1])) << order[i];
}

TEST_F(MainWindowLayout, ResizingGivesEveryChangeOfHeightToTheList) {
    form.resize(527, 451);
    form.show();
    EXPECT_EQ(Child("Panel2")->geometry(), QRect(0, 0, 527, 41));
    EXPECT_EQ(Child("PlayList")->geometry(), QRect(0, 41, 527, 287));
    EXPECT_EQ(Child("Panel1")->geometry(), QRect(0, 328, 527, 123));
    form.resize(600, 651);
    EXPECT_EQ(Child("Panel2")->height(), 41);
    EXPECT_EQ(Child("Panel1")->height(), 123);
    EXPECT_EQ(Child("PlayList")->height(), 651 - 41 - 123);
    EXPECT_EQ(Child("PlayList")->width(), 600);
    form.hide();
}

TEST_F(MainWindowLayout, WindowHasNoMaximiseButtonButKeepsMinimise) {
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form.windowTitle(), U("Vyn Player"));
}

TEST_F(MainWindowLayout, ListScrollsSidewaysOverExactly1024Pixels) {
    form.show();
    auto* list = Child<QListView>("PlayList");
    form.Playlist().Append(std::vector<std::string>{"/a", "/b"});
    QCoreApplication::processEvents();
    QScrollBar* bar = list->horizontalScrollBar();
    EXPECT_EQ(bar->maximum() + list->viewport()->width(), 1024);
    // A path far wider than 1024 pixels scrolls no further.
    form.Playlist().Append(std::string(600, 'x'));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->maximum() + list->viewport()->width(), 1024);
    form.hide();
}

struct MenuRow {
    const char* menu;  // the menu the item sits in
    const char* name;
    const char* caption;
};

const MenuRow kMenuItems[] = {
    {"PopupMenu1", "AddFile", "Добавить файл"},
    {"PopupMenu1", "AddDir", "Добавить папку"},
    {"PopupMenu2", "N6", "Управление"},
    {"N6", "N1", "< | Предыдущая"},
    {"N6", "N2", "[ > Играть"},
    {"N6", "N3", "|| > Пауза"},
    {"N6", "N4", "| > Следующая "},
    {"N6", "N5", "[ ] Стоп"},
    {"N6", "N8", "Добавить"},
    {"N8", "N9", "Файл"},
    {"N8", "N10", "Папку"},
    {"N6", "N13", "Удалить"},
    {"N13", "N14", "Файл"},
    {"N13", "N15", "Все"},
    {"PopupMenu2", "VynPlayer1", "Показать/Спрятать плеер"},
    {"PopupMenu2", "N7", "Выход"},
    {"PopupMenu3", "N11", "Очистить все"},
    {"PopupMenu3", "N12", "Удалить текущий файл"},
};

TEST_F(MainWindowLayout, PopupMenusHoldEveryItemInOrder) {
    std::map<std::string, std::vector<std::pair<std::string, QString>>> expected;
    for (const MenuRow& row : kMenuItems) expected[row.menu].emplace_back(row.name, U(row.caption));
    for (const auto& [menuName, items] : expected) {
        SCOPED_TRACE(menuName);
        auto* menu = form.findChild<QMenu*>(QString::fromStdString(menuName));
        ASSERT_NE(menu, nullptr);
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), qsizetype(items.size()));
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(actions[qsizetype(i)]->objectName().toStdString(), items[i].first);
            EXPECT_EQ(actions[qsizetype(i)]->text(), items[i].second);
        }
    }
}

// What assistive technology reads (the AT-SPI bridge exports these interfaces).
TEST_F(MainWindowLayout, ControlsCarryAccessibleNamesAndDescriptions) {
    auto name = [&](const char* control) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(Child(control));
        return a ? a->text(QAccessible::Name) : QString();
    };
    auto description = [&](const char* control) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(Child(control));
        return a ? a->text(QAccessible::Description) : QString();
    };
    for (const ControlRow& row : kBottomPanel) {
        SCOPED_TRACE(row.name);
        if (qobject_cast<QAbstractButton*>(Child(row.name))) {
            EXPECT_EQ(name(row.name), U(row.caption));
            EXPECT_EQ(description(row.name), row.hint ? U(row.hint) : QString());
        }
    }
    EXPECT_EQ(name("PlayList"), U("Список воспроизводимых файлов"));
    EXPECT_EQ(name("VolumeBar"), U("Громкость"));
    EXPECT_FALSE(name("ProgrBar").isEmpty());
    EXPECT_EQ(name("Button1"), U("Загрузить плейлист"));
}

TEST(AboutBoxLayout, ControlsAndWindow) {
    TAboutBox box;
    box.show();  // the picture is drawn at the first showing
    EXPECT_EQ(box.windowTitle(), U("О программе"));
    EXPECT_EQ(box.size(), QSize(321, 246));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());  // fixed size
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(box.windowFlags() & Qt::WindowCloseButtonHint);
    auto child = [&](const char* name) {
        return box.findChild<QWidget*>(QString::fromLatin1(name));
    };
    QWidget* panel = child("Panel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(8, 8, 305, 225));
    EXPECT_EQ(child("ProductName")->pos(), QPoint(72, 112));
    EXPECT_EQ(qobject_cast<QLabel*>(child("ProductName"))->text(), U("Vyn Player"));
    EXPECT_EQ(qobject_cast<QLabel*>(child("Version"))->text(), U("версия 0.1.5.34"));
    EXPECT_FALSE(qobject_cast<QLabel*>(child("CreditLabel"))->text().isEmpty());
    auto* image = qobject_cast<QLabel*>(child("Image1"));
    EXPECT_EQ(image->geometry(), QRect(16, 8, 273, 105));
    EXPECT_EQ(image->pixmap().size(), QSize(272, 103));
    auto* ok = qobject_cast<QPushButton*>(child("OKButton"));
    EXPECT_EQ(ok->parentWidget(), &box);
    EXPECT_EQ(ok->geometry(), QRect(119, 196, 75, 25));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), U("OK"));
}

TEST(Screenshots, MainWindowAndAboutBox) {
    ScriptedDialogs dialogs;
    TMainForm form(dialogs, MainFormOptions{});
    form.Playlist().Append(std::vector<std::string>{"/music/01 Intro.mp3", "/music/02 Song.ogg",
                                                    "/mods/space tune.xm"});
    form.show();
    TAboutBox about;
    about.show();
    QCoreApplication::processEvents();
    const QString dir = QStringLiteral(VYN_TEST_TMP "/screenshots");
    QDir().mkpath(dir);
    const QPixmap main = form.grab();
    const QPixmap box = about.grab();
    EXPECT_EQ(main.size(), QSize(527, 451));
    EXPECT_EQ(box.size(), QSize(321, 246));
    EXPECT_TRUE(main.save(dir + QStringLiteral("/main-window.png")));
    EXPECT_TRUE(box.save(dir + QStringLiteral("/about-box.png")));
    about.hide();
    form.hide();
}

}  // namespace
