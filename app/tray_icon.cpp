#include "app/tray_icon.h"

#include "app/tray_tip.h"
#include "platform/display_text.h"

TrayIcon::TrayIcon(QObject* parent) : QObject(parent), icon_(new QSystemTrayIcon(this)) {
    connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated);
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::TrayAdd(MessageTarget* target, uintptr_t id, const QIcon& icon,
                       std::string_view tip) {
    present_ = true;
    Set(target, id, icon, tip);
    icon_->show();
    trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
    return trayAvailable_;
}

bool TrayIcon::TrayModify(MessageTarget* target, uintptr_t id, const QIcon& icon,
                          std::string_view tip) {
    if (!present_) return false;
    return Set(target, id, icon, tip);
}

bool TrayIcon::Set(MessageTarget* target, uintptr_t id, const QIcon& icon, std::string_view tip) {
    target_ = target;
    id_ = id;
    std::string cut = CutTrayTip(tip);
    // Called ten times a second while playing: touch the platform only on a real change.
    // Asking whether a notification area exists is a round trip to the display server: a new
    // tip, which changes every second, is not worth one, so only an add or a new icon asks.
    if (cut != tip_) {
        tip_ = std::move(cut);
        icon_->setToolTip(DisplayText(tip_));
    }
    if (icon.cacheKey() != icon_->icon().cacheKey()) {
        icon_->setIcon(icon);
        trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
    }
    return trayAvailable_;
}

bool TrayIcon::TrayDelete(MessageTarget* target, uintptr_t id) {
    if (!present_ || target != target_ || id != id_) return false;
    present_ = false;
    icon_->hide();  // takes the icon out of the notification area
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    if (!target_) return;
    intptr_t mouse_message = 0;
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            mouse_message = kTrayLeftButtonUp;
            break;
        case QSystemTrayIcon::Context:
            mouse_message = kTrayRightButtonDown;
            break;
        case QSystemTrayIcon::DoubleClick:
            // The platform reports the second click of a double click only as this; the
            // button still went up a second time.
            target_->post(target_, VYN_WM_TRAYICON, id_, kTrayLeftDoubleClick);
            mouse_message = kTrayLeftButtonUp;
            break;
        case QSystemTrayIcon::MiddleClick:
            mouse_message = kTrayMiddleButtonDown;
            break;
        default:
            return;
    }
    target_->post(target_, VYN_WM_TRAYICON, id_, mouse_message);
}
