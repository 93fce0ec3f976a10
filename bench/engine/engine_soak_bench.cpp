// bench_engine_soak [TRACKS]: TRACKS (default 10000) short tracks back to back through
// libbass.so, streams and module music in turn, as the player plays a list. Reports missed
// and doubled end messages and what the process holds before and after: threads,
// descriptors, resident memory.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "bench/engine/bench_media.h"
#include "tests/engine/back_to_back.h"
#include "tests/engine/process_usage.h"
#include "tests/media/media.h"

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_engine_soak [TRACKS]\n");
        return 2;
    }
    try {
        const auto dir = bench_media::Folder();
        const auto wav = media::WriteWav(dir / "soak.wav", {.seconds = 0.05, .toneHz = 0});
        const auto mp3 = media::WriteMp3(dir / "soak.mp3", {.seconds = 0.1, .toneHz = 0});
        const auto mod = media::WriteMod(dir / "soak.mod", {.orders = 1, .rowsPerOrder = 1});
        const std::vector<BackToBackTrack> tracks = {
            {wav.path.string()}, {mod.path.string(), true}, {mp3.path.string()}};
        PostedMessages messages;
        BassLibrary bass;
        if (!bass.Init(-1, 44100, 32, &messages))
            throw std::runtime_error("BASS_Init failed: " + std::to_string(bass.ErrorGetCode()));
        // The first tracks settle one-time allocations of the runtimes and libraries.
        PlayBackToBack(bass, messages, tracks, 12);
        messages.reserve(static_cast<std::size_t>(count) + 64);
        const ProcessUsage start = ProcessUsage::Now();
        const auto t0 = std::chrono::steady_clock::now();
        ProcessUsage end;
        double seconds = 0;
        const BackToBackResult r = PlayBackToBack(bass, messages, tracks, count, [&] {
            end = ProcessUsage::Now();
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        });
        bass.Free();
        std::printf(
            "soak: %d tracks back to back in %.0f s (%.1f ms each): %d played, %d failed, "
            "%d without an end message, %d with more than one\n",
            count, seconds, 1000 * seconds / count, r.played, r.failed, r.missing, r.doubled);
        std::printf(
            "soak: threads %d -> %d, descriptors %d -> %d, resident memory %ld -> %ld KiB "
            "(%+ld KiB)\n",
            start.threads, end.threads, start.fds, end.fds, start.residentKb, end.residentKb,
            end.residentKb - start.residentKb);
        const bool clean = r.played == count && r.missing == 0 && r.doubled == 0 &&
                           end.threads == start.threads && end.fds == start.fds &&
                           end.residentKb - start.residentKb < 1024;
        std::printf("soak: %s\n", clean ? "clean" : "NOT CLEAN");
        return clean ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_engine_soak: %s\n", e.what());
        return 1;
    }
}
