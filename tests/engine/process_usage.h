// What this process holds: threads, open descriptors, resident memory.
#pragma once

#include <dirent.h>

#include <fstream>
#include <string>

// Under ThreadSanitizer resident memory grows with the shadow of every new thread's accesses
// and says nothing about the engine; threads and descriptors still count.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VYN_UNDER_TSAN 1
#endif
#endif
#if defined(VYN_UNDER_TSAN) || defined(__SANITIZE_THREAD__)
inline constexpr bool kResidentMemoryCounts = false;
#else
inline constexpr bool kResidentMemoryCounts = true;
#endif

struct ProcessUsage {
    int threads = 0;
    int fds = 0;
    long residentKb = -1;

    static ProcessUsage Now() {
        ProcessUsage u;
        u.threads = Count("/proc/self/task");
        u.fds = Count("/proc/self/fd") - 1;  // opendir's own descriptor shows up there
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmRSS:", 0) == 0) u.residentKb = std::stol(line.substr(6));
        return u;
    }

  private:
    static int Count(const char* folder) {
        int n = 0;
        if (DIR* d = opendir(folder)) {
            while (const dirent* e = readdir(d))
                if (e->d_name[0] != '.') ++n;
            closedir(d);
        }
        return n;
    }
};
