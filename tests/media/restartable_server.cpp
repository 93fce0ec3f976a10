#include "tests/media/restartable_server.h"

#include <stdlib.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "tests/media/process.h"

namespace {

std::filesystem::path MakeDir() {
    char pattern[] = "/tmp/vyn-server-test.XXXXXX";
    return mkdtemp(pattern) ? std::filesystem::path(pattern) : std::filesystem::path();
}

// Starts a child, or leaves `process` empty when the program can't be started.
void Launch(std::optional<media::ChildProcess>& process, const std::vector<std::string>& argv,
            const std::filesystem::path& log) {
    try {
        process.emplace(argv, log.string());
    } catch (const std::runtime_error&) {
        process.reset();
    }
}

bool Running(std::optional<media::ChildProcess>& process) {
    return process && process->running();
}

void Stop(std::optional<media::ChildProcess>& process, int signal) {
    if (process) process->Stop(signal);
    process.reset();
}

void Signal(std::optional<media::ChildProcess>& process, int signal) {
    if (process) kill(process->pid(), signal);
}

class PulseDaemon : public RestartableServer {
  public:
    PulseDaemon() : RestartableServer("native") {}
    ~PulseDaemon() override { Kill(); }

    bool Start() override {
        if (dir().empty()) return false;
        const std::string runtime = dir().string();
        Launch(
            daemon_,
            {"env", "XDG_RUNTIME_DIR=" + runtime, "PULSE_RUNTIME_PATH=" + runtime, "pulseaudio",
             "--daemonize=no", "--exit-idle-time=-1", "-n", "--disallow-exit", "--use-pid-file=no",
             "--log-target=file:" + runtime + "/log", "--load=module-null-sink sink_name=out",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + runtime + "/native"},
            dir() / "stdout");
        return WaitUntilServing([this] { return Running(daemon_); });
    }
    void Kill() override { Stop(daemon_, SIGKILL); }
    void Freeze(bool frozen) override { Signal(daemon_, frozen ? SIGSTOP : SIGCONT); }

    // pactl can't kill one stream; the sink unloaded, with no other to move them to, kills
    // them all.
    bool KillStreams() override {
        static const std::regex sink(R"((\d+)\s+module-null-sink)");
        std::smatch m;
        const std::string modules = PactlOutput({"list", "short", "modules"});
        return std::regex_search(modules, m, sink) && Pactl({"unload-module", m[1]}) == 0;
    }

    // The sink's configured latency: alone on the server, a stream sets it to what it asks for.
    double StreamLatencyMs() const override {
        static const std::regex figure(R"(configured (\d+) usec)");
        std::smatch m;
        const std::string text = PactlOutput({"list", "sinks"});
        return std::regex_search(text, m, figure) ? std::stod(m[1]) / 1000 : -1;
    }

  private:
    std::optional<media::ChildProcess> daemon_;
};

// The sink is made by pipewire itself from its configuration, as a desktop's device sink is,
// so that it outlives a restart of pipewire-pulse. The state folder keeps wireplumber's
// remembered volumes and defaults to this graph.
class PipeWireGraph : public RestartableServer {
  public:
    explicit PipeWireGraph(bool restartPulseOnly)
        : RestartableServer("pulse/native"), pulseOnly_(restartPulseOnly) {
        if (dir().empty()) return;
        std::filesystem::create_directories(dir() / "config/pipewire/pipewire.conf.d");
        std::filesystem::create_directories(dir() / "state");
        std::ofstream(dir() / "config/pipewire/pipewire.conf.d/out.conf")
            << "context.objects = [ { factory = adapter args = {\n"
               "  factory.name = support.null-audio-sink node.name = out node.description = out\n"
               "  media.class = Audio/Sink audio.position = [ FL FR ]\n"
               "  monitor.channel-volumes = true object.linger = true } } ]\n";
    }
    ~PipeWireGraph() override {
        Stop(pulse_, SIGTERM);
        Stop(wireplumber_, SIGTERM);
        Stop(pipewire_, SIGTERM);
        Stop(bus_, SIGTERM);
    }

