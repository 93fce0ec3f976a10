// Records what the sound server plays: parec on the monitor of the null sink "out" that the
// tests' private PulseAudio daemon provides (PULSE_SERVER from the environment).
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "tests/media/analysis.h"
#include "tests/media/process.h"

namespace media {

// Whether a sound server is configured for this process (PULSE_SERVER is set). Tests that
// need one fail without it under CI=true and skip otherwise; see SoundServerMissing.
bool SoundServerConfigured();
// A message when the sound server is missing and the test should skip, nullopt when it
// should run (the server is there, or CI=true demands that the test runs and fails).
std::optional<std::string> SoundServerMissing();

class SinkRecorder {
  public:
    // Starts `parec -d source --file-format=wav --latency-msec=10` into file, 16-bit at the
    // given rate and channel count. Throws std::runtime_error when parec can't be started.
    explicit SinkRecorder(std::filesystem::path file, std::string source = "out.monitor",
                          int sampleRate = 44100, int channels = 2);
    // Stops parec if it still runs; never leaves a zombie or a stray process.
    ~SinkRecorder();
    SinkRecorder(const SinkRecorder&) = delete;
    SinkRecorder& operator=(const SinkRecorder&) = delete;

    // Waits until parec has delivered its first audio (the stream is connected). Returns
    // false when that took longer than timeoutSeconds or parec ended.
    bool WaitUntilRecording(double timeoutSeconds = 5.0);
    // Waits until the recording holds sound (SoundStart at `threshold`): the sound has been
    // heard, however long the server took to start it. False on timeout.
    bool WaitForSound(double threshold = 0.02, double timeoutSeconds = 5.0);

    // Seconds parec has written so far: the sink's output up to the recording's own latency
    // ago. Call after WaitUntilRecording.
    double RecordedSeconds() const;

    // Stops parec (SIGINT, so it finishes the file) and returns what it recorded. Throws
    // std::runtime_error with parec's own messages when parec had already ended (it could
    // not connect, or lost its server) or recorded nothing readable.
    Pcm Stop();

    const std::filesystem::path& file() const { return file_; }
    int pid() const { return process_.pid(); }

  private:
    bool pollUntil(double timeoutSeconds, const std::function<bool()>& done);

    std::filesystem::path file_;
    std::filesystem::path log_;
    ChildProcess process_;
};

}  // namespace media
