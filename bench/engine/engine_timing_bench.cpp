// Whole-engine figures through libbass.so against the private sound server: time from
// BASS_StreamPlay to sound at the sink, from BASS_ChannelPause to silence, the reported
// position against the audible one, and the CPU the engine uses while playing.
//
// bench_engine_timing [PLAY_SECONDS]   (CPU is measured over PLAY_SECONDS of a 3-minute
// 128 kbit/s stereo MP3; the default 30, 180 plays it whole)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
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
constexpr float kLoud = 0.05f;  // the test tones peak at 0.3

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}
void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Summary {
    double median, worst;
};
Summary Summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back()};
}

class Bench {
  public:
    Bench() {
        if (!bass_.Init(-1, 44100, 32, nullptr))
            throw std::runtime_error("BASS_Init failed: " + std::to_string(bass_.ErrorGetCode()));
    }
    ~Bench() { bass_.Free(); }

    HSTREAM open(const std::string& path) {
        const HSTREAM s = bass_.StreamCreateFile(0, path.c_str(), 0, 0, 0);
        if (!s) throw std::runtime_error("can't open " + path);
        return s;
    }

    void startLatency(const std::string& tone) {
        std::vector<double> ms;
        for (int i = 0; i < 10; ++i) {
            const HSTREAM s = open(tone);
            Sleep(0.2);
            monitor_->clear();
            const auto t0 = Clock::now();
            bass_.StreamPlay(s, 0, 0);
            Sleep(0.3);
            bass_.StreamFree(s);
            for (const auto& f : monitor_->fragments())
                if (f.arrived > t0 && f.peak > kLoud) {
                    ms.push_back(Ms(f.arrived - t0));
                    break;
                }
        }
        const Summary s = Summarise(ms);
        std::printf(
            "start latency (BASS_StreamPlay to sound at the sink): median %.1f ms, worst %.1f ms "
            "over %zu plays\n",
            s.median, s.worst, ms.size());
    }

    void pauseLatency(const std::string& tone) {
        std::vector<double> ms;
        for (int i = 0; i < 5; ++i) {
            const HSTREAM s = open(tone);
            bass_.StreamPlay(s, 0, 0);
            Sleep(0.4);
            monitor_->clear();
            const auto t0 = Clock::now();
            bass_.ChannelPause(s);
            Sleep(0.3);
            bass_.StreamFree(s);
            Clock::time_point last = t0;
            for (const auto& f : monitor_->fragments())
                if (f.peak > kLoud) last = std::max(last, f.arrived);
            ms.push_back(Ms(last - t0));
        }
        const Summary s = Summarise(ms);
        std::printf(
            "pause latency (BASS_ChannelPause to silence at the sink): median %.1f ms, worst %.1f "
            "ms\n",
            s.median, s.worst);
    }

    // The pattern file: 0.5 s silence then 0.5 s tone, five times. Each tone onset is heard
    // at a known file time; compare with when the reported position passes that time.
    void positionAccuracy(const std::string& pattern) {
        const HSTREAM s = open(pattern);
        std::vector<std::pair<Clock::time_point, double>> polled;
        monitor_->clear();
        bass_.StreamPlay(s, 0, 0);
        const double length = bass_.ChannelBytes2Seconds(s, bass_.StreamGetLength(s));
        const auto start = Clock::now();
        while (Ms(Clock::now() - start) < (length + 0.5) * 1000) {
            polled.emplace_back(Clock::now(),
                                bass_.ChannelBytes2Seconds(s, bass_.ChannelGetPosition(s)));
            Sleep(0.001);
        }
        bass_.StreamFree(s);
        // An onset is sound after at least 100 ms of silence (a short fragment can fall
        // between the tone's peaks).
        std::vector<Clock::time_point> onsets;
        Clock::time_point lastLoud{};
        for (const auto& f : monitor_->fragments()) {
            if (f.peak <= kLoud) continue;
            if (onsets.empty() || f.arrived - lastLoud > std::chrono::milliseconds(100))
                onsets.push_back(f.arrived);
            lastLoud = f.arrived;
        }
        std::vector<double> errors;
        for (std::size_t k = 0; k < onsets.size(); ++k) {
            const double fileTime = k + 0.5;
            auto reached = std::find_if(polled.begin(), polled.end(),
                                        [&](const auto& p) { return p.second >= fileTime; });
            if (reached == polled.end()) continue;
            errors.push_back(Ms(reached->first - onsets[k]));
            if (std::getenv("VYN_BENCH_DEBUG"))
                std::printf("onset %zu heard %.1f ms, position there %.1f ms after play\n", k,
                            Ms(onsets[k] - start), Ms(reached->first - start));
        }
        std::vector<double> magnitudes;
        double sum = 0;
        for (double e : errors) {
            magnitudes.push_back(std::abs(e));
            sum += e;
        }
        const Summary m = Summarise(magnitudes);
        std::printf(
            "position vs audible: mean %+.1f ms (positive: the position runs late), median |error| "
            "%.1f ms, worst %.1f ms over %zu onsets\n",
            errors.empty() ? 0 : sum / errors.size(), m.median, m.worst, errors.size());
    }

    void cpuWhilePlaying(const std::string& mp3, double seconds) {
        monitor_.reset();
        const HSTREAM s = open(mp3);
        bass_.StreamPlay(s, 0, 0);
        Sleep(1);  // past the start-up fill
        const double cpu0 = CpuSeconds();
        const auto t0 = Clock::now();
        Sleep(seconds);
        const double cpu = CpuSeconds() - cpu0;
        const double wall = Ms(Clock::now() - t0) / 1000;
        bass_.ChannelPause(s);
        const double paused0 = CpuSeconds();
        Sleep(5);
        const double pausedCpu = CpuSeconds() - paused0;
        bass_.StreamFree(s);
        std::printf(
            "CPU while playing a 3-minute 128 kbit/s stereo MP3: %.3f %% of one core over %.0f s\n",
            100 * cpu / wall, wall);
        std::printf("CPU while paused: %.3f %% of one core over 5 s\n", 100 * pausedCpu / 5);
    }

  private:
    BassLibrary bass_;
    // Its thread wakes every 5 ms: it is stopped before the engine's CPU is measured.
    std::optional<MonitorListener> monitor_{std::in_place};
};

}  // namespace

int main(int argc, char** argv) {
    const double playSeconds = argc > 1 ? std::atof(argv[1]) : 30;
    try {
        const auto dir = bench_media::Folder();
        const std::string tone = media::WriteWav(dir / "tone.wav", bench_media::Tone(3)).path;
        const std::string pattern = dir / "pattern.wav";
        media::RunProgramOrThrow({"sox", "-n",    "-r",    "44100", "-c",     "2",   "-b",
                                  "16",  pattern, "synth", "0.5",   "sine",   "440", "vol",
                                  "0.3", "pad",   "0.5",   "0",     "repeat", "4"});
        const std::string mp3 =
            media::WriteMp3(dir / "three-minutes.mp3", bench_media::Tone(180), {.bitrateKbps = 128})
                .path;
        Bench bench;
        bench.startLatency(tone);
        bench.pauseLatency(tone);
        bench.positionAccuracy(pattern);
        bench.cpuWhilePlaying(mp3, playSeconds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_engine_timing: %s\n", e.what());
        return 1;
    }
    return 0;
}
