// What the master volume and the tray icon cost while nothing happens: how often the
// process's threads wake over 5 s idle with the mixer connected and the icon added (the
// budget is at most one wakeup a second), and how long connecting the mixer takes at
// start-up. Run against a sound server (make bench provides one).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "app/tray_icon.h"
#include "platform/qt_message_target.h"
#include "volume/pulse_mixer.h"

namespace {

struct ThreadSwitches {
    QString name;
    long long switches = 0;
};

// Context switches, voluntary and not, of every thread of this process.
std::map<QString, ThreadSwitches> Switches() {
    std::map<QString, ThreadSwitches> threads;
    const QDir tasks("/proc/self/task");
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(tid + "/status"));
        if (!status.open(QIODevice::ReadOnly)) continue;
        ThreadSwitches& thread = threads[tid];
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Name:")) thread.name = QString::fromUtf8(line.mid(5).trimmed());
            if (line.startsWith("voluntary_ctxt_switches:") ||
                line.startsWith("nonvoluntary_ctxt_switches:"))
                thread.switches += line.split(':').value(1).trimmed().toLongLong();
        }
    }
    return threads;
}

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
    const auto before = Switches();
    const int seconds = 5;
    RunEventLoop(seconds * 1000);
    const auto after = Switches();

    long long total = 0;
    std::printf("idle for %d s with the mixer connected and the tray icon added (%s):\n", seconds,
                qPrintable(QApplication::platformName()));
    for (const auto& [tid, thread] : after) {
        const auto earlier = before.find(tid);
        const long long woke =
            thread.switches - (earlier == before.end() ? 0 : earlier->second.switches);
        total += woke;
        std::printf("  thread %-16s %lld context switches\n", qPrintable(thread.name), woke);
    }
    std::printf("  all threads: %lld (%.1f a second; budget 1 a second), notifications: %d\n",
                total, double(total) / seconds, notifications);
    return 0;
}
