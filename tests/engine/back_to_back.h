// Short tracks played one after another through the ABI, as the player plays a list: open,
// end sync, play, wait for the end message, free. Shared by the soak test and its bench.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/engine/bass_library.h"
#include "tests/engine/posted_messages.h"

struct BackToBackTrack {
    std::string path;
    bool music = false;
};

struct BackToBackResult {
    int played = 0;
    int failed = 0;   // could not be opened or started
    int missing = 0;  // no end message within the time allowed
    int doubled = 0;  // more than one end message
};

// Plays `count` tracks, taking `tracks` in turn. `messages` must be the BASS_Init target.
// `afterLast` runs once the last track is freed, before the end messages are tallied (what
// the tally allocates would show in a measurement of the process).
inline BackToBackResult PlayBackToBack(BassLibrary& bass, PostedMessages& messages,
                                       const std::vector<BackToBackTrack>& tracks, int count,
                                       const std::function<void()>& afterLast = {}) {
    BackToBackResult result;
    for (int i = 0; i < count; ++i) {
        const BackToBackTrack& t = tracks[static_cast<std::size_t>(i) % tracks.size()];
        const DWORD h = t.music ? bass.MusicLoad(0, t.path.c_str(), 0, 0, 0x2800)
                                : bass.StreamCreateFile(0, t.path.c_str(), 0, 0, 0);
        const std::size_t before = messages.count();
        const bool started = h && bass.ChannelSetSync(h, BASS_SYNC_END_MESSAGE, 0, 0x400, 0) &&
                             (t.music ? bass.MusicPlay(h) : bass.StreamPlay(h, 0, 0));
        if (!started) {
            ++result.failed;
        } else {
            ++result.played;
            if (!messages.waitFor(before + 1, std::chrono::seconds(5))) ++result.missing;
        }
        if (h) t.music ? bass.MusicFree(h) : bass.StreamFree(h);
    }
    if (afterLast) afterLast();
    // Handles are never reused, so messages of earlier runs cannot match these tracks.
    std::map<std::uintptr_t, int> ends;
    for (const auto& m : messages.all()) ++ends[m.wparam];
    for (const auto& [handle, n] : ends)
        if (n > 1) ++result.doubled;
    return result;
}
