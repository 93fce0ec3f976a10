// The 22 C entry points. Each one only checks the engine is there, forwards to it, and
// turns an EngineError into the calling thread's last error code.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>

#include "engine/bass.h"
#include "engine/engine.h"
#include "engine/engine_error.h"

namespace {

using engine::Channel;
using engine::EngineError;
using engine::Fail;

// The engine between BASS_Init and BASS_Free. Entry points are serialised by apiMutex;
// the output thread only ever takes the engine's own output lock.
std::mutex apiMutex;
std::unique_ptr<engine::Engine> theEngine;

engine::Engine& Current() {
    if (!theEngine) Fail(BASS_ERROR_INIT);
    return *theEngine;
}

template <class R, class F>
R Call(R failure, F&& body) {
    std::lock_guard<std::mutex> lock(apiMutex);
    try {
        R result = body();
        engine::SetLastError(BASS_OK);
        return result;
    } catch (const EngineError& e) {
        engine::SetLastError(e.code);
    } catch (const std::bad_alloc&) {
        engine::SetLastError(BASS_ERROR_MEM);
    } catch (...) {
        engine::SetLastError(-1);
    }
    return failure;
}

constexpr QWORD kNoLength = static_cast<QWORD>(-1);

// How long a playing channel waits for a sound server that went away before it stops. Tests
// shorten it through the environment, read at each BASS_Init.
std::chrono::milliseconds GiveUpTime() {
    if (const char* ms = std::getenv("VYN_ENGINE_GIVE_UP_MS")) {
        const long value = std::strtol(ms, nullptr, 10);
        if (value > 0) return std::chrono::milliseconds(value);
    }
    return std::chrono::milliseconds(10000);
}

// Only whole files on disk are opened; the player never asks for more.
void RequireWholeFile(BOOL mem, const char* file, DWORD offset, DWORD length) {
    if (mem || offset != 0 || length != 0) Fail(BASS_ERROR_ILLPARAM);
    if (!file) Fail(BASS_ERROR_FILEOPEN);
}

// The stream and the music variants of open, free and play differ only in the kind.
DWORD OpenChannel(Channel::Kind kind, BOOL mem, const char* file, DWORD offset, DWORD length) {
    return Call<DWORD>(0, [&] {
        auto& e = Current();
        RequireWholeFile(mem, file, offset, length);
        return kind == Channel::Kind::kStream ? e.openStream(file) : e.openMusic(file);
    });
}

BOOL FreeChannel(Channel::Kind kind, DWORD handle) {
    return Call<BOOL>(0, [&] {
        Current().free(handle, kind);
        return 1;
    });
}

BOOL PlayChannel(Channel::Kind kind, DWORD handle) {
    return Call<BOOL>(0, [&] {
        return Current().withChannel(handle, [&](Channel& c) {
            if (c.kind() != kind) Fail(BASS_ERROR_HANDLE);
            c.play();
            return 1;
        });
    });
}

}  // namespace

extern "C" {

DWORD BASS_GetVersion(void) {
    return BASS_VERSION_1_8;
}

int32_t BASS_ErrorGetCode(void) {
    return engine::LastError();
}

BOOL BASS_Init(int32_t device, DWORD freq, DWORD /*flags*/, HWND win) {
    return Call<BOOL>(0, [&] {
        if (theEngine) Fail(BASS_ERROR_ALREADY);
        if (device != -1 && device != 1) Fail(BASS_ERROR_DEVICE);
        if (freq < 1000 || freq > 384000) Fail(BASS_ERROR_FREQ);
        theEngine = std::make_unique<engine::Engine>(freq, win, GiveUpTime());
        return 1;
    });
}

BOOL BASS_Free(void) {
    return Call<BOOL>(0, [] {
        Current();
        theEngine.reset();
        return 1;
    });
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const char* file, DWORD offset, DWORD length,
                              DWORD /*flags*/) {
    return OpenChannel(Channel::Kind::kStream, mem, file, offset, length);
}

BOOL BASS_StreamFree(HSTREAM handle) {
    return FreeChannel(Channel::Kind::kStream, handle);
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL /*flush*/, DWORD /*flags*/) {
    return PlayChannel(Channel::Kind::kStream, handle);
}

BOOL BASS_Start(void) {
    return Call<BOOL>(0, [] {
        Current();
        return 1;
    });
}

HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD /*param*/, uintptr_t message,
                          DWORD /*user*/) {
    return Call<HSYNC>(0, [&] {
        auto& e = Current();
        if (type != BASS_SYNC_END_MESSAGE) Fail(BASS_ERROR_ILLTYPE);
        return e.withChannel(handle, [&](Channel& c) {
            const HSYNC sync = e.nextSyncId();
            c.addEndSync(sync, static_cast<std::uint32_t>(message));
            return sync;
        });
    });
}

BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync) {
    return Call<BOOL>(0, [&] {
        return Current().withChannel(handle, [&](Channel& c) {
            if (!c.removeSync(sync)) Fail(BASS_ERROR_HANDLE);
            return 1;
        });
    });
}

BOOL BASS_ChannelPause(DWORD handle) {
    return Call<BOOL>(0, [&] {
        return Current().withChannel(handle, [](Channel& c) {
            c.pause();
            return 1;
        });
    });
}

BOOL BASS_ChannelResume(DWORD handle) {
    return Call<BOOL>(0, [&] {
        return Current().withChannel(handle, [](Channel& c) {
            c.resume();
            return 1;
        });
    });
}

QWORD BASS_StreamGetLength(HSTREAM handle) {
    return Call<QWORD>(kNoLength, [&] {
        return Current().withChannel(handle, [](Channel& c) { return QWORD{c.lengthBytes()}; });
    });
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
    return Call<QWORD>(kNoLength, [&] {
        return Current().withChannel(handle, [](Channel& c) {
            return c.kind() == Channel::Kind::kMusic ? QWORD{c.musicPosition()}
                                                     : QWORD{c.positionBytes()};
        });
    });
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
    return Call<BOOL>(0, [&] {
        return Current().withChannel(handle, [&](Channel& c) {
            if (c.kind() == Channel::Kind::kMusic) {
                if (pos > 0xFFFF) Fail(BASS_ERROR_POSITION);
                c.seekOrder(static_cast<std::uint32_t>(pos));
            } else {
                c.seekBytes(pos);
            }
            return 1;
        });
    });
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD bytes) {
    return Call<double>(-1.0, [&] {
        return Current().withChannel(handle, [&](Channel& c) {
            const engine::AudioFormat f = c.format();
            return static_cast<double>(bytes) / (static_cast<double>(f.rate) * f.bytesPerFrame());
        });
    });
}

const char* BASS_StreamGetTags(HSTREAM handle, DWORD kind) {
    return Call<const char*>(nullptr, [&] {
        return Current().withChannel(handle, [&](Channel& c) {
            if (c.kind() != Channel::Kind::kStream) Fail(BASS_ERROR_HANDLE);
            const char* found = c.tags().block(kind);
            if (!found) Fail(BASS_ERROR_NOTAVAIL);
            return found;
        });
    });
}

HMUSIC BASS_MusicLoad(BOOL mem, const char* file, DWORD offset, DWORD length, DWORD /*flags*/) {
    return OpenChannel(Channel::Kind::kMusic, mem, file, offset, length);
}

BOOL BASS_MusicFree(HMUSIC handle) {
    return FreeChannel(Channel::Kind::kMusic, handle);
}

const char* BASS_MusicGetName(HMUSIC handle) {
    return Call<const char*>(nullptr, [&] {
        return Current().withChannel(handle, [](Channel& c) {
            if (!c.module()) Fail(BASS_ERROR_HANDLE);
            return c.module()->name().c_str();
        });
    });
}

QWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen) {
    return Call<QWORD>(kNoLength, [&] {
        return Current().withChannel(handle, [&](Channel& c) {
            if (!c.module()) Fail(BASS_ERROR_HANDLE);
            return playlen ? QWORD{c.lengthBytes()} : QWORD{c.module()->orderCount()};
        });
    });
}

BOOL BASS_MusicPlay(HMUSIC handle) {
    return PlayChannel(Channel::Kind::kMusic, handle);
}

}  // extern "C"
