// Everything the player interface shows but the position, as plain values: the service keeps
// the last state it announced and tells the bus what differs from the state now.
#pragma once

#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <string>

class PlaybackController;
class MprisHost;

struct TrackMetadata {
    std::uint64_t start = 0;  // which start of a track this is; 0: nothing open
    std::int64_t lengthMicroseconds = 0;
    std::string title;
    std::string artist;  // empty: no artist tag
    std::string path;

    bool operator==(const TrackMetadata&) const = default;
};

struct PlayerState {
    QString playbackStatus;  // "Playing", "Paused" or "Stopped"
    QString loopStatus;      // "Playlist" or "None"
    bool shuffle = false;
    double volume = 0;
    TrackMetadata metadata;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;

    bool operator==(const PlayerState&) const = default;
};

// The state now; `start` numbers the track that is open.
PlayerState ReadPlayerState(PlaybackController& controller, const MprisHost& host,
                            std::uint64_t start);

// The object path that names one start of a track; never under /org/mpris.
QString TrackIdFor(std::uint64_t start);

// The metadata map: trackid, length (µs, int64), title, artist list, url. Empty when
// nothing is open.
QVariantMap MetadataMap(const TrackMetadata& metadata);

// Property name to value for every property of `now` that differs from `before`.
QVariantMap ChangedProperties(const PlayerState& before, const PlayerState& now);
