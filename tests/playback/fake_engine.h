/* Control of the fake engine libraries the binding's tests load in place of libbass.so.
 * Tests reach these through dlsym on their own handle to the same library. */
#ifndef VYN_TESTS_FAKE_ENGINE_H
#define VYN_TESTS_FAKE_ENGINE_H

#include <stdint.h>

#include "platform/message_target.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct FakeEngineState {
    /* Knobs: a nonzero code makes that call fail and report the code. */
    int32_t initFails;
    int32_t openFails;
    int32_t startFails;
    int32_t playFails;
    int32_t syncFails;
    int32_t removeSyncFails;
    int32_t pauseFails;
    int32_t resumeFails;
    int32_t lengthFails;
    /* The sound server went away: opening and starting report a lost driver until the next
     * BASS_Init, which connects anew. */
    int32_t deviceLost;
    /* When set, BASS_ErrorGetCode reports errorOverride whatever happened. */
    int32_t useErrorOverride;
    int32_t errorOverride;

    uint64_t streamLength; /* bytes, 44.1 kHz stereo 16-bit */
    uint32_t musicOrders;
    uint64_t musicBytes;
    uint64_t position; /* what BASS_ChannelGetPosition reports */

    /* What happened. */
    int initCalls, freeCalls, streamCreates, musicLoads, streamFrees, musicFrees, starts;
    int streamPlays, musicPlays, syncsSet, syncsRemoved, pauses, resumes, setPositions;
    int tagReads; /* BASS_StreamGetTags and BASS_MusicGetName */
    uint64_t lastSetPosition;
    uint32_t channel; /* the open channel, 0 when none */
    int32_t lastInitDevice;
    uint32_t lastInitFrequency, lastInitFlags, lastMusicFlags, lastSyncType;
    uintptr_t lastSyncMessage;
    char lastPath[1024];
    MessageTarget* window;
} FakeEngineState;

typedef FakeEngineState* (*FakeEngineStateFn)(void);
typedef void (*FakeEngineResetFn)(void);
typedef void (*FakeEngineEndFn)(void);

/* FakeEngine_State, FakeEngine_Reset, and FakeEngine_End (posts the end message of the open
 * channel to the window of BASS_Init, as the engine does when a channel has played out). */

#ifdef __cplusplus
}
#endif

#endif
