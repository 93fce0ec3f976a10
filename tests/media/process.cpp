#include "tests/media/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

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

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnvironment) {
    if (argv.empty()) throw std::invalid_argument("RunProgram: no program");
    std::vector<std::string> args = argv;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.insert(env.end(), extraEnvironment.begin(), extraEnvironment.end());
    auto argPointers = PointersOf(args);
    auto envPointers = PointersOf(env);

    Pipe errors;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errors.write(), 2);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argPointers.data(),
                                envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(rc));
    }
    errors.CloseWrite();

    ProgramResult result;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(errors.read(), buffer, sizeof buffer);
        if (got > 0) {
            result.errors.append(buffer, static_cast<std::size_t>(got));
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

void RunProgramOrThrow(const std::vector<std::string>& argv,
                       const std::vector<std::string>& extraEnvironment) {
    const ProgramResult result = RunProgram(argv, extraEnvironment);
    if (result.exitCode != 0) {
        throw std::runtime_error(CommandLine(argv) + " failed (" + std::to_string(result.exitCode) +
                                 "): " + result.errors);
    }
}

}  // namespace media
