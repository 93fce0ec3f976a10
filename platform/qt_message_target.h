// The main window's message target: any thread may post; delivery happens on the thread
// that owns this object (the UI thread), in posting order.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "platform/message_target.h"

class QtMessageTarget : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(uint32_t message, uintptr_t wparam, intptr_t lparam)>;

    explicit QtMessageTarget(Handler handler, QObject* parent = nullptr);

    // The C view handed to the engine, the mixer layer and the tray layer.
    MessageTarget* Target() { return &target_.c; }

  protected:
    bool event(QEvent* event) override;

  private:
    static void Post(MessageTarget* self, uint32_t message, uintptr_t wparam, intptr_t lparam);

    struct Bridge {
        MessageTarget c;  // first member: a MessageTarget* is a Bridge*
        QtMessageTarget* owner;
    } target_;
    Handler handler_;
};
