#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/exceptions.h"

namespace {
EOSError LoaderError(int code) {
    const char* text = dlerror();
    return EOSError::FromCode(code, text != nullptr ? text : "");
}

// dlopen doesn't keep errno; whether the file can be read tells a missing library from one
// that is not a usable shared object.
int LoadFailureCode(const std::string& path) {
    if (access(path.c_str(), R_OK) != 0) return errno;
    return ELIBBAD;
}
}  // namespace

DynamicLibrary::DynamicLibrary(const std::string& path) {
    dlerror();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const int code = LoadFailureCode(path);
        throw LoaderError(code);
    }
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) dlclose(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void* DynamicLibrary::Symbol(const char* name) const {
    dlerror();
    void* address = dlsym(handle_, name);
    // An exported name that isn't there is reported like a file that isn't there.
    if (address == nullptr) throw LoaderError(ENOENT);
    return address;
}
