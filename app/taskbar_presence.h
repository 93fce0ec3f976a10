// Whether the main window has an entry in the taskbar. Hiding to the tray takes the entry
// away until it is given back, even while the window is shown in between.
//
// On X11 this is the EWMH _NET_WM_STATE_SKIP_TASKBAR state. Window managers drop
// _NET_WM_STATE when a window is withdrawn, so the state is applied again on every show.
// On other platforms only the model below changes.
#pragma once

#include <QObject>
#include <QWidget>

class TaskbarPresence : public QObject {
    Q_OBJECT
  public:
    explicit TaskbarPresence(QWidget& window);

    // True: the window may have a taskbar entry (the start-up state); false: it has none.
    void SetAllowed(bool allowed);
    bool Allowed() const { return allowed_; }
    // The entry exists exactly while the window is visible and allowed one.
    bool InTaskbar() const { return allowed_ && window_.isVisible(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Apply();

    QWidget& window_;
    bool allowed_ = true;
};
