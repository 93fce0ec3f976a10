// The main window's playlist with 100,000 entries: how long adding them takes to show, and
// how long one scroll and one selection take to be painted. Run offscreen or under Xvfb.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QScrollBar>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "platform/dialogs.h"

namespace {

// Runs `step`, then lets the window lay out and paint; returns the milliseconds it all took.
template <typename Step>
double Timed(QWidget& window, Step step) {
    QElapsedTimer timer;
    timer.start();
    step();
    QCoreApplication::processEvents();
    window.repaint();
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtDialogs dialogs;
    TMainForm form(dialogs, MainFormOptions{});
    form.show();
    QCoreApplication::processEvents();
    auto* list = form.findChild<QListView*>(QStringLiteral("PlayList"));

    std::vector<std::string> entries;
    for (int i = 0; i < 100'000; ++i)
        entries.push_back("/home/user/Music/Artist " + std::to_string(i % 500) + "/Album/" +
                          std::to_string(i) + " Some Long Track Title.mp3");
    const double add = Timed(form, [&] { form.Playlist().Append(std::move(entries)); });
    const double scroll = Timed(form, [&] {
        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum() / 2);
    });
    const double select = Timed(form, [&] { form.SelectRow(99'999); });
    const double page = Timed(form, [&] {
        list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    });
    std::printf(
        "100,000 entries: shown after adding in %.1f ms; a scroll %.2f ms, a selection "
        "of the last row %.2f ms, a page up %.2f ms\n",
        add, scroll, select, page);
    return 0;
}
