#include "app/taskbar_presence.h"

#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {
template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&free)>;

template <typename Reply>
XcbReply<Reply> Owned(Reply* reply) {
    return XcbReply<Reply>(reply, &free);
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    auto reply = Owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The X11 side: the window's _NET_WM_STATE gains or loses SKIP_TASKBAR.
class X11SkipTaskbar {
  public:
    X11SkipTaskbar(xcb_connection_t* connection, xcb_window_t window)
        : connection_(connection),
          window_(window),
          wm_state_(Atom(connection, "_NET_WM_STATE")),
          skip_taskbar_(Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR")) {}

    void Set(bool skip) {
        auto tree =
            Owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window_), nullptr));
        if (!tree || wm_state_ == XCB_ATOM_NONE || skip_taskbar_ == XCB_ATOM_NONE) return;
        const xcb_window_t root = tree->root;
        const bool window_manager = HasWindowManager(root);
        // A window manager reads the property when it maps a window and owns it afterwards;
        // while it manages the window only a request to it changes the state.
        if (!window_manager || !Viewable()) WriteProperty(skip);
        if (window_manager) SendRequest(root, skip);
        xcb_flush(connection_);
    }

  private:
    bool HasWindowManager(xcb_window_t root) {
        const xcb_atom_t check = Atom(connection_, "_NET_SUPPORTING_WM_CHECK");
        auto reply = Owned(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, root, check, XCB_ATOM_WINDOW, 0, 1),
            nullptr));
        return reply && xcb_get_property_value_length(reply.get()) > 0;
    }

    bool Viewable() {
        auto reply = Owned(xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window_), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    void WriteProperty(bool skip) {
        std::vector<xcb_atom_t> states;
        auto reply = Owned(xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window_, wm_state_, XCB_ATOM_ATOM, 0, 1024), nullptr));
        if (reply && reply->format == 32) {
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
            states.assign(atoms, atoms + xcb_get_property_value_length(reply.get()) / 4);
        }
        // Keep every other state (Qt's own ones included); only ours changes.
        std::erase(states, skip_taskbar_);
        if (skip) states.push_back(skip_taskbar_);
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, wm_state_, XCB_ATOM_ATOM,
                            32, static_cast<uint32_t>(states.size()), states.data());
    }

    void SendRequest(xcb_window_t root, bool skip) {
        xcb_client_message_event_t request{};
        request.response_type = XCB_CLIENT_MESSAGE;
        request.format = 32;
        request.window = window_;
        request.type = wm_state_;
        request.data.data32[0] = skip ? 1 : 0;  // _NET_WM_STATE_ADD : _NET_WM_STATE_REMOVE
        request.data.data32[1] = skip_taskbar_;
        request.data.data32[3] = 1;  // from a normal application
        xcb_send_event(connection_, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&request));
    }

    xcb_connection_t* connection_;
    xcb_window_t window_;
    xcb_atom_t wm_state_;
    xcb_atom_t skip_taskbar_;
};
}  // namespace

TaskbarPresence::TaskbarPresence(QWidget& window) : QObject(&window), window_(window) {
    window_.installEventFilter(this);
}

void TaskbarPresence::SetAllowed(bool allowed) {
    allowed_ = allowed;
    Apply();
}

bool TaskbarPresence::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Show && !allowed_) Apply();
    return false;
}

void TaskbarPresence::Apply() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // The offscreen platform may answer as X11 without a connection.
    // Until the native window exists there is nothing to mark; the first show applies it.
    if (!x11 || !x11->connection() || !window_.windowHandle() || !window_.internalWinId()) return;
    X11SkipTaskbar(x11->connection(), static_cast<xcb_window_t>(window_.internalWinId()))
        .Set(!allowed_);
}
