#include "engine/library_pin.h"

#include <dlfcn.h>

#include <mutex>

namespace engine {

void KeepLibraryLoaded() {
    static std::once_flag once;
    std::call_once(once, [] {
        Dl_info self{};
        if (!dladdr(reinterpret_cast<void*>(&KeepLibraryLoaded), &self) || !self.dli_fname) return;
        // NODELETE on the loaded library: later dlclose calls leave it mapped. The extra
        // reference is never dropped.
        (void)dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    });
}

}  // namespace engine
