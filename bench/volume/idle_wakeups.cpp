// What the master volume and the tray icon cost while nothing happens: how often the
// process's threads wake over 5 s idle with the mixer connected and the icon added (the
// budget is at most one wakeup a second), and how long connecting the mixer takes at
// start-up. Run against a sound server (make bench provides one).
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/tray_icon.h"
#include "bench/process_sample.h"
#include "platform/qt_message_target.h"
#include "volume/pulse_mixer.h"

namespace {

void RunEventLoop(int milliseconds) {
    QTimer::singleShot(milliseconds, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    int notifications = 0;
    QtMessageTarget target([&](uint32_t, uintptr_t, intptr_t) { ++notifications; });

    std::vector<double> set_up_ms;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer timer;
        timer.start();
        auto mixer = PulseMixer::Open(target.Target());
        set_up_ms.push_back(timer.nsecsElapsed() / 1e6);
        if (!mixer) {
            std::fprintf(stderr, "no sound server: run through scripts/with-pulse\n");
            return 1;
        }
    }
    std::sort(set_up_ms.begin(), set_up_ms.end());
    std::printf("mixer set-up: median %.2f ms, worst %.2f ms (10 connections)\n", set_up_ms[5],
                set_up_ms.back());

    auto mixer = PulseMixer::Open(target.Target());
    QPixmap picture(32, 32);
    picture.fill(Qt::darkCyan);
    TrayIcon tray;
    tray.TrayAdd(target.Target(), kTrayIconId, QIcon(picture), "Vyn Player");
    RunEventLoop(2000);  // let the connection and the notification area settle
    const ProcessSample before = ProcessSample::Of("self");
    const int seconds = 5;
    RunEventLoop(seconds * 1000);
    const ProcessSample after = ProcessSample::Of("self");

    long long total = 0;
    std::printf("idle for %d s with the mixer connected and the tray icon added (%s):\n", seconds,
                qPrintable(QApplication::platformName()));
    for (const auto& [name, thread] : after.byThread) {
        const auto earlier = before.byThread.find(name);
        const long long woke =
            thread.wakeups - (earlier == before.byThread.end() ? 0 : earlier->second.wakeups);
        total += woke;
        std::printf("  thread %-16s %lld context switches\n", name.c_str(), woke);
    }
    std::printf("  all threads: %lld (%.1f a second; budget 1 a second), notifications: %d\n",
                total, double(total) / seconds, notifications);
    return 0;
}
