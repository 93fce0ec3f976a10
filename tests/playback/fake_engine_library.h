// The test's own handle on a fake engine library: while it is held, the library the binding
// loads is the same instance, so its state can be set and read.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/playback/fake_engine.h"

inline std::string FakeEnginePath(const std::string& variant = "") {
    return std::string(VYN_BIN_DIR) + "/libfake_bass" + variant + ".so";
}

// True while some handle keeps the library in the process.
inline bool LibraryResident(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    dlclose(handle);
    return true;
}

class FakeEngineLibrary {
  public:
    explicit FakeEngineLibrary(const std::string& path = FakeEnginePath())
        : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (handle_ == nullptr) throw std::runtime_error(dlerror());
        state_ = reinterpret_cast<FakeEngineStateFn>(dlsym(handle_, "FakeEngine_State"))();
        end_ = reinterpret_cast<FakeEngineEndFn>(dlsym(handle_, "FakeEngine_End"));
        reinterpret_cast<FakeEngineResetFn>(dlsym(handle_, "FakeEngine_Reset"))();
    }
    ~FakeEngineLibrary() { dlclose(handle_); }
    FakeEngineLibrary(const FakeEngineLibrary&) = delete;
    FakeEngineLibrary& operator=(const FakeEngineLibrary&) = delete;

    FakeEngineState& State() { return *state_; }
    // The engine's end of the open channel: the end message is posted to the device's window.
    void EndChannel() { end_(); }

  private:
    void* handle_;
    FakeEngineState* state_;
    FakeEngineEndFn end_;
};
