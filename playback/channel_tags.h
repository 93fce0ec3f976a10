// The open channel's artist and title, read from its tag blocks once per channel: the title
// is shown on every tick of the position timer, and parsing the tags each time is waste. The
// engine never reuses a handle and a channel's tags never change, so the handle and the
// format tell when they must be read again.
#pragma once

#include <cstdint>
#include <optional>

#include "playback/channel_track_source.h"
#include "playback/lightbass.h"
#include "trackinfo/display_title.h"
#include "trackinfo/format_table.h"
#include "trackinfo/tag_text.h"

class ChannelTags {
  public:
    explicit ChannelTags(const lightBASS& bass) : bass_(bass), source_(bass) {}

    const ArtistTitle& Get(FormatCode format) const {
        const std::uint32_t channel = bass_.Channel();
        if (!read_ || read_->channel != channel || read_->format != format)
            read_ = Read{channel, format, GetSongTags(format, source_)};
        return read_->tags;
    }

  private:
    struct Read {
        std::uint32_t channel;
        FormatCode format;
        ArtistTitle tags;
    };

    const lightBASS& bass_;
    ChannelTrackSource source_;
    mutable std::optional<Read> read_;
};
