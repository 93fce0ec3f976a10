#include "mpris/player_state.h"

#include <QDBusObjectPath>

#include "mpris/mpris_host.h"
#include "mpris/track_clock.h"
#include "platform/display_text.h"
#include "playback/playback_controller.h"
#include "playlist/file_uri.h"

PlayerState ReadPlayerState(PlaybackController& controller, const MprisHost& host,
                            std::uint64_t start) {
    PlayerState state;
    const lightBASS& bass = controller.Bass();
    const bool open = bass.Channel() != 0;
    state.playbackStatus = !open                  ? QStringLiteral("Stopped")
                           : bass.ChannelPaused() ? QStringLiteral("Paused")
                                                  : QStringLiteral("Playing");
    state.loopStatus = host.RepeatChecked() ? QStringLiteral("Playlist") : QStringLiteral("None");
    state.shuffle = host.RandomChecked();
    state.volume = host.MasterVolume();

    const int count = controller.Playlist().Count();
    const int current = controller.CurrentTrack();
    // The same rules PlayNext and PrevButtonClick follow.
    state.canGoNext =
        count > 0 &&
        (state.shuffle || (host.RepeatChecked() && current == count - 1) || current < count - 1);
    state.canGoPrevious = current > 0;
    state.canPlay = count > 0;
    state.canPause = open;

    if (open) {
        const TrackClock clock(controller.Bass());
        TrackMetadata& m = state.metadata;
        m.start = start;
        m.lengthMicroseconds = clock.LengthMicroseconds();
        ArtistTitle tags = controller.GetSongTags();
        m.title = tags.title.empty() ? controller.GetSongTitle() : std::move(tags.title);
        m.artist = std::move(tags.artist);
        if (current >= 0 && current < count) m.path = controller.Playlist().At(current);
        state.canSeek = !bass.ChannelPaused() && m.lengthMicroseconds > 0;
    }
    return state;
}

QString TrackIdFor(std::uint64_t start) {
    return QStringLiteral("/org/vyn/track/%1").arg(start);
}

QVariantMap MetadataMap(const TrackMetadata& metadata) {
    QVariantMap map;
    if (metadata.start == 0) return map;
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(QDBusObjectPath(TrackIdFor(metadata.start))));
    map.insert(QStringLiteral("mpris:length"),
               QVariant::fromValue(qlonglong{metadata.lengthMicroseconds}));
    map.insert(QStringLiteral("xesam:title"), DisplayText(metadata.title));
    if (!metadata.artist.empty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{DisplayText(metadata.artist)});
    if (metadata.path.starts_with('/'))
        map.insert(QStringLiteral("xesam:url"),
                   QString::fromLatin1(FileUriFromPath(metadata.path)));
    return map;
}

QVariantMap ChangedProperties(const PlayerState& before, const PlayerState& now) {
    QVariantMap changed;
    auto take = [&](const char* name, const auto& old, const auto& value) {
        if (!(old == value)) changed.insert(QLatin1String(name), QVariant::fromValue(value));
    };
    take("PlaybackStatus", before.playbackStatus, now.playbackStatus);
    take("LoopStatus", before.loopStatus, now.loopStatus);
    take("Shuffle", before.shuffle, now.shuffle);
    take("Volume", before.volume, now.volume);
    if (!(before.metadata == now.metadata))
        changed.insert(QStringLiteral("Metadata"), MetadataMap(now.metadata));
    take("CanGoNext", before.canGoNext, now.canGoNext);
    take("CanGoPrevious", before.canGoPrevious, now.canGoPrevious);
    take("CanPlay", before.canPlay, now.canPlay);
    take("CanPause", before.canPause, now.canPause);
    take("CanSeek", before.canSeek, now.canSeek);
    return changed;
}
