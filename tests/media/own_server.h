// Tests that start a PulseAudio daemon of their own: without one they cannot say anything;
// on CI that is a failure, not a skip.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#define START_SOUND_SERVER(server)                                                 \
    do {                                                                           \
        if ((server).Start()) break;                                               \
        const char* ci = std::getenv("CI");                                        \
        if (ci && std::string(ci) == "true") FAIL() << "pulseaudio did not start"; \
        GTEST_SKIP() << "pulseaudio did not start";                                \
    } while (0)
