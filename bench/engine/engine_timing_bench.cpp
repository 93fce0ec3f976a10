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
// bench_engine_timing position   the position figure alone, twice (a quick look)
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/engine/bench_media.h"
#include "bench/engine/monitor_listener.h"
#include "tests/engine/bass_library.h"
#include "tests/engine/posted_messages.h"
#include "tests/media/process.h"

namespace {

using Clock = MonitorListener::Clock;
using Fragments = std::vector<MonitorListener::Fragment>;
constexpr float kLoud = 0.05f;  // the test tones peak at 0.3

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}
// The sound server's processes, as scripts/with-pulse and scripts/with-pipewire name them.
void SignalServers(int signal) {
    const char* pids = std::getenv("VYN_SERVER_PIDS");
    if (!pids) throw std::runtime_error("VYN_SERVER_PIDS is not set");
    std::istringstream list(pids);
    for (pid_t pid; list >> pid;) kill(pid, signal);
}
void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
bool Debug() {
    return std::getenv("VYN_BENCH_DEBUG") != nullptr;
}

void Report(const std::string& what, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("%s: nothing measured\n", what.c_str());
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.1f ms, best %.1f ms, worst %.1f ms over %zu\n", what.c_str(),
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
        monitor_.keepSamples();
        if (!bass_.Init(-1, 44100, 32, &messages_))
            throw std::runtime_error("BASS_Init failed: " + std::to_string(bass_.ErrorGetCode()));
    }
    ~Bench() { bass_.Free(); }

    HSTREAM open(const std::string& path) {
        const HSTREAM s = bass_.StreamCreateFile(0, path.c_str(), 0, 0, 0);
        if (!s) throw std::runtime_error("can't open " + path);
        return s;
    }

    // From BASS_StreamPlay, or with `fromOpen` from BASS_StreamCreateFile (a click on an
    // entry that was not open yet).
    void startLatency(const std::string& tone, int plays, const char* what = "",
                      bool fromOpen = false) {
        std::vector<double> ms;
        for (int i = 0; i < plays; ++i) {
            monitor_.clear();
            auto t0 = Clock::now();
            const HSTREAM s = open(tone);
            if (!fromOpen) {
                Sleep(0.2);
                monitor_.clear();
                t0 = Clock::now();
            }
            bass_.StreamPlay(s, 0, 0);
            Sleep(0.3);
            bass_.StreamFree(s);
            const Fragments recorded = monitor_.fragments();
            const std::vector<std::int64_t> onsets = Onsets(recorded, 0);
            if (!onsets.empty())
                ms.push_back(Ms(MonitorListener::AudibleAt(recorded, onsets.front()) - t0));
            Sleep(0.2);
        }
        Report(fromOpen ? (std::string("open and play to first audio, ") + what).c_str()
                        : "play to first audio (BASS_StreamPlay to sound at the sink)",
               ms);
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

    // `pieces` copies of a file of whole periods of a 440 Hz sine, played back to back as the
    // player plays a list (at each end message: free, open the next, play): the sine should
    // run on unbroken. Reports what was lost or added at the joins, in samples, and how far
    // ahead of the join becoming audible the end message came (the player switches its
    // caption right after it).
    void joins(const char* what, const std::string& piece, int pieces) {
        Sleep(0.5);  // what the last measurement left in the sink is heard first
        monitor_.clear();
        std::vector<Clock::time_point> ends;
        HSTREAM s = 0;
        std::int64_t pieceFrames = 0;
        for (int k = 0; k < pieces; ++k) {
            const std::size_t before = messages_.count();
            s = open(piece);
            pieceFrames = std::int64_t(bass_.StreamGetLength(s) / 4);
            bass_.ChannelSetSync(s, BASS_SYNC_END_MESSAGE, 0, 0x400, 0);
            bass_.StreamPlay(s, 0, 0);
            if (!messages_.waitFor(before + 1, std::chrono::seconds(5)))
                throw std::runtime_error("no end message");
            ends.push_back(messages_.all().back().when);
            bass_.StreamFree(s);
        }
        Sleep(0.6);
        const Fragments recorded = monitor_.fragments();
        const auto [from, x] = monitor_.samples();
        std::size_t begin = 0, end = x.size();
        while (begin < end && std::abs(x[begin]) < 600) ++begin;
        while (end > begin && std::abs(x[end - 1]) < 600) --end;
        const double c = 2 * std::cos(2 * M_PI * 440 / MonitorListener::kRate);
        const double amplitude = 0.3 * 32768;
        int broken = 0;
        double worstStep = 0;
        std::vector<double> lead;
        for (int k = 1; k < pieces; ++k) {
            const std::int64_t join = std::int64_t(begin) + k * pieceFrames;
            double step = 0;
            for (std::int64_t n = std::max<std::int64_t>(join - 300, 1);
                 n < std::min<std::int64_t>(join + 300, std::int64_t(end) - 1); ++n)
                step = std::max(step, std::abs(x[n + 1] + x[n - 1] - c * x[n]) / amplitude);
            worstStep = std::max(worstStep, step);
            broken += step > 0.02;
            lead.push_back(Ms(MonitorListener::AudibleAt(recorded, from + join) - ends[k - 1]));
        }
        const std::int64_t extra = std::int64_t(end - begin) - pieces * pieceFrames;
        std::printf(
            "%s, %d joins: %lld samples %s in all, %d joins off the sine (largest step "
            "%.4f of the amplitude)\n",
            what, pieces - 1, static_cast<long long>(std::llabs(extra)),
            extra < 0 ? "lost" : "added", broken, worstStep);
        Report("  end message ahead of the join becoming audible", lead);
    }

    // How long BASS_ChannelSetPosition keeps its caller (the window's thread) while a seek
    // sets up the new output, and how long a position read and a pause and resume right
    // after it take. `frozen`: with the sound server's processes stopped (VYN_SERVER_PIDS), a
    // server that does not answer.
    void seekBlocking(const std::string& tone, int seeks, bool frozen) {
        const HSTREAM s = open(tone);
        bass_.StreamPlay(s, 0, 0);
        Sleep(0.3);
        const QWORD length = bass_.StreamGetLength(s);
        std::vector<double> seek, read, pause;
        if (frozen) SignalServers(SIGSTOP);
        for (int i = 0; i < seeks; ++i) {
            const QWORD to = length / 2 / 4 * 4 * (i % 7) / 7;
            auto t0 = Clock::now();
            bass_.ChannelSetPosition(s, to);
            seek.push_back(Ms(Clock::now() - t0));
            t0 = Clock::now();
            bass_.ChannelGetPosition(s);
            read.push_back(Ms(Clock::now() - t0));
            t0 = Clock::now();
            bass_.ChannelPause(s);
            bass_.ChannelResume(s);
            pause.push_back(Ms(Clock::now() - t0));
            Sleep(0.05);
        }
        bass_.StreamFree(s);
        if (frozen) {
            SignalServers(SIGCONT);
            Sleep(3);  // the server works through the streams made and ended while it stood
        }
        const std::string what = frozen ? " (server not answering)" : "";
        Report("seek: the caller blocked" + what, seek);
        Report("  position read right after a seek" + what, read);
        Report("  pause and resume right after a seek" + what, pause);
    }

  private:
    PostedMessages messages_;
    BassLibrary bass_;
    MonitorListener monitor_;
    double settle_;   // seconds from play until the sink surely runs at the stream's latency
    double startUp_;  // seconds from play until the position is judged
};

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "attached";
    if (mode != "attached" && mode != "alone" && mode != "position") {
        std::fprintf(stderr, "usage: bench_engine_timing [attached|alone|position]\n");
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
            media::ToneSpec tone48 = bench_media::Tone(10);
            tone48.sampleRate = 48000;
            bench.startLatency(tone, 10, "WAV", true);
            bench.startLatency(media::WriteFlac(dir / "tone.flac", bench_media::Tone(10)).path, 10,
                               "FLAC", true);
            bench.startLatency(media::WriteOpus(dir / "tone.opus", tone48).path, 10, "Opus", true);
            bench.pauseLatency(tone, 10);
            bench.positionAccuracy(pattern);
            bench.seekBlocking(tone, 100, false);
            bench.seekBlocking(tone, 100, true);
            // 0.5 s of 440 Hz is 220 whole periods: copies played back to back make one sine.
            const media::ToneSpec piece = bench_media::Tone(0.5);
            const std::string wav = media::WriteWav(dir / "piece.wav", piece).path;
            bench.joins("WAV", wav, 21);
            bench.joins("MP3", media::WriteMp3(dir / "piece.mp3", piece).path, 21);
            bench.joins("Ogg Vorbis", media::WriteOgg(dir / "piece.ogg", piece).path, 21);
        } else if (mode == "position") {
            std::printf("with a low-latency client attached, the position alone:\n");
            Bench bench(MonitorListener::Latency::kLow, 0.4, 0);
            bench.positionAccuracy(pattern);
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
