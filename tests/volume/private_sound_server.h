// A PulseAudio daemon of one test's own, with one null sink "out" as its default output.
// The volume tests change and mute that sink's volume; on a daemon of their own they cannot
// disturb other tests that record what they play. While it runs, PULSE_SERVER points at it,
// for the mixer and for the pactl commands the test runs.
#pragma once

#include "tests/media/own_server.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <optional>
#include <string>

class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

class PrivateSoundServer {
  public:
    ~PrivateSoundServer() { Stop(); }

    // False when pulseaudio is missing or does not answer within 10 s. After Stop() it
    // starts a new daemon on the same socket, as a restarted sound server would.
    bool Start() {
        if (!dir_.isValid()) return false;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", dir_.path());
        env.insert("PULSE_RUNTIME_PATH", dir_.path());
        daemon_.setProcessEnvironment(env);
        const QString socket = dir_.filePath("native");
        daemon_.start(
            "pulseaudio",
            {"--daemonize=no", "--exit-idle-time=-1", "-n", "--disallow-exit", "--use-pid-file=no",
             "--log-target=file:" + dir_.filePath("log"), "--load=module-null-sink sink_name=out",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket});
        if (!daemon_.waitForStarted()) return false;
        server_.emplace("PULSE_SERVER", "unix:" + socket.toStdString());
        return QTest::qWaitFor([] { return std::system("pactl info >/dev/null 2>&1") == 0; },
                               10000);
    }

    // The daemon goes away as a crashed or restarted sound server would.
    void Stop() {
        if (daemon_.state() == QProcess::NotRunning) return;
        daemon_.kill();
        daemon_.waitForFinished(10000);
    }

  private:
    QTemporaryDir dir_;
    QProcess daemon_;
    std::optional<ScopedEnv> server_;
};
