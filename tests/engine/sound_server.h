// Tests that need the private sound server (scripts/with-pulse) ask for it here: without
// it they skip on a developer's machine and run (and fail) under CI=true.
#pragma once

#include <gtest/gtest.h>

#include "tests/media/recording.h"

#define REQUIRE_SOUND_SERVER()                                                          \
    do {                                                                                \
        if (const auto missing = media::SoundServerMissing()) GTEST_SKIP() << *missing; \
    } while (0)
