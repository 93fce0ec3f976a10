#include "app/mpris_bridge.h"

#include <QCheckBox>
#include <QProgressBar>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "app/main_form.h"
#include "app/window_hiding.h"
#include "volume/master_volume.h"

std::optional<QDBusConnection> MprisBridge::SessionBus() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    const bool socket = runtime && *runtime &&
                        std::filesystem::exists(std::filesystem::path(runtime) / "bus", error);
    if (!(address && *address) && !socket) return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    return bus;
}

MprisBridge::MprisBridge(TMainForm& form)
    : form_(form),
      repeatBox_(form.findChild<QCheckBox*>(QStringLiteral("RepeatBox"))),
      randomBox_(form.findChild<QCheckBox*>(QStringLiteral("RandomBox"))),
      volumeBar_(form.findChild<QProgressBar*>(QStringLiteral("VolumeBar"))) {}

std::unique_ptr<MprisBridge> MprisBridge::Start(TMainForm& form, QDBusConnection bus) {
    std::unique_ptr<MprisBridge> bridge(new MprisBridge(form));
    bridge->service_ = MprisService::Start(
        std::move(bus), form.Controller(), *bridge,
        [&form](const std::function<void()>& handler) { form.Errors().Guard(handler); });
    if (!bridge->service_) return nullptr;
    MprisService* service = bridge->service_.get();
    auto refresh = [service] { service->Refresh(); };
    // What the controller does not see: the boxes, the volume, the list's length.
    QObject::connect(bridge->repeatBox_, &QCheckBox::toggled, service, refresh);
    QObject::connect(bridge->randomBox_, &QCheckBox::toggled, service, refresh);
    QObject::connect(bridge->volumeBar_, &QProgressBar::valueChanged, service, refresh);
    QObject::connect(&form.Playlist(), &QAbstractItemModel::rowsInserted, service, refresh);
    QObject::connect(&form.Playlist(), &QAbstractItemModel::rowsRemoved, service, refresh);
    QObject::connect(&form.Playlist(), &QAbstractItemModel::modelReset, service, refresh);
    return bridge;
}

MprisBridge::~MprisBridge() = default;

void MprisBridge::Raise() {
    if (!form_.isVisible()) form_.Hiding().VynPlayer1Click();  // shows it, taskbar entry included
    form_.raise();
    form_.activateWindow();
}

void MprisBridge::Quit() {
    form_.QuitWithoutAsking();
}

bool MprisBridge::RepeatChecked() const {
    return repeatBox_->isChecked();
}
void MprisBridge::SetRepeatChecked(bool checked) {
    repeatBox_->setChecked(checked);
}
bool MprisBridge::RandomChecked() const {
    return randomBox_->isChecked();
}
void MprisBridge::SetRandomChecked(bool checked) {
    randomBox_->setChecked(checked);
}

double MprisBridge::MasterVolume() const {
    // The bar mirrors the master volume; without a mixer it stands still at its start.
    if (!form_.Volume().MixerAvailable()) return 0;
    const double span = double(volumeBar_->maximum()) - volumeBar_->minimum();
    return span > 0 ? (volumeBar_->value() - volumeBar_->minimum()) / span : 0;
}

void MprisBridge::SetMasterVolume(double volume) {
    if (!form_.Volume().MixerAvailable()) return;
    const double span = double(volumeBar_->maximum()) - volumeBar_->minimum();
    volumeBar_->setValue(static_cast<int>(std::lround(volumeBar_->minimum() + volume * span)));
    form_.Volume().WriteMasterVolume();
}

void MprisBridge::OpenAndPlay(const std::vector<std::string>& paths) {
    form_.OpenPaths(paths, true);
}
