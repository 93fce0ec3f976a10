// Whole-engine timings through libbass.so against the private sound server, PulseAudio
// (scripts/with-pulse) or PipeWire (scripts/with-pipewire): time from BASS_StreamPlay to sound
// at the sink, from BASS_ChannelPause to silence, and the reported position against the
// audible one. Times at the sink are read off the monitor's sample
// clock (MonitorListener::AudibleAt), so they hold at any sink latency.
//
// bench_engine_timing attached   a low-latency client keeps the sink running, as a device
//                                does (scripts/with-pulse): all three figures
// bench_engine_timing alone      no other client (scripts/with-pulse --no-keepalive): the sink
//                                runs at the latency the engine asks for and cannot rewind,
//                                so pause and position show that latency. Play to first audio
//                                is not taken: an idle PulseAudio null sink has rendered
//                                2 s ahead.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/engine/bench_media.h"
#include "bench/engine/monitor_listener.h"
#include "tests/engine/bass_library.h"
#include "tests/media/process.h"

namespace {

using Clock = MonitorListener::Clock;
using Fragments = std::vector<MonitorListener::Fragment>;
constexpr float kLoud = 0.05f;  // the test tones peak at 0.3

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}
void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
bool Debug() {
    return std::getenv("VYN_BENCH_DEBUG") != nullptr;
}

