#include "platform/qt_message_target.h"

#include <QCoreApplication>
#include <QEvent>

namespace {
const QEvent::Type kPostedMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

class PostedMessage : public QEvent {
  public:
    PostedMessage(uint32_t message, uintptr_t wparam, intptr_t lparam)
        : QEvent(kPostedMessage), message(message), wparam(wparam), lparam(lparam) {}
    const uint32_t message;
    const uintptr_t wparam;
    const intptr_t lparam;
};
}  // namespace

QtMessageTarget::QtMessageTarget(Handler handler, QObject* parent)
    : QObject(parent), target_{{&QtMessageTarget::Post}, this}, handler_(std::move(handler)) {}

void QtMessageTarget::Post(MessageTarget* self, uint32_t message, uintptr_t wparam,
                           intptr_t lparam) {
    auto* bridge = reinterpret_cast<Bridge*>(self);
    // postEvent is thread-safe, never blocks for long and takes ownership of the event.
    QCoreApplication::postEvent(bridge->owner, new PostedMessage(message, wparam, lparam));
}

bool QtMessageTarget::event(QEvent* event) {
    if (event->type() != kPostedMessage) return QObject::event(event);
    const auto* posted = static_cast<PostedMessage*>(event);
    if (handler_) handler_(posted->message, posted->wparam, posted->lparam);
    return true;
}
