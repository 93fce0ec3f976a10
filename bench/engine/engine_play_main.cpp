// bench_engine_play FILE SECONDS: plays FILE through libbass.so for SECONDS, reading the
// position ten times a second as the player's time display does, then frees the engine.
// The whole-system cost script measures this process beside the sound server.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

#include "tests/engine/bass_library.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_engine_play FILE SECONDS\n");
        return 2;
    }
    try {
        BassLibrary bass;
        if (!bass.Init(-1, 44100, 32, nullptr))
            throw std::runtime_error("BASS_Init failed: " + std::to_string(bass.ErrorGetCode()));
        const HSTREAM s = bass.StreamCreateFile(0, argv[1], 0, 0, 0);
        if (!s || !bass.StreamPlay(s, 0, 0))
            throw std::runtime_error("can't play " + std::string(argv[1]) + ": " +
                                     std::to_string(bass.ErrorGetCode()));
        const auto end = std::chrono::steady_clock::now() +
                         std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(std::atof(argv[2])));
        QWORD position = 0;
        while (std::chrono::steady_clock::now() < end) {
            position = bass.ChannelGetPosition(s);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        std::printf("played to %.2f s\n", bass.ChannelBytes2Seconds(s, position));
        bass.StreamFree(s);
        bass.Free();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_engine_play: %s\n", e.what());
        return 1;
    }
    return 0;
}
