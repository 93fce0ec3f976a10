// A sound server of one test's own, with a null sink "out" as its default output, that the
// test may kill as a crashing sound server dies and start again on the same socket. Two kinds
// stand behind one interface, so that a test's rows pick the server: a PulseAudio daemon, or
// a PipeWire graph (pipewire, wireplumber and pipewire-pulse with a session bus of its own),
// whose restart is either pipewire-pulse's alone or the whole graph's. No keep-alive client is
// attached: the sink runs at the latency its clients ask for. Tests that change or mute the
// sink's volume cannot disturb others that record what they play. While the object lives,
// PULSE_SERVER points at it, for the code under test and for pactl.
#pragma once

#include "tests/media/own_server.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/media/scoped_env.h"

enum class ServerKind {
    PulseAudio,
    PipeWire,       // a restart restarts the whole graph
    PipeWirePulse,  // a restart restarts pipewire-pulse alone; the sink lives on in pipewire
};

// The row name of a kind in test names.
std::string ServerName(ServerKind kind);
inline void PrintTo(ServerKind kind, std::ostream* os) {
    *os << ServerName(kind);
}

class RestartableServer {
  public:
    virtual ~RestartableServer();
    RestartableServer(const RestartableServer&) = delete;
    RestartableServer& operator=(const RestartableServer&) = delete;

    std::string address() const { return "unix:" + (dir_ / socket_).string(); }

    // False when the server can't be started or does not answer within 20 s. After Kill()
    // it starts again what was killed, on the same socket, as a restarted sound server would.
    virtual bool Start() = 0;
    // Gone at once, as a crashed server is (kill -9): no goodbye to its clients.
    virtual void Kill() = 0;
    // Ends every playback stream while the clients stay connected, as a mixer's "kill" or a
    // device gone with nowhere to move its streams to does. False when it could not.
    virtual bool KillStreams() = 0;
    // Stops the server's processes where they stand (SIGSTOP) or lets them go on: a server
    // that keeps its clients' sockets open but does not answer, as a stopped or swapping one.
    // A restart's kind picks which: all of them, or pipewire-pulse alone.
    virtual void Freeze(bool frozen) = 0;
    // The latency the server runs the playing streams at, in ms; -1 when none is playing.
    virtual double StreamLatencyMs() const = 0;

    // pactl against this server: its exit code, or what it printed.
    int Pactl(const std::vector<std::string>& args) const;
    std::string PactlOutput(const std::vector<std::string>& args) const;

  protected:
    // `socket` is where the server's native protocol socket lies, relative to dir().
    explicit RestartableServer(std::string socket);
    const std::filesystem::path& dir() const { return dir_; }
    // Waits until pactl reaches the server and finds the sink "out" as its default; false if
    // `alive` turns false or 20 s pass first.
    bool WaitUntilServing(const std::function<bool()>& alive) const;

  private:
    std::filesystem::path dir_;
    std::string socket_;
    ScopedEnv server_;
};

std::unique_ptr<RestartableServer> MakeServer(ServerKind kind);
