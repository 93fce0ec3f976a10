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

}  // namespace media
