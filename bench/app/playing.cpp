// The whole player (main window shown, real engine, tray icon, mixer) playing one file: its
// CPU use, wake-ups (all threads, and which threads) and resident memory while playing, the
// sound server's CPU and wake-ups beside them, then how often the player wakes once stopped.
//
// playing FILE [SECONDS]   (under Xvfb and a sound server whose pid is in VYN_PULSE_PID; see
// bench/app/run)
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/display_options.h"
#include "app/main_form.h"
#include "bench/process_sample.h"
#include "platform/dialogs.h"
#include "playback/playback_controller.h"

namespace {

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
    const ProcessSample player0 = ProcessSample::Of("self");
    const ProcessSample server0 = server.empty() ? ProcessSample{} : ProcessSample::Of(server);
    const auto wall0 = std::chrono::steady_clock::now();
    RunFor(seconds);
    const ProcessSample player1 = ProcessSample::Of("self");
    const ProcessSample server1 = server.empty() ? ProcessSample{} : ProcessSample::Of(server);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const ProcessRate player = ProcessRate::Between(player0, player1, wall);
    std::printf(
        "playing: %.3f %% of one core over %.0f s, %.1f wake-ups a second, "
        "resident memory %.1f MB\n",
        player.cpuPercent, wall, player.wakeupsPerSecond,
        ProcessSample::Field("/proc/self/status", "VmRSS") / 1024.0);
    const auto printThreads = [wall](const ProcessSample& a, const ProcessSample& b) {
        for (const auto& [name, figures] : b.byThread) {
            const auto before = a.byThread.find(name);
            const ProcessRate rate = ProcessRate::Between(
                before == a.byThread.end() ? ThreadFigures{} : before->second, figures, wall);
            std::printf("  thread %-16s %.3f %% of one core, %5.1f wake-ups a second\n",
                        name.c_str(), rate.cpuPercent, rate.wakeupsPerSecond);
        }
    };
    printThreads(player0, player1);
    if (!server.empty()) {
        const ProcessRate rate = ProcessRate::Between(server0, server1, wall);
        std::printf("sound server: %.3f %% of one core, %.1f wake-ups a second\n", rate.cpuPercent,
                    rate.wakeupsPerSecond);
        printThreads(server0, server1);
        std::printf("player and sound server together: %.3f %% of one core\n",
                    player.cpuPercent + rate.cpuPercent);
    }

    form.Controller().StopButtonClick();
    RunFor(1);
    const ProcessSample idle0 = ProcessSample::Of("self");
    RunFor(10);
    const ProcessRate idle = ProcessRate::Between(idle0, ProcessSample::Of("self"), 10);
    std::printf("stopped: %.2f wake-ups a second, %.3f %% of one core\n", idle.wakeupsPerSecond,
                idle.cpuPercent);
    return 0;
}
