// A PulseAudio daemon of one test's own, with a null sink "out" as its default output, that
// the test may kill as a crashing sound server dies and start again on the same socket. No
// keep-alive client is attached: the sink runs at the latency its clients ask for. Tests
// that change or mute the sink's volume cannot disturb others that record what they play.
// While the object lives, PULSE_SERVER points at it, for the code under test and for pactl.
#pragma once

#include "tests/media/own_server.h"

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "tests/media/process.h"
#include "tests/media/scoped_env.h"

class RestartableServer {
  public:
    RestartableServer() : dir_(MakeDir()), server_("PULSE_SERVER", address()) {}
    ~RestartableServer() {
        Kill();
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }
    RestartableServer(const RestartableServer&) = delete;
    RestartableServer& operator=(const RestartableServer&) = delete;

    std::string address() const { return "unix:" + (dir_ / "native").string(); }

    // False when pulseaudio can't be started or does not answer within 20 s. After Kill()
    // it starts a new daemon on the same socket, as a restarted sound server would.
    bool Start() {
        if (dir_.empty()) return false;
        const std::string runtime = dir_.string();
        daemon_.emplace(
            std::vector<std::string>{
                "env", "XDG_RUNTIME_DIR=" + runtime, "PULSE_RUNTIME_PATH=" + runtime, "pulseaudio",
                "--daemonize=no", "--exit-idle-time=-1", "-n", "--disallow-exit",
                "--use-pid-file=no", "--log-target=file:" + runtime + "/log",
                "--load=module-null-sink sink_name=out",
                "--load=module-native-protocol-unix auth-anonymous=1 socket=" + runtime +
                    "/native"},
            runtime + "/stdout");
        for (int i = 0; i < 400; ++i) {
            if (Pactl({"info"}) == 0) return true;
            if (!daemon_->running()) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Gone at once, as a crashed server is (kill -9): no goodbye to its clients.
    void Kill() {
        if (daemon_) daemon_->Stop(SIGKILL);
        daemon_.reset();
    }

    // pactl against this daemon: its exit code, or what it printed.
    int Pactl(const std::vector<std::string>& args) const {
        return media::RunProgram(PactlCommand(args), {"PULSE_SERVER=" + address()}).exitCode;
    }
    std::string PactlOutput(const std::vector<std::string>& args) const {
        return media::ProgramOutput(PactlCommand(args), {"PULSE_SERVER=" + address()});
    }

  private:
    static std::filesystem::path MakeDir() {
        char pattern[] = "/tmp/vyn-pulse-test.XXXXXX";
        return mkdtemp(pattern) ? std::filesystem::path(pattern) : std::filesystem::path();
    }
    static std::vector<std::string> PactlCommand(const std::vector<std::string>& args) {
        std::vector<std::string> argv{"pactl"};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }

    std::filesystem::path dir_;
    ScopedEnv server_;
    std::optional<media::ChildProcess> daemon_;
};
