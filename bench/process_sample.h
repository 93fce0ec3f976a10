// CPU time and wake-ups of a whole process, read from /proc: the player's own or the sound
// server's. CPU time is every thread's run time from schedstat, in nanoseconds: the clock
// ticks of stat are 10 ms, too coarse for a process that runs a few milliseconds a second.
// A wake-up is a context switch of any of its threads, voluntary (it slept and was woken) or
// not (it was preempted).
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

struct ThreadFigures {
    double cpuSeconds = 0;
    long wakeups = 0;
};

struct ProcessSample {
    double cpuSeconds = 0;
    long wakeups = 0;
    std::map<std::string, ThreadFigures> byThread;  // by thread name; alike names add up

    // "self" or a process id.
    static ProcessSample Of(const std::string& pid) {
        ProcessSample s;
        std::error_code error;
        for (const auto& task :
             std::filesystem::directory_iterator("/proc/" + pid + "/task", error)) {
            ThreadFigures t;
            std::ifstream schedstat(task.path() / "schedstat");
            double runNs = 0;
            if (schedstat >> runNs) t.cpuSeconds = runNs / 1e9;
            t.wakeups = Field(task.path() / "status", "voluntary_ctxt_switches") +
                        Field(task.path() / "status", "nonvoluntary_ctxt_switches");
            std::ifstream comm(task.path() / "comm");
            std::string name;
            std::getline(comm, name);
            s.cpuSeconds += t.cpuSeconds;
            s.wakeups += t.wakeups;
            s.byThread[name].cpuSeconds += t.cpuSeconds;
            s.byThread[name].wakeups += t.wakeups;
        }
        return s;
    }

    static long Field(const std::filesystem::path& status, const char* field) {
        std::ifstream in(status);
        const std::string prefix = std::string(field) + ":";
        for (std::string line; std::getline(in, line);)
            if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
        return 0;
    }
};

// What a process, or one of its threads, did between two samples, per second of `seconds`.
struct ProcessRate {
    double cpuPercent;
    double wakeupsPerSecond;
    static ProcessRate Between(const ThreadFigures& a, const ThreadFigures& b, double seconds) {
        return {100.0 * (b.cpuSeconds - a.cpuSeconds) / seconds, (b.wakeups - a.wakeups) / seconds};
    }
    static ProcessRate Between(const ProcessSample& a, const ProcessSample& b, double seconds) {
        return Between(ThreadFigures{a.cpuSeconds, a.wakeups},
                       ThreadFigures{b.cpuSeconds, b.wakeups}, seconds);
    }
};
