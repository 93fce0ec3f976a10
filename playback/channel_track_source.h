// What the open channel tells the title logic: tag blocks of a stream, the name of module music.
#pragma once

#include "playback/lightbass.h"
#include "trackinfo/track_source.h"

class ChannelTrackSource : public TrackSource {
  public:
    explicit ChannelTrackSource(const lightBASS& bass) : bass_(bass) {}

    const char* StreamTags(std::uint32_t kind) const override {
        if (bass_.Channel() == 0 || !bass_.ChannelIsStream()) return nullptr;
        return bass_.Api().StreamGetTags(bass_.Channel(), kind);
    }
    const char* MusicName() const override {
        if (bass_.Channel() == 0 || bass_.ChannelIsStream()) return nullptr;
        return bass_.Api().MusicGetName(bass_.Channel());
    }

  private:
    const lightBASS& bass_;
};
