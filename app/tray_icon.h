// The program's one icon in the notification area. Mouse events over it are posted to the
// main window as VYN_WM_TRAYICON with the icon id as wparam and the mouse message as lparam,
// so they arrive through the main window's queue like any other message.
#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/message_target.h"

// The mouse messages the tray posts, numbered as the main window's handler expects them.
inline constexpr intptr_t kTrayLeftButtonUp = 0x202;
inline constexpr intptr_t kTrayLeftDoubleClick = 0x203;
inline constexpr intptr_t kTrayRightButtonDown = 0x204;
inline constexpr intptr_t kTrayMiddleButtonDown = 0x207;
inline constexpr uintptr_t kTrayIconId = 100;

class TrayIcon : public QObject {
    Q_OBJECT
  public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Each returns whether a notification area took the icon. Without one they only keep the
    // state, and the icon appears when an area does (the platform re-adds it then). A modify
    // that changes only the tip answers from the last add or icon change.
    bool TrayAdd(MessageTarget* target, uintptr_t id, const QIcon& icon, std::string_view tip);
    bool TrayModify(MessageTarget* target, uintptr_t id, const QIcon& icon, std::string_view tip);
    bool TrayDelete(MessageTarget* target, uintptr_t id);

    bool Present() const { return present_; }
    // The tip as set, after the 63-byte cut.
    const std::string& Tip() const { return tip_; }
    // The tip as the notification area shows it.
    QString ShownTip() const { return icon_->toolTip(); }

  private:
    bool Set(MessageTarget* target, uintptr_t id, const QIcon& icon, std::string_view tip);
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon* icon_;  // child of this object
    MessageTarget* target_ = nullptr;
    uintptr_t id_ = kTrayIconId;
    bool present_ = false;
    std::string tip_;
    bool trayAvailable_ = false;
};
