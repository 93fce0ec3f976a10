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

/* 0x00080001. Works before BASS_Init. */
BASS_EXPORT DWORD BASS_GetVersion(void);
/* The calling thread's last error code: 0 after a call that succeeded. */
BASS_EXPORT int32_t BASS_ErrorGetCode(void);
/* Connects to the sound server (never autospawning one). device -1 (default) or 1;
 * freq is the rate module music renders at; flags are ignored; win receives the end
 * messages (may be NULL). Fails with 14 when already initialised, 23 for another device,
 * 25 for a rate outside 1000..384000, 3 when no server answers within 3 seconds. */
BASS_EXPORT BOOL BASS_Init(int32_t device, DWORD freq, DWORD flags, HWND win);
/* Stops and frees every channel and joins the output thread: no thread of the library runs
 * afterwards, so dlclose is safe. Handles are not reused across an init. */
BASS_EXPORT BOOL BASS_Free(void);
/* Opens a whole file (mem 0, offset 0, length 0; anything else fails with 20) as a stream,
 * recognised by content: MPEG audio layers I-III, Ogg Vorbis, WAV and the other containers
 * libsndfile reads. 2: the file can't be read (missing, a folder); 41: no decoder accepts
 * the content (empty, truncated, unknown); 6: the server can't play its format. */
BASS_EXPORT HSTREAM BASS_StreamCreateFile(BOOL mem, const char* file, DWORD offset, DWORD length,
                                          DWORD flags);
BASS_EXPORT BOOL BASS_StreamFree(HSTREAM handle);
/* Plays from the current position; a paused stream resumes, an ended one starts over,
 * a playing one carries on. flush and flags are ignored. */
BASS_EXPORT BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
/* Output is always running once initialised: succeeds unless not initialised (8). */
BASS_EXPORT BOOL BASS_Start(void);
/* Only BASS_SYNC_END_MESSAGE (else 19): once the channel's last sample has been played,
 * `message` is posted to the BASS_Init target with the channel handle as wparam and 0 as
 * lparam, from the output thread. Never while paused, never after the channel was freed;
 * once per play-through. param and user are ignored. */
BASS_EXPORT HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, uintptr_t message,
                                      DWORD user);
BASS_EXPORT BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync);
/* Pause: 24 unless playing. Resume: 16 unless paused. Pausing silences the output at
 * once (the server stream is corked); the position stands still while paused. */
BASS_EXPORT BOOL BASS_ChannelPause(DWORD handle);
BASS_EXPORT BOOL BASS_ChannelResume(DWORD handle);
BASS_EXPORT QWORD BASS_StreamGetLength(HSTREAM handle);
/* The audible position: stream bytes, or for module music the order (low 16 bits) and
 * row (high 16 bits) being heard. */
BASS_EXPORT QWORD BASS_ChannelGetPosition(DWORD handle);
/* Stream: a byte position (rounded down to a whole frame), at most the length. Module
 * music: an order of the first sub-song. Else 7. Stale buffered audio is dropped; a
 * paused channel stays paused at the new place. */
BASS_EXPORT BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
BASS_EXPORT double BASS_ChannelBytes2Seconds(DWORD handle, QWORD bytes);
/* The raw tag block (see BASS_TAG_*), valid until the stream is freed; NULL with 37 when
 * the stream has none of that kind. ID3 blocks come from MPEG files only, comments from
 * Ogg Vorbis only. */
BASS_EXPORT const char* BASS_StreamGetTags(HSTREAM handle, DWORD kind);
/* Module music through libopenmpt (MO3 IT XM S3M MTM MOD UMX ...): its first sub-song,
 * played once, rendered stereo at the BASS_Init rate. Errors as BASS_StreamCreateFile. */
BASS_EXPORT HMUSIC BASS_MusicLoad(BOOL mem, const char* file, DWORD offset, DWORD length,
                                  DWORD flags);
BASS_EXPORT BOOL BASS_MusicFree(HMUSIC handle);
BASS_EXPORT const char* BASS_MusicGetName(HMUSIC handle);
/* playlen 0: the orders the first sub-song plays; otherwise its length in bytes. */
BASS_EXPORT QWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen);
BASS_EXPORT BOOL BASS_MusicPlay(HMUSIC handle);

#ifdef __cplusplus
}
#endif

#endif
