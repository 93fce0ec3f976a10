// libbass.so loaded the way the player loads it: dlopen from the binary folder, every
// entry point resolved by name. Tests talk to the engine only through this table.
#pragma once

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "engine/bass.h"

// clang-format off
#define VYN_BASS_ENTRY_POINTS(X)                                                               \
    X(GetVersion)                                                                              \
    X(ErrorGetCode)                                                                            \
    X(Init)                                                                                    \
    X(Free)                                                                                    \
    X(StreamCreateFile)                                                                        \
    X(StreamFree)                                                                              \
    X(StreamPlay)                                                                              \
    X(Start)                                                                                   \
    X(ChannelSetSync)                                                                          \
    X(ChannelRemoveSync)                                                                       \
    X(ChannelPause)                                                                            \
    X(ChannelResume)                                                                           \
    X(StreamGetLength)                                                                         \
    X(ChannelGetPosition)                                                                      \
    X(ChannelSetPosition)                                                                      \
    X(ChannelBytes2Seconds)                                                                    \
    X(StreamGetTags)                                                                           \
    X(MusicLoad)                                                                               \
    X(MusicFree)                                                                               \
    X(MusicGetName)                                                                            \
    X(MusicGetLength)                                                                          \
    X(MusicPlay)
// clang-format on

class BassLibrary {
  public:
    BassLibrary() : handle_(dlopen(Path().c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_) throw std::runtime_error(std::string("dlopen: ") + dlerror());
#define VYN_RESOLVE(name) Resolve(name, "BASS_" #name);
        VYN_BASS_ENTRY_POINTS(VYN_RESOLVE)
#undef VYN_RESOLVE
    }
    ~BassLibrary() {
        dlclose(handle_);
    }
    BassLibrary(const BassLibrary&) = delete;
    BassLibrary& operator=(const BassLibrary&) = delete;

    static std::string Path() {
        return std::string(VYN_BIN_DIR) + "/libbass.so";
    }

#define VYN_DECLARE(name) decltype(&BASS_##name) name = nullptr;
    VYN_BASS_ENTRY_POINTS(VYN_DECLARE)
#undef VYN_DECLARE

  private:
    template <class F>
    void Resolve(F& slot, const char* symbol) {
        slot = reinterpret_cast<F>(dlsym(handle_, symbol));
        if (!slot) throw std::runtime_error(std::string("missing entry point ") + symbol);
    }

    void* handle_;
};
