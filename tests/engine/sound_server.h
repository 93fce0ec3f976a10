// Tests that need the private sound server (scripts/with-pulse) ask for it here: without
// it they skip on a developer's machine and fail under CI=true.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

inline bool SoundServerConfigured() {
    const char* server = std::getenv("PULSE_SERVER");
    return server && *server;
}

inline bool RunningUnderCi() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) == "true";
}

#define REQUIRE_SOUND_SERVER()                                                        \
    do {                                                                              \
        if (!SoundServerConfigured()) {                                               \
            if (RunningUnderCi())                                                     \
                FAIL() << "PULSE_SERVER is not set: run under scripts/with-pulse";    \
            GTEST_SKIP() << "no private sound server (run under scripts/with-pulse)"; \
        }                                                                             \
    } while (0)
