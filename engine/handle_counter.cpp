#include "engine/handle_counter.h"

#include <dirent.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace engine {
namespace {

// The last handle given out lives in a four-byte memfd that stays open for the life of the
// process (one descriptor, no file anywhere); a new load of the library finds it again by
// its name among the process's descriptors. Nothing else survives an unload as simply: the
// environment is not safe to write while other threads read it.
constexpr char kName[] = "vyn-bass-handles";

int FindCounter() {
    const std::string wanted = std::string("/memfd:") + kName + " (deleted)";
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    int found = -1;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        char target[128];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        if (wanted == target) {
            found = std::atoi(entry->d_name);
            break;
        }
    }
    closedir(dir);
    return found;
}

int Counter() {
    static int fd = [] {
        const int existing = FindCounter();
        return existing >= 0 ? existing : memfd_create(kName, MFD_CLOEXEC);
    }();
    return fd;
}

// Used only when no memfd can be made: handles then start afresh at each load.
std::uint32_t fallbackLast = 0;

}  // namespace

std::uint32_t NextHandle() {
    const int fd = Counter();
    std::uint32_t last = fallbackLast;
    if (fd >= 0 && pread(fd, &last, sizeof last, 0) != sizeof last) last = fallbackLast;
    std::uint32_t next = last + 1;
    if (next == 0) next = 1;
    fallbackLast = next;
    if (fd >= 0) (void)!pwrite(fd, &next, sizeof next, 0);
    return next;
}

}  // namespace engine
