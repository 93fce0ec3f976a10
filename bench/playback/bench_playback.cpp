// Playback timings: from the play button to the first sound at the sink (loading the engine
// and connecting to the sound server included), and one position tick.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

#include "bench/playback/sink_probe.h"
#include "platform/error_report.h"
#include "playback/playback_controller.h"
#include "tests/media/media.h"
#include "tests/media/scratch_dir.h"
#include "tests/playback/widget_player_view.h"
#include "tests/support/scripted_dialogs.h"

namespace {

// The controller as the main window holds it, over real widgets and the real engine.
struct Player {
    PlaylistModel model;
    WidgetPlayerView view{model};
    lightBASS bass;
    ScriptedDialogs dialogs;
    ErrorReport errors{dialogs, [] { return std::string("Vyn Player"); }};
    PlaybackController controller{view, model, bass, errors};
};

const media::ScratchDir& MediaDir() {
    static const media::ScratchDir dir("bench-playback");
    return dir;
}

std::string TaggedMp3() {
    media::MpegOptions options;
    options.leadingTag = media::Id3v2Tag(
        {.frames = {media::TextFrame("TPE1", "Some Band"), media::TextFrame("TIT2", "A Song")}});
    return media::WriteMp3(MediaDir() / "tagged.mp3", {.seconds = 20, .toneHz = 440}, options)
        .path.string();
}

void PlayToFirstSound(benchmark::State& state, const std::string& path) {
    SinkProbe probe;
    Player player;
    player.model.Append(path);
    std::vector<double> samples;
    for (auto _ : state) {
        probe.Arm();
        const auto pressed = SinkProbe::Clock::now();
        player.controller.PlayButtonClick();
        const auto heard = probe.WaitForSound(std::chrono::seconds(5));
        if (!heard) {
            state.SkipWithError("no sound reached the sink");
            break;
        }
        const std::chrono::duration<double> elapsed = *heard - pressed;
        state.SetIterationTime(elapsed.count());
        samples.push_back(elapsed.count() * 1000);
        player.controller.FreeAllBASS();
        // Let the sink fall silent again before the next press.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    if (samples.empty()) return;
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
    state.counters["max_ms"] = samples.back();
}

void BM_PlayButtonToSoundWav(benchmark::State& state) {
    PlayToFirstSound(state, media::WriteWav(MediaDir() / "tone.wav",
                                            {.seconds = 5, .toneHz = 440, .amplitude = 0.8})
                                .path.string());
}
BENCHMARK(BM_PlayButtonToSoundWav)->UseManualTime()->Iterations(21)->Unit(benchmark::kMillisecond);

void BM_PlayButtonToSoundMp3(benchmark::State& state) {
    PlayToFirstSound(state, TaggedMp3());
}
BENCHMARK(BM_PlayButtonToSoundMp3)->UseManualTime()->Iterations(21)->Unit(benchmark::kMillisecond);

void TimerTick(benchmark::State& state, const std::string& path) {
    Player player;
    player.model.Append(path);
    player.controller.PlayButtonClick();
    for (auto _ : state) player.controller.Position().TimePosTimerProc();
    player.controller.FreeAllBASS();
}

void BM_TimerTickTaggedMp3(benchmark::State& state) {
    TimerTick(state, TaggedMp3());
}
BENCHMARK(BM_TimerTickTaggedMp3)->Unit(benchmark::kMicrosecond);

void BM_TimerTickModule(benchmark::State& state) {
    TimerTick(state, media::WriteXm(MediaDir() / "tune.xm", {.orders = 32}).path.string());
}
BENCHMARK(BM_TimerTickModule)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
