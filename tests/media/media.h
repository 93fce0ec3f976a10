// Test media made at test time by our own writers and the Debian encoders, and the checks
// that go with them. Link the CMake target vyn_test_media.
#pragma once

#include "tests/media/analysis.h"
#include "tests/media/broken.h"
#include "tests/media/encoders.h"
#include "tests/media/id3.h"
#include "tests/media/media_file.h"
#include "tests/media/modules.h"
#include "tests/media/mp1.h"
#include "tests/media/ogg_comments.h"
#include "tests/media/process.h"
#include "tests/media/recording.h"
#include "tests/media/wav.h"
