// Vyn Player: start-up and the event loop.
#include <QApplication>

#include "app/about_box.h"
#include "app/main_form.h"
#include "platform/dialogs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Tools find the program by this name whatever its window title says.
    QApplication::setApplicationName(QString::fromLatin1(TMainForm::kProductName));
    QApplication::setQuitOnLastWindowClosed(false);  // only the confirmed exit ends the program

    QtDialogs dialogs;
    TMainForm mainForm(dialogs, MainFormOptions{{}, [] { QCoreApplication::quit(); }});
    mainForm.FormCreate();
    TAboutBox aboutBox(&mainForm);
    mainForm.SetAboutBox(&aboutBox);
    return app.exec();
}
