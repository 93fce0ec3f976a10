// The whole player (main window shown, real engine, tray icon, mixer) playing one file: its
// CPU use, wake-ups (all threads, and which threads) and resident memory while playing, the
// sound server's CPU and wake-ups beside them, then how often the player wakes once stopped.
//
// playing FILE [SECONDS]   (under Xvfb and a sound server whose pid is in VYN_PULSE_PID; see
// bench/app/run)
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/display_options.h"
#include "app/main_form.h"
#include "bench/app/process_sample.h"
#include "platform/dialogs.h"
#include "playback/playback_controller.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The sound server's process id, when the runner gave it.
std::string ServerPid() {
    const char* pid = std::getenv("VYN_PULSE_PID");
    return pid && *pid ? pid : "";
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
    PrepareDisplayConnection();  // as the player's own main() does
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QtDialogs dialogs;
    TMainForm form(dialogs, MainFormOptions{});
    form.FormCreate();
    form.Playlist().Append(std::string(argv[1]));
    form.Controller().PlayButtonClick();
    RunFor(2);  // past the start and the first buffers

    const std::string server = ServerPid();
    const double cpu0 = CpuSeconds();
    const ProcessSample player0 = ProcessSample::Of("self");
    const ProcessSample server0 = server.empty() ? ProcessSample{} : ProcessSample::Of(server);
    const auto wall0 = std::chrono::steady_clock::now();
    RunFor(seconds);
    const ProcessSample player1 = ProcessSample::Of("self");
    const ProcessSample server1 = server.empty() ? ProcessSample{} : ProcessSample::Of(server);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = CpuSeconds() - cpu0;
    std::printf(
        "playing: %.3f %% of one core over %.0f s, %.1f wake-ups a second, "
        "resident memory %.1f MB\n",
        100.0 * cpu / wall, wall, (player1.wakeups - player0.wakeups) / wall,
        ProcessSample::Field("/proc/self/status", "VmRSS") / 1024.0);
    for (const auto& [name, count] : player1.wakeupsByThread) {
        const auto before = player0.wakeupsByThread.find(name);
        const long start = before == player0.wakeupsByThread.end() ? 0 : before->second;
        std::printf("  thread %-16s %5.1f wake-ups a second\n", name.c_str(),
                    (count - start) / wall);
    }
    if (!server.empty()) {
        const ProcessRate rate = ProcessRate::Between(server0, server1, wall);
        std::printf("sound server: %.3f %% of one core, %.1f wake-ups a second\n", rate.cpuPercent,
                    rate.wakeupsPerSecond);
    }

    form.Controller().StopButtonClick();
    RunFor(1);
    const long before = ProcessSample::Of("self").wakeups;
    const double idleCpu0 = CpuSeconds();
    RunFor(10);
    std::printf("stopped: %.2f wake-ups a second, %.3f %% of one core\n",
                (ProcessSample::Of("self").wakeups - before) / 10.0,
                100.0 * (CpuSeconds() - idleCpu0) / 10.0);
    return 0;
}
