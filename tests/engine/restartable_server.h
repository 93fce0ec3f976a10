// A PulseAudio daemon of one test's own, with a null sink "out", that the test may kill as a
// crashing sound server dies and start again on the same socket. No keep-alive client is
// attached: the sink runs at the latency its clients ask for. While the object lives,
// PULSE_SERVER points at it.
#pragma once

#include "tests/media/own_server.h"

#include <stdlib.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "tests/media/process.h"

class RestartableServer {
  public:
    RestartableServer() {
        char pattern[] = "/tmp/vyn-restart.XXXXXX";
        if (mkdtemp(pattern)) dir_ = pattern;
        if (const char* old = std::getenv("PULSE_SERVER")) saved_ = old;
        setenv("PULSE_SERVER", address().c_str(), 1);
    }
    ~RestartableServer() {
        Kill();
        if (saved_)
            setenv("PULSE_SERVER", saved_->c_str(), 1);
        else
            unsetenv("PULSE_SERVER");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    RestartableServer(const RestartableServer&) = delete;
    RestartableServer& operator=(const RestartableServer&) = delete;

    std::string address() const { return "unix:" + (dir_ / "native").string(); }

    // False when pulseaudio can't be started or does not answer within 10 s.
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
        for (int i = 0; i < 200; ++i) {
            if (Pactl({"info"}) == 0) return true;
            if (!daemon_->running()) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Gone at once, as a crashed server is: no goodbye to its clients.
    void Kill() {
        if (daemon_) daemon_->Stop(SIGKILL);
        daemon_.reset();
    }

    int Pactl(const std::vector<std::string>& args) const {
        std::vector<std::string> argv{"pactl"};
        argv.insert(argv.end(), args.begin(), args.end());
        return media::RunProgram(argv, {"PULSE_SERVER=" + address()}).exitCode;
    }

  private:
    std::filesystem::path dir_;
    std::optional<std::string> saved_;
    std::optional<media::ChildProcess> daemon_;
};