    bool Start() override {
        if (dir().empty()) return false;
        const std::string d = dir().string();
        const std::vector<std::string> env = {"env",
                                              "XDG_RUNTIME_DIR=" + d,
                                              "PULSE_RUNTIME_PATH=" + d + "/pulse",
                                              "XDG_CONFIG_HOME=" + d + "/config",
                                              "XDG_STATE_HOME=" + d + "/state",
                                              "DBUS_SESSION_BUS_ADDRESS=unix:path=" + d + "/bus"};
        const auto with = [&](std::initializer_list<std::string> argv) {
            std::vector<std::string> all = env;
            all.insert(all.end(), argv);
            return all;
        };
        if (!Running(bus_))
            Launch(bus_,
                   {"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + d + "/bus"},
                   dir() / "dbus.log");
        if (!Running(pipewire_)) {
            std::error_code ignored;
            std::filesystem::remove(dir() / "pipewire-0", ignored);
            Launch(pipewire_, with({"pipewire"}), dir() / "pipewire.log");
            for (int i = 0;
                 i < 200 && Running(pipewire_) && !std::filesystem::exists(dir() / "pipewire-0");
                 ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        if (!Running(wireplumber_))
            Launch(wireplumber_, with({"wireplumber"}), dir() / "wireplumber.log");
        if (!Running(pulse_))
            Launch(pulse_, with({"pipewire-pulse"}), dir() / "pipewire-pulse.log");
        return WaitUntilServing([this] {
            return Running(bus_) && Running(pipewire_) && Running(wireplumber_) && Running(pulse_);
        });
    }

    void Kill() override {
        Stop(pulse_, SIGKILL);
        if (pulseOnly_) return;
        Stop(wireplumber_, SIGKILL);
        Stop(pipewire_, SIGKILL);
    }

    void Freeze(bool frozen) override {
        for (auto* process : {&pulse_, &wireplumber_, &pipewire_}) {
            Signal(*process, frozen ? SIGSTOP : SIGCONT);
            if (pulseOnly_) return;
        }
    }

    // Destroys the playback streams' nodes in the graph; pipewire-pulse tells their clients
    // the streams were killed.
    bool KillStreams() override {
        const std::string runtime = "XDG_RUNTIME_DIR=" + dir().string();
        std::istringstream nodes(media::ProgramOutput({"env", runtime, "pw-cli", "ls", "Node"}));
        static const std::regex header(R"(^\s*id (\d+), type)");
        std::string id;
        bool any = false;
        for (std::string line; std::getline(nodes, line);) {
            std::smatch m;
            if (std::regex_search(line, m, header))
                id = m[1];
            else if (line.find("media.class = \"Stream/Output/Audio\"") != std::string::npos)
                any = media::RunProgram({"env", runtime, "pw-cli", "destroy", id}).exitCode == 0 ||
                      any;
        }
        return any;
    }

    // The node latency pipewire-pulse gave the playing stream (its "node.latency" property).
    double StreamLatencyMs() const override {
        static const std::regex figure(R"re(node\.latency = "(\d+)/(\d+)")re");
        std::smatch m;
        const std::string text = PactlOutput({"list", "sink-inputs"});
        return std::regex_search(text, m, figure) ? 1000 * std::stod(m[1]) / std::stod(m[2]) : -1;
    }

  private:
    bool pulseOnly_;
    std::optional<media::ChildProcess> bus_, pipewire_, wireplumber_, pulse_;
};

std::vector<std::string> PactlCommand(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"pactl"};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

}  // namespace

std::string ServerName(ServerKind kind) {
    switch (kind) {
        case ServerKind::PulseAudio:
            return "PulseAudio";
        case ServerKind::PipeWire:
            return "PipeWire";
        case ServerKind::PipeWirePulse:
            return "PipeWirePulse";
    }
    return "";
}

RestartableServer::RestartableServer(std::string socket)
    : dir_(MakeDir()), socket_(std::move(socket)), server_("PULSE_SERVER", address()) {}

RestartableServer::~RestartableServer() {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

int RestartableServer::Pactl(const std::vector<std::string>& args) const {
    return media::RunProgram(PactlCommand(args), {"PULSE_SERVER=" + address()}).exitCode;
}

std::string RestartableServer::PactlOutput(const std::vector<std::string>& args) const {
    return media::ProgramOutput(PactlCommand(args), {"PULSE_SERVER=" + address()});
}

bool RestartableServer::WaitUntilServing(const std::function<bool()>& alive) const {
    // Until then PipeWire's session manager may not have chosen the sink as the default yet,
    // and a stream made then fails: no desktop session is that young when a user plays.
    for (int i = 0; i < 400; ++i) {
        if (!alive()) return false;
        if (PactlOutput({"get-default-sink"}) == "out\n") return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::unique_ptr<RestartableServer> MakeServer(ServerKind kind) {
    if (kind == ServerKind::PulseAudio) return std::make_unique<PulseDaemon>();
    return std::make_unique<PipeWireGraph>(kind == ServerKind::PipeWirePulse);
}
