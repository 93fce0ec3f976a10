// The whole player (main window shown, real engine, tray icon, mixer) playing one file: its
// CPU use and resident memory while playing, then how often it wakes up once stopped.
//
// playing FILE [SECONDS]   (under Xvfb and a sound server; see bench/app/run)
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/main_form.h"
#include "platform/dialogs.h"
#include "playback/playback_controller.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long StatusField(const std::string& path, const char* field) {
    std::ifstream status(path);
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return 0;
}

// Every thread's context switches: each one is a wake-up of that thread.
long Wakeups() {
    long total = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        const std::string status = task.path().string() + "/status";
        total += StatusField(status, "voluntary_ctxt_switches") +
                 StatusField(status, "nonvoluntary_ctxt_switches");
    }
    return total;
}

void RunFor(double seconds) {
    QElapsedTimer timer;
    timer.start();
    QTimer::singleShot(static_cast<int>(seconds * 1000), [] { QCoreApplication::exit(); });
    QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: playing FILE [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 60;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QtDialogs dialogs;
    TMainForm form(dialogs, MainFormOptions{});
    form.FormCreate();
    form.Playlist().Append(std::string(argv[1]));
    form.Controller().PlayButtonClick();
    RunFor(2);  // past the start and the first buffers

    const double cpu0 = CpuSeconds();
    const long wakeups0 = Wakeups();
    const auto wall0 = std::chrono::steady_clock::now();
    RunFor(seconds);
    const long playingWakeups = Wakeups() - wakeups0;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = CpuSeconds() - cpu0;
    std::printf(
        "playing: %.3f %% of one core over %.0f s, %.1f wake-ups a second, "
        "resident memory %.1f MB\n",
        100.0 * cpu / wall, wall, playingWakeups / wall,
        StatusField("/proc/self/status", "VmRSS") / 1024.0);

    form.Controller().StopButtonClick();
    RunFor(1);
    const long before = Wakeups();
    const double idleCpu0 = CpuSeconds();
    RunFor(10);
    std::printf("stopped: %.2f wake-ups a second, %.3f %% of one core\n",
                (Wakeups() - before) / 10.0, 100.0 * (CpuSeconds() - idleCpu0) / 10.0);
    return 0;
}
