/* libbass.so: the player's audio engine. A C ABI of 22 entry points; the player loads it
 * at run time with dlopen and resolves every entry point by name.
 *
 * Failures return 0 (handles, BOOL), (QWORD)-1 (lengths) or NULL and set the calling
 * thread's last error code (BASS_ErrorGetCode). Stream byte units are 16-bit interleaved
 * PCM at the stream's own rate and channel count; module music renders at the BASS_Init
 * frequency, stereo, 16-bit. Positions are audible positions. */
#ifndef VYN_ENGINE_BASS_H
#define VYN_ENGINE_BASS_H

#include <stdint.h>

#include "platform/message_target.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int32_t BOOL;
typedef uint32_t HSTREAM;
typedef uint32_t HMUSIC;
typedef uint32_t HSYNC;
typedef MessageTarget* HWND;

#define BASS_VERSION_1_8 0x00080001u

/* Error codes (BASS_ErrorGetCode). */
enum {
    BASS_OK = 0,
    BASS_ERROR_MEM = 1,
    BASS_ERROR_FILEOPEN = 2,
    BASS_ERROR_DRIVER = 3,
    BASS_ERROR_HANDLE = 5,
    BASS_ERROR_FORMAT = 6,
    BASS_ERROR_POSITION = 7,
    BASS_ERROR_INIT = 8,
    BASS_ERROR_START = 9,
    BASS_ERROR_ALREADY = 14,
    BASS_ERROR_NOPAUSE = 16,
    BASS_ERROR_NOCHAN = 18,
    BASS_ERROR_ILLTYPE = 19,
    BASS_ERROR_ILLPARAM = 20,
    BASS_ERROR_DEVICE = 23,
    BASS_ERROR_NOPLAY = 24,
    BASS_ERROR_FREQ = 25,
    BASS_ERROR_UNKNOWN_26 = 26,
    BASS_ERROR_NOTAVAIL = 37,
    BASS_ERROR_FILEFORM = 41
};

/* Sync types. */
#define BASS_SYNC_END_MESSAGE 0x20000002u

/* Tag kinds for BASS_StreamGetTags. */
enum { BASS_TAG_ID3 = 0, BASS_TAG_ID3V2 = 1, BASS_TAG_OGG = 2 };

#if defined(__GNUC__)
#define BASS_EXPORT __attribute__((visibility("default")))
#else
#define BASS_EXPORT
#endif

BASS_EXPORT DWORD BASS_GetVersion(void);
BASS_EXPORT int32_t BASS_ErrorGetCode(void);
BASS_EXPORT BOOL BASS_Init(int32_t device, DWORD freq, DWORD flags, HWND win);
BASS_EXPORT BOOL BASS_Free(void);
BASS_EXPORT HSTREAM BASS_StreamCreateFile(BOOL mem, const char* file, DWORD offset, DWORD length,
                                          DWORD flags);
BASS_EXPORT BOOL BASS_StreamFree(HSTREAM handle);
BASS_EXPORT BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
BASS_EXPORT BOOL BASS_Start(void);
BASS_EXPORT HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, uintptr_t message,
                                      DWORD user);
BASS_EXPORT BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync);
BASS_EXPORT BOOL BASS_ChannelPause(DWORD handle);
BASS_EXPORT BOOL BASS_ChannelResume(DWORD handle);
BASS_EXPORT QWORD BASS_StreamGetLength(HSTREAM handle);
BASS_EXPORT QWORD BASS_ChannelGetPosition(DWORD handle);
BASS_EXPORT BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
BASS_EXPORT double BASS_ChannelBytes2Seconds(DWORD handle, QWORD bytes);
BASS_EXPORT const char* BASS_StreamGetTags(HSTREAM handle, DWORD kind);
BASS_EXPORT HMUSIC BASS_MusicLoad(BOOL mem, const char* file, DWORD offset, DWORD length,
                                  DWORD flags);
BASS_EXPORT BOOL BASS_MusicFree(HMUSIC handle);
BASS_EXPORT const char* BASS_MusicGetName(HMUSIC handle);
BASS_EXPORT QWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen);
BASS_EXPORT BOOL BASS_MusicPlay(HMUSIC handle);

#ifdef __cplusplus
}
#endif

#endif
