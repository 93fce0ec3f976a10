// The main window as the desktop's media player: the MPRIS service over its controller, and
// the window's boxes, volume bar and list as the service's host.
#pragma once

#include <QDBusConnection>
#include <memory>
#include <optional>

#include "mpris/mpris_host.h"
#include "mpris/mpris_service.h"

class TMainForm;
class QCheckBox;
class QProgressBar;

class MprisBridge : public MprisHost {
  public:
    // The session bus when the environment names one (or the runtime folder holds its socket);
    // nullopt otherwise, so that no bus is ever started on the player's behalf.
    static std::optional<QDBusConnection> SessionBus();

    // Null when `bus` can't carry the service; the player then works without it.
    static std::unique_ptr<MprisBridge> Start(TMainForm& form, QDBusConnection bus);
    ~MprisBridge() override;

    MprisService& Service() { return *service_; }

    void Raise() override;
    void Quit() override;
    bool RepeatChecked() const override;
    void SetRepeatChecked(bool checked) override;
    bool RandomChecked() const override;
    void SetRandomChecked(bool checked) override;
    double MasterVolume() const override;
    void SetMasterVolume(double volume) override;
    void OpenAndPlay(const std::vector<std::string>& paths) override;

  private:
    explicit MprisBridge(TMainForm& form);

    TMainForm& form_;
    QCheckBox* repeatBox_;
    QCheckBox* randomBox_;
    QProgressBar* volumeBar_;
    std::unique_ptr<MprisService> service_;
};
