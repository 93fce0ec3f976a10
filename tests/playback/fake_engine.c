/* A deterministic stand-in for libbass.so with its real ABI. Variants are built with
 * FAKE_VERSION (another version number) or FAKE_WITHOUT_MUSIC_PLAY (one entry point missing). */
#include <stdio.h>
#include <string.h>

#include "engine/bass.h"
#include "tests/playback/fake_engine.h"

#ifndef FAKE_VERSION
#define FAKE_VERSION BASS_VERSION_1_8
#endif

#define FAKE_EXPORT __attribute__((visibility("default")))

static FakeEngineState state;
static int32_t lastError;
static uint32_t nextHandle = 1;

FAKE_EXPORT FakeEngineState* FakeEngine_State(void) {
    return &state;
}

FAKE_EXPORT void FakeEngine_Reset(void) {
    memset(&state, 0, sizeof state);
    state.streamLength = 176400 * 10;
    state.musicOrders = 12;
    state.musicBytes = 176400 * 60;
    lastError = 0;
}

FAKE_EXPORT void FakeEngine_End(void) {
    if (state.window != NULL && state.channel != 0)
        state.window->post(state.window, VYN_WM_USER, state.channel, 0);
}

__attribute__((constructor)) static void Load(void) {
    FakeEngine_Reset();
}

static int32_t Fail(int32_t code) {
    lastError = code;
    return 0;
}

static int32_t Succeed(void) {
    lastError = BASS_OK;
    return 1;
}

static int IsOpen(DWORD handle) {
    return handle != 0 && handle == state.channel;
}

DWORD BASS_GetVersion(void) {
    return FAKE_VERSION;
}

int32_t BASS_ErrorGetCode(void) {
    return state.useErrorOverride ? state.errorOverride : lastError;
}

BOOL BASS_Init(int32_t device, DWORD freq, DWORD flags, HWND win) {
    state.initCalls++;
    state.lastInitDevice = device;
    state.lastInitFrequency = freq;
    state.lastInitFlags = flags;
    if (state.initFails) return Fail(state.initFails);
    state.deviceLost = 0;
    state.window = win;
    return Succeed();
}

BOOL BASS_Free(void) {
    state.freeCalls++;
    state.window = NULL;
    state.channel = 0;
    return Succeed();
}

static DWORD Open(const char* file) {
    snprintf(state.lastPath, sizeof state.lastPath, "%s", file);
    if (state.openFails) return (DWORD)Fail(state.openFails);
    if (state.deviceLost) return (DWORD)Fail(BASS_ERROR_DRIVER);
    if (strstr(file, "broken") != NULL) return (DWORD)Fail(BASS_ERROR_FILEFORM);
    state.channel = nextHandle++;
    Succeed();
    return state.channel;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const char* file, DWORD offset, DWORD length, DWORD flags) {
    (void)mem, (void)offset, (void)length, (void)flags;
    state.streamCreates++;
    return Open(file);
}

HMUSIC BASS_MusicLoad(BOOL mem, const char* file, DWORD offset, DWORD length, DWORD flags) {
    (void)mem, (void)offset, (void)length;
    state.musicLoads++;
    state.lastMusicFlags = flags;
    return Open(file);
}

static BOOL FreeChannel(DWORD handle) {
    if (!IsOpen(handle)) return Fail(BASS_ERROR_HANDLE);
    state.channel = 0;
    return Succeed();
}

BOOL BASS_StreamFree(HSTREAM handle) {
    state.streamFrees++;
    return FreeChannel(handle);
}

BOOL BASS_MusicFree(HMUSIC handle) {
    state.musicFrees++;
    return FreeChannel(handle);
}

BOOL BASS_Start(void) {
    state.starts++;
    if (state.deviceLost) return Fail(BASS_ERROR_DRIVER);
    return state.startFails ? Fail(state.startFails) : Succeed();
}

static BOOL Play(DWORD handle) {
    if (state.playFails) return Fail(state.playFails);
    return IsOpen(handle) ? Succeed() : Fail(BASS_ERROR_HANDLE);
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
    (void)flush, (void)flags;
    state.streamPlays++;
    return Play(handle);
}

#ifndef FAKE_WITHOUT_MUSIC_PLAY
BOOL BASS_MusicPlay(HMUSIC handle) {
    state.musicPlays++;
    return Play(handle);
}
#endif

HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, uintptr_t message, DWORD user) {
    (void)param, (void)user;
    state.syncsSet++;
    state.lastSyncType = type;
    state.lastSyncMessage = message;
    if (state.syncFails) return (HSYNC)Fail(state.syncFails);
    if (!IsOpen(handle)) return (HSYNC)Fail(BASS_ERROR_HANDLE);
    Succeed();
    return 0x5000 + handle;
}

BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync) {
    state.syncsRemoved++;
    if (state.removeSyncFails) return Fail(state.removeSyncFails);
    return IsOpen(handle) && sync == 0x5000 + handle ? Succeed() : Fail(BASS_ERROR_HANDLE);
}

BOOL BASS_ChannelPause(DWORD handle) {
    state.pauses++;
    if (state.pauseFails) return Fail(state.pauseFails);
    return IsOpen(handle) ? Succeed() : Fail(BASS_ERROR_HANDLE);
}

BOOL BASS_ChannelResume(DWORD handle) {
    state.resumes++;
    if (state.resumeFails) return Fail(state.resumeFails);
    return IsOpen(handle) ? Succeed() : Fail(BASS_ERROR_HANDLE);
}

static QWORD Length(DWORD handle, QWORD value) {
    if (state.lengthFails) return (QWORD)-1 + Fail(state.lengthFails);
    if (!IsOpen(handle)) return (QWORD)-1 + Fail(BASS_ERROR_HANDLE);
    Succeed();
    return value;
}

QWORD BASS_StreamGetLength(HSTREAM handle) {
    return Length(handle, state.streamLength);
}

QWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen) {
    return Length(handle, playlen == 0 ? state.musicOrders : state.musicBytes);
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
    return IsOpen(handle) ? state.position : 0;
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
    state.setPositions++;
    state.lastSetPosition = pos;
    return IsOpen(handle) ? Succeed() : Fail(BASS_ERROR_HANDLE);
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD bytes) {
    (void)handle;
    return (double)bytes / 176400.0;
}

const char* BASS_StreamGetTags(HSTREAM handle, DWORD kind) {
    (void)handle, (void)kind;
    state.tagReads++;
    return NULL;
}

const char* BASS_MusicGetName(HMUSIC handle) {
    (void)handle;
    state.tagReads++;
    return "  Fake Tune  ";
}