void Report(const char* what, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("%s: nothing measured\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.1f ms, best %.1f ms, worst %.1f ms over %zu\n", what,
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
}

// Frames of the recording where sound starts after at least `gap` of quiet.
std::vector<std::int64_t> Onsets(const Fragments& recorded, std::int64_t gap) {
    std::vector<std::int64_t> onsets;
    std::int64_t lastLoud = -gap - 1;
    for (const auto& f : recorded) {
        if (f.firstLoud < 0) continue;
        if (f.frame + f.firstLoud - lastLoud > gap) onsets.push_back(f.frame + f.firstLoud);
        lastLoud = f.frame + f.lastLoud;
    }
    return onsets;
}

// With VYN_BENCH_DEBUG: each block the sink rendered, where it lies on the sample clock, and
// whether it holds sound (a rewind shows as a step of the clock).
void PrintBlocks(const Fragments& recorded, Clock::time_point origin) {
    if (!Debug()) return;
    for (std::size_t i = 1; i < recorded.size(); ++i) {
        const auto& f = recorded[i];
        if (f.arrived - recorded[i - 1].arrived <= std::chrono::milliseconds(1)) continue;
        const double at = Ms(f.arrived - origin),
                     frameMs = 1000.0 * f.frame / MonitorListener::kRate;
        std::printf("block arrived %.1f ms, recording at %.1f ms, clock %.1f ms, sound %s\n", at,
                    frameMs, at - frameMs, f.firstLoud >= 0 ? "yes" : "no");
    }
}

class Bench {
  public:
    Bench(MonitorListener::Latency latency, double settle, double startUp)
        : monitor_(latency, kLoud), settle_(settle), startUp_(startUp) {
        if (!bass_.Init(-1, 44100, 32, nullptr))
            throw std::runtime_error("BASS_Init failed: " + std::to_string(bass_.ErrorGetCode()));
    }
    ~Bench() { bass_.Free(); }

    HSTREAM open(const std::string& path) {
        const HSTREAM s = bass_.StreamCreateFile(0, path.c_str(), 0, 0, 0);
        if (!s) throw std::runtime_error("can't open " + path);
        return s;
    }

    void startLatency(const std::string& tone, int plays) {
        std::vector<double> ms;
        for (int i = 0; i < plays; ++i) {
            const HSTREAM s = open(tone);
            Sleep(0.2);
            monitor_.clear();
            const auto t0 = Clock::now();
            bass_.StreamPlay(s, 0, 0);
            Sleep(0.3);
            bass_.StreamFree(s);
            const Fragments recorded = monitor_.fragments();
            const std::vector<std::int64_t> onsets = Onsets(recorded, 0);
            if (!onsets.empty())
                ms.push_back(Ms(MonitorListener::AudibleAt(recorded, onsets.front()) - t0));
            Sleep(0.2);
        }
        Report("play to first audio (BASS_StreamPlay to sound at the sink)", ms);
    }

    void pauseLatency(const std::string& tone, int pauses) {
        std::vector<double> ms;
        for (int i = 0; i < pauses; ++i) {
            const HSTREAM s = open(tone);
            bass_.StreamPlay(s, 0, 0);
            Sleep(settle_);
            monitor_.clear();
            // Blocks before the pause for the sample clock; each pause at another point of
            // the sink's block.
            Sleep(1 + 0.0043 * i);
            const auto t0 = Clock::now();
            bass_.ChannelPause(s);
            Sleep(0.5);
            const Fragments recorded = monitor_.fragments();
            bass_.StreamFree(s);
            PrintBlocks(recorded, t0);
            std::optional<std::int64_t> lastLoud;
            for (const auto& f : recorded)
                if (f.lastLoud >= 0) lastLoud = f.frame + f.lastLoud;
            if (lastLoud)
                ms.push_back(Ms(MonitorListener::AudibleAt(recorded, *lastLoud + 1) - t0));
            Sleep(0.2);
        }
        Report("pause to silence (BASS_ChannelPause to silence at the sink)", ms);
    }

    // The pattern file: 0.5 s silence then 0.5 s tone, repeated. Each tone onset is heard at
    // a known file time; compare with when the reported position passes that time.
    void positionAccuracy(const std::string& pattern) {
        const HSTREAM s = open(pattern);
        std::vector<std::pair<Clock::time_point, double>> polled;
        monitor_.clear();
        const auto start = Clock::now();
        bass_.StreamPlay(s, 0, 0);
        const double length = bass_.ChannelBytes2Seconds(s, bass_.StreamGetLength(s));
        while (Ms(Clock::now() - start) < (length + settle_ + 0.5) * 1000) {
            polled.emplace_back(Clock::now(),
                                bass_.ChannelBytes2Seconds(s, bass_.ChannelGetPosition(s)));
            Sleep(0.001);
        }
        bass_.StreamFree(s);
        const Fragments recorded = monitor_.fragments();
        const std::vector<std::int64_t> onsets = Onsets(recorded, MonitorListener::kRate / 10);
        PrintBlocks(recorded, start);
        // Onsets heard while an idle sink still plays what it rendered ahead, and while the
        // position catches up after that, are told apart.
        std::vector<double> errors, steady, early;
        for (std::size_t k = 0; k < onsets.size(); ++k) {
            const double fileTime = double(k) + 0.5;
            const auto reached = std::find_if(polled.begin(), polled.end(),
                                              [&](const auto& p) { return p.second >= fileTime; });
            if (reached == polled.end()) continue;
            const Clock::time_point heard = MonitorListener::AudibleAt(recorded, onsets[k]);
            errors.push_back(Ms(reached->first - heard));
            (Ms(heard - start) < startUp_ * 1000 ? early : steady)
                .push_back(std::abs(errors.back()));
            if (Debug())
                std::printf("onset %zu heard %.1f ms, position there %.1f ms after play\n", k,
                            Ms(heard - start), Ms(reached->first - start));
        }
        std::printf("position vs audible at each onset (positive: the position runs late):");
        for (double e : errors) std::printf(" %+.1f", e);
        std::printf(" ms\n");
        Report("position vs audible, |error|", steady);
        if (!early.empty())
            Report("position vs audible, |error| in the first 4.5 s at an idle null sink", early);
    }

  private:
    BassLibrary bass_;
    MonitorListener monitor_;
    double settle_;   // seconds from play until the sink surely runs at the stream's latency
    double startUp_;  // seconds from play until the position is judged
};

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "attached";
    if (mode != "attached" && mode != "alone") {
        std::fprintf(stderr, "usage: bench_engine_timing [attached|alone]\n");
        return 2;
    }
    try {
        const auto dir = bench_media::Folder();
        const std::string tone = media::WriteWav(dir / "tone.wav", bench_media::Tone(10)).path;
        const std::string pattern = dir / "pattern.wav";
        media::RunProgramOrThrow({"sox", "-n",    "-r",    "44100", "-c",     "2",   "-b",
                                  "16",  pattern, "synth", "0.5",   "sine",   "440", "vol",
                                  "0.3", "pad",   "0.5",   "0",     "repeat", "7"});
        if (mode == "attached") {
            std::printf("with a low-latency client attached (a running device):\n");
            Bench bench(MonitorListener::Latency::kLow, 0.4, 0);
            bench.startLatency(tone, 10);
            bench.pauseLatency(tone, 10);
            bench.positionAccuracy(pattern);
        } else {
            std::printf("with no other client (the sink at the engine's own latency):\n");
            // An idle null sink has rendered 2 s ahead: a new stream is heard after that.
            Bench bench(MonitorListener::Latency::kNone, 2.5, 4.5);
            bench.pauseLatency(tone, 10);
            bench.positionAccuracy(pattern);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_engine_timing: %s\n", e.what());
        return 1;
    }
    return 0;
}
