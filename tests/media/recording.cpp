#include "tests/media/recording.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

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
      bytesPerSecond_(sampleRate * channels * 2),
      process_(ParecCommand(file_, source, sampleRate, channels), log_.string()) {}

SinkRecorder::~SinkRecorder() {
    process_.Stop(SIGINT);
    std::error_code ignored;
    std::filesystem::remove(log_, ignored);
}

bool SinkRecorder::WaitUntilRecording(double timeoutSeconds) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + duration<double>(timeoutSeconds);
    for (;;) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file_, error);
        if (!error && size > kWavHeaderBytes) return true;
        if (!process_.running() || steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(milliseconds(5));
    }
}

bool SinkRecorder::WaitForSound(double threshold, double timeoutSeconds) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + duration<double>(timeoutSeconds);
    const auto level = static_cast<int>(threshold * 32768);
    std::ifstream in(file_, std::ios::binary);
    std::error_code error;
    const std::uintmax_t now = std::filesystem::file_size(file_, error);
    std::uintmax_t from = error ? kWavHeaderBytes : std::max(now, kWavHeaderBytes);
    from -= (from - kWavHeaderBytes) % 2;
    std::vector<std::int16_t> samples;
    for (;;) {
        const std::uintmax_t size = std::filesystem::file_size(file_, error);
        if (!error && size >= from + 2) {
            samples.resize((size - from) / 2);
            in.clear();
            in.seekg(static_cast<std::streamoff>(from));
            in.read(reinterpret_cast<char*>(samples.data()),
                    static_cast<std::streamsize>(samples.size() * 2));
            from += static_cast<std::uintmax_t>(in.gcount()) / 2 * 2;
            for (std::streamsize i = 0; i < in.gcount() / 2; ++i)
                if (std::abs(samples[static_cast<std::size_t>(i)]) >= level) return true;
        }
        if (!process_.running() || steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(milliseconds(2));
    }
}

double SinkRecorder::RecordedSeconds() const {
    std::error_code error;
    const auto size = std::filesystem::file_size(file_, error);
    if (error || size <= kWavHeaderBytes) return 0;
    return static_cast<double>(size - kWavHeaderBytes) / bytesPerSecond_;
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
