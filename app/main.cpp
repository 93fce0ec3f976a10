// Vyn Player: start-up and the event loop.
#include <QApplication>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/about_box.h"
#include "app/display_options.h"
#include "app/main_form.h"
#include "app/mpris_bridge.h"
#include "platform/dialogs.h"

int main(int argc, char** argv) {
    PrepareDisplayConnection();
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    // Tools find the program by this name whatever its window title says.
    QApplication::setApplicationName(QString::fromLatin1(TMainForm::kProductName));
    // Taskbars and compositors match the window to its desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("vyn-player"));
    QApplication::setQuitOnLastWindowClosed(false);  // only the confirmed exit ends the program

    QtDialogs dialogs;
    TMainForm mainForm(dialogs, MainFormOptions{{}, [] { QCoreApplication::quit(); }});
    mainForm.FormCreate();
    TAboutBox aboutBox(&mainForm);
    mainForm.SetAboutBox(&aboutBox);

    // Paths are file-system bytes: taken from argv as they are, never through a QString.
    const std::vector<std::string> paths(argv + 1, argv + argc);
    std::unique_ptr<MprisBridge> mpris;
    // Once the window is up: opening paths may show an error box, and the bus can wait.
    QTimer::singleShot(0, &mainForm, [&] {
        if (const auto bus = MprisBridge::SessionBus()) mpris = MprisBridge::Start(mainForm, *bus);
        if (!paths.empty()) mainForm.OpenPaths(paths, true);
    });
    return app.exec();
}
