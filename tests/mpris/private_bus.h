// A session bus of the test's own: a dbus-daemon started for the fixture and stopped by its
// pid, so that no test reaches the desktop's bus.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <QDBusConnection>
#include <QProcess>
#include <QString>

class PrivateBus {
  public:
    PrivateBus() {
        daemon_.setProgram(QStringLiteral("dbus-daemon"));
        daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                              QStringLiteral("--print-address=1")});
        daemon_.start();
        if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000)) {
            ADD_FAILURE() << "dbus-daemon did not start";
            return;
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
        if (daemon_.processId() > 0) ::kill(static_cast<pid_t>(daemon_.processId()), SIGTERM);
        daemon_.waitForFinished(3000);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // A new connection of its own name; each stands for one program on the bus.
    QDBusConnection Connect(const QString& name) {
        names_.push_back(name);
        return QDBusConnection::connectToBus(address_, name);
    }
    const QString& Address() const { return address_; }

  private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};
