#include "tests/media/recording.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace media {
namespace {

constexpr std::uintmax_t kWavHeaderBytes = 44;

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> ParecCommand(const std::filesystem::path& file, const std::string& source,
                                      int sampleRate, int channels) {
    return {"parec",
            "-d",
            source,
            "--file-format=wav",
            "--latency-msec=10",
            "--format=s16le",
            "--rate=" + std::to_string(sampleRate),
            "--channels=" + std::to_string(channels),
            file.string()};
}

}  // namespace

bool SoundServerConfigured() {
    const char* server = std::getenv("PULSE_SERVER");
    return server && *server;
}

std::optional<std::string> SoundServerMissing() {
    if (SoundServerConfigured()) return std::nullopt;
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true") return std::nullopt;
    return "no sound server: run under scripts/with-pulse";
}

SinkRecorder::SinkRecorder(std::filesystem::path file, std::string source, int sampleRate,
                           int channels)
    : file_(std::move(file)),
      log_(file_.string() + ".log"),
      process_(ParecCommand(file_, source, sampleRate, channels), log_.string()) {}

SinkRecorder::~SinkRecorder() {
    process_.Stop(SIGINT);
    std::error_code ignored;
    std::filesystem::remove(log_, ignored);
}

bool SinkRecorder::pollUntil(double timeoutSeconds, const std::function<bool()>& done) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + duration<double>(timeoutSeconds);
    for (;;) {
        if (done()) return true;
        if (!process_.running() || steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(milliseconds(5));
    }
}

bool SinkRecorder::WaitUntilRecording(double timeoutSeconds) {
    return pollUntil(timeoutSeconds, [&] {
        std::error_code error;
        const auto size = std::filesystem::file_size(file_, error);
        return !error && size > kWavHeaderBytes;
    });
}

bool SinkRecorder::WaitForSound(double threshold, double timeoutSeconds) {
    return pollUntil(timeoutSeconds,
                     [&] { return SoundStart(ReadWav(file_), threshold).has_value(); });
}

double SinkRecorder::RecordedSeconds() const {
    return ReadWav(file_).seconds();
}

Pcm SinkRecorder::Stop() {
    const bool ranUntilStopped = process_.running();
    const int exitCode = process_.Stop(SIGINT);
    if (!ranUntilStopped) {
        throw std::runtime_error("parec ended before it was stopped (exit " +
                                 std::to_string(exitCode) + "): " + ReadText(log_));
    }
    try {
        return ReadWav(file_);
    } catch (const std::exception& e) {
        throw std::runtime_error("parec recorded nothing readable (exit " +
                                 std::to_string(exitCode) + ", " + e.what() +
                                 "): " + ReadText(log_));
    }
}

}  // namespace media
