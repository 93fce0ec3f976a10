#include "app/main_menus.h"

namespace {
QMenu* Menu(QWidget* parent, const char* name, const char* caption = "") {
    auto* menu = new QMenu(QString::fromUtf8(caption), parent);  // owned by its parent
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

void Item(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
}

// Menu captions hold no accelerators; an "&" would be taken as one.
void Submenu(QMenu* parent, QMenu* child) {
    parent->addMenu(child);
}
}  // namespace

MainMenus BuildMainMenus(QWidget* owner) {
    MainMenus menus{};

    menus.PopupMenu1 = Menu(owner, "PopupMenu1");
    Item(menus.PopupMenu1, "AddFile", "Добавить файл");
    Item(menus.PopupMenu1, "AddDir", "Добавить папку");

    menus.PopupMenu2 = Menu(owner, "PopupMenu2");
    QMenu* control = Menu(menus.PopupMenu2, "N6", "Управление");
    Item(control, "N1", "< | Предыдущая");
    Item(control, "N2", "[ > Играть");
    Item(control, "N3", "|| > Пауза");
    Item(control, "N4", "| > Следующая ");
    Item(control, "N5", "[ ] Стоп");
    QMenu* add = Menu(control, "N8", "Добавить");
    Item(add, "N9", "Файл");
    Item(add, "N10", "Папку");
    Submenu(control, add);
    QMenu* remove = Menu(control, "N13", "Удалить");
    Item(remove, "N14", "Файл");
    Item(remove, "N15", "Все");
    Submenu(control, remove);
    Submenu(menus.PopupMenu2, control);
    Item(menus.PopupMenu2, "VynPlayer1", "Показать/Спрятать плеер");
    Item(menus.PopupMenu2, "N7", "Выход");

    menus.PopupMenu3 = Menu(owner, "PopupMenu3");
    Item(menus.PopupMenu3, "N11", "Очистить все");
    Item(menus.PopupMenu3, "N12", "Удалить текущий файл");
    return menus;
}
