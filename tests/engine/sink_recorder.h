// Records what the null sink "out" plays (its monitor) into a WAV file with parec.
#pragma once

#include <sys/types.h>

#include <filesystem>

class SinkRecorder {
  public:
    // Starts parec and returns once it is connected and recording.
    explicit SinkRecorder(const std::filesystem::path& wav);
    // Stops the recording (if still running).
    ~SinkRecorder();
    SinkRecorder(const SinkRecorder&) = delete;
    SinkRecorder& operator=(const SinkRecorder&) = delete;

    void stop();

  private:
    std::filesystem::path wav_;
    pid_t pid_ = -1;
};
