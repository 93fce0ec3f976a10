#include "tests/engine/sink_recorder.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

extern char** environ;

SinkRecorder::SinkRecorder(const std::filesystem::path& wav) : wav_(wav) {
    const std::string file = wav.string();
    const char* argv[] = {
        "parec",      "-d",   "out.monitor", "--file-format=wav", "--latency-msec=10",
        file.c_str(), nullptr};
    if (posix_spawnp(&pid_, "parec", nullptr, nullptr, const_cast<char* const*>(argv), environ) !=
        0)
        throw std::runtime_error("can't start parec");
    // parec writes the WAV header once it is connected; give the stream a moment beyond.
    for (int i = 0;
         i < 200 && (!std::filesystem::exists(wav_) || std::filesystem::file_size(wav_) == 0); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

SinkRecorder::~SinkRecorder() {
    stop();
}

void SinkRecorder::stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGINT);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}
