#include "tests/media/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace media {
namespace {

std::vector<char*> PointersOf(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

std::string CommandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const auto& arg : argv) line += (line.empty() ? "" : " ") + arg;
    return line;
}

class Pipe {
  public:
    Pipe() {
        if (pipe2(fds_, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int read() const { return fds_[0]; }
    int write() const { return fds_[1]; }
    void CloseRead() { Close(fds_[0]); }
    void CloseWrite() { Close(fds_[1]); }

  private:
    static void Close(int& fd) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    int fds_[2] = {-1, -1};
};

struct Captured {
    int exitCode = -1;
    std::string text;
};

// Runs the program with one of stdout or stderr going to a pipe that is read to the end; the
// other goes to /dev/null.
Captured Run(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment,
             int captured) {
    if (argv.empty()) throw std::invalid_argument("RunProgram: no program");
    std::vector<std::string> args = argv;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.insert(env.end(), extraEnvironment.begin(), extraEnvironment.end());
    auto argPointers = PointersOf(args);
    auto envPointers = PointersOf(env);

    Pipe text;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, captured == 1 ? 2 : 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, text.write(), captured);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argPointers.data(),
                                envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(rc));
    }
    text.CloseWrite();

    Captured result;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(text.read(), buffer, sizeof buffer);
        if (got > 0) {
            result.text.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnvironment) {
    const Captured run = Run(argv, extraEnvironment, 2);
    return {run.exitCode, run.text};
}

std::string ProgramOutput(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnvironment) {
    try {
        return Run(argv, extraEnvironment, 1).text;
    } catch (const std::runtime_error&) {
        return {};
    }
}

void RunProgramOrThrow(const std::vector<std::string>& argv,
                       const std::vector<std::string>& extraEnvironment) {
    const ProgramResult result = RunProgram(argv, extraEnvironment);
    if (result.exitCode != 0) {
        throw std::runtime_error(CommandLine(argv) + " failed (" + std::to_string(result.exitCode) +
                                 "): " + result.errors);
    }
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& logPath) {
    if (argv.empty()) throw std::invalid_argument("ChildProcess: no program");
    std::vector<std::string> args = argv;
    auto argPointers = PointersOf(args);
    const std::string log = logPath.empty() ? "/dev/null" : logPath;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int rc =
        posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argPointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(rc));
    pid_ = pid;
}

ChildProcess::~ChildProcess() {
    Stop(SIGTERM, 1.0);
}

bool ChildProcess::Reap(bool block) {
    if (reaped_) return true;
    int status = 0;
    pid_t got;
    do {
        got = waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == 0) return false;
    reaped_ = true;
    exitCode_ = got == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

bool ChildProcess::running() {
    return !Reap(false);
}

int ChildProcess::Stop(int signal, double graceSeconds) {
    using namespace std::chrono;
    auto waitFor = [this](double seconds) {
        const auto deadline = steady_clock::now() + duration<double>(seconds);
        while (!Reap(false)) {
            if (steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(milliseconds(5));
        }
        return true;
    };
    if (reaped_) return exitCode_;
    kill(pid_, signal);
    if (waitFor(graceSeconds)) return exitCode_;
    kill(pid_, SIGTERM);
    if (waitFor(1.0)) return exitCode_;
    kill(pid_, SIGKILL);
    Reap(true);
    return exitCode_;
}

}  // namespace media
