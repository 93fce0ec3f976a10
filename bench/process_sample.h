// CPU time and wake-ups of a whole process, read from /proc: the player's own or the sound
// server's. A wake-up is a context switch of any of its threads, voluntary (it slept and was
// woken) or not (it was preempted).
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

struct ProcessSample {
    double cpuSeconds = 0;
    long wakeups = 0;
    std::map<std::string, long> wakeupsByThread;  // by thread name; alike names add up

    // "self" or a process id.
    static ProcessSample Of(const std::string& pid) {
        const std::filesystem::path proc = "/proc/" + pid;
        ProcessSample s;
        s.cpuSeconds = CpuSeconds(proc / "stat");
        std::error_code error;
        for (const auto& task : std::filesystem::directory_iterator(proc / "task", error)) {
            const long n = Field(task.path() / "status", "voluntary_ctxt_switches") +
                           Field(task.path() / "status", "nonvoluntary_ctxt_switches");
            s.wakeups += n;
            std::ifstream comm(task.path() / "comm");
            std::string name;
            std::getline(comm, name);
            s.wakeupsByThread[name] += n;
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

  private:
    // utime and stime, fields 14 and 15 of stat, counted after the command's closing bracket
    // (the command itself may hold spaces).
    static double CpuSeconds(const std::filesystem::path& stat) {
        std::ifstream in(stat);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto close = text.rfind(')');
        if (close == std::string::npos) return 0;
        std::istringstream fields(text.substr(close + 2));
        std::string skip;
        for (int i = 3; i < 14; ++i) fields >> skip;
        double user = 0, system = 0;
        fields >> user >> system;
        return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
};

// What a process did between two samples, per second of `seconds`.
struct ProcessRate {
    double cpuPercent;
    double wakeupsPerSecond;
    static ProcessRate Between(const ProcessSample& a, const ProcessSample& b, double seconds) {
        return {100.0 * (b.cpuSeconds - a.cpuSeconds) / seconds, (b.wakeups - a.wakeups) / seconds};
    }
};
