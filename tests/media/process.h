// Runs the Debian encoders as child processes: no shell, arguments passed as they are.
#pragma once

#include <string>
#include <vector>

namespace media {

struct ProgramResult {
    int exitCode = -1;   // -1 when the program died from a signal
    std::string errors;  // what it wrote to stderr
};

// Runs argv[0] (searched on PATH) with the given arguments plus extra "NAME=value"
// environment entries, stdin from /dev/null, stdout discarded; waits for it to end.
// Throws std::runtime_error when it can't be started.
ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnvironment = {});

// RunProgram that throws std::runtime_error with the command and its stderr unless it
// exits with 0.
void RunProgramOrThrow(const std::vector<std::string>& argv,
                       const std::vector<std::string>& extraEnvironment = {});

// RunProgram that keeps what the program wrote to stdout instead (stderr is discarded);
// empty when it can't be started.
std::string ProgramOutput(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnvironment = {});

}  // namespace media

namespace media {

// A child process that runs in the background until it is stopped. Its stdout and stderr go
// to logPath (or /dev/null). The destructor stops it and reaps it, so neither a zombie nor a
// stray process outlives the object, whatever happened in between.
class ChildProcess {
  public:
    explicit ChildProcess(const std::vector<std::string>& argv, const std::string& logPath = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int pid() const { return pid_; }
    bool running();
    // Sends signal, waits up to graceSeconds, then SIGTERM and SIGKILL as needed; reaps.
    // Returns the exit code, or -1 when it ended by a signal. Further calls return the same.
    int Stop(int signal, double graceSeconds = 2.0);

  private:
    bool Reap(bool block);

    int pid_ = -1;
    bool reaped_ = false;
    int exitCode_ = -1;
};

}  // namespace media
