// Only one test at a time may make sound on the shared null sink, or recordings mix.
// Test processes that play take this lock (a file lock in the sound server's runtime
// folder), so CTest may run them in parallel with everything else.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class SinkLock {
  public:
    SinkLock() {
        const char* dir = std::getenv("XDG_RUNTIME_DIR");
        const std::string path = std::string(dir && *dir ? dir : "/tmp") + "/vyn-sink.lock";
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~SinkLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    SinkLock(const SinkLock&) = delete;
    SinkLock& operator=(const SinkLock&) = delete;

  private:
    int fd_ = -1;
};
