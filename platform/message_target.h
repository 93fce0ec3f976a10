/* A window-like receiver of numbered messages, shared by the player and the engine.
 * post() may be called from any thread, never blocks and never calls back into the
 * caller; the owner delivers the message later on its own (UI) thread. */
#ifndef VYN_PLATFORM_MESSAGE_TARGET_H
#define VYN_PLATFORM_MESSAGE_TARGET_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct MessageTarget MessageTarget;
struct MessageTarget {
    void (*post)(MessageTarget* self, uint32_t message, uintptr_t wparam, intptr_t lparam);
};

/* The private messages the main window routes by number. */
enum {
    VYN_WM_USER = 0x0400,                /* end of track, from the engine */
    VYN_MM_MIXM_CONTROL_CHANGE = 0x03D1, /* master volume changed, from the mixer layer */
    VYN_WM_TRAYICON = 0x0464             /* mouse event over the tray icon, from the tray layer */
};

#ifdef __cplusplus
}
#endif

#endif
