// What plays: start the current playlist entry, step to the next or previous one under the
// random and repeat rules, pause, stop, react to the end of a track, release the engine.
// The main window binds its buttons, tray menu items and the engine's end message here.
#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/error_report.h"
#include "playback/channel_tags.h"
#include "playback/lightbass.h"
#include "playback/player_view.h"
#include "playback/position_display.h"
#include "playback/random_generator.h"
#include "playlist/playlist_model.h"
#include "playlist/playlist_playback.h"
#include "trackinfo/format_table.h"
#include "trackinfo/tag_text.h"

// What changed, for whoever mirrors the player's state (the desktop's media controls).
enum class PlaybackEvent { Started, Changed, Seeked };

class PlaybackController : public PlaylistPlayback {
  public:
    using Listener = std::function<void(PlaybackEvent)>;

    // Handlers may throw (the main window guards each); exceptions of the position timer's
    // ticks go to `errors`.
    PlaybackController(PlayerView& view, PlaylistModel& playlist, lightBASS& bass,
                       ErrorReport& errors);
    ~PlaybackController() override;
    PlaybackController(const PlaybackController&) = delete;
    PlaybackController& operator=(const PlaybackController&) = delete;

    // Restarts the entry at CurrentTrack (the first when none) from its beginning.
    void PlayCurrent() override;
    // Random, then repeat at the end of the list, then the next entry; false when nothing
    // was started.
    bool PlayNext();
    void FreeAllBASS() override;
    void PlaySelected();

    void PlayButtonClick();
    void PauseButtonClick();
    void StopButtonClick();
    void NextButtonClick();
    void PrevButtonClick();
    void PlayListDblClick();
    // Enter (Qt::Key_Return or Qt::Key_Enter) plays the selected row; other keys do nothing.
    void PlayListKeyDown(int qtKey);
    // The engine's end-of-track message; `wparam` is the handle of the channel that ended.
    // An end that was queued for a channel already replaced or stopped is ignored.
    void WM_NEXT(std::uintptr_t wparam);

    // The display title of the current track; "Vyn Player" when none.
    std::string GetSongTitle() const;

    int CurrentTrack() const override { return currentTrack_; }
    void SetCurrentTrack(int index) override { currentTrack_ = index; }
    bool HasOpenChannel() const override { return bass_.Channel() != 0; }
    FormatCode CurrentFormat() const { return currentFormat_; }
    bool TimerActive() const { return positionTimer_ != nullptr; }

    // Told after every start, stop, pause, resume and seek; also when a start failed.
    void SetListener(Listener listener) { listener_ = std::move(listener); }
    // Artist and title apart, from the tags the title comes from.
    ArtistTitle GetSongTags() const;

    PositionDisplay& Position() { return position_; }
    lightBASS& Bass() { return bass_; }
    const PlaylistModel& Playlist() const { return playlist_; }
    RandomGenerator& Random() { return random_; }

  private:
    void StartCurrent();
    void StartTimePosTimer();
    void StopTimePosTimer();
    void Notify(PlaybackEvent event) const;

    PlayerView& view_;
    PlaylistModel& playlist_;
    lightBASS& bass_;
    ErrorReport& errors_;
    ChannelTags tags_;
    PositionDisplay position_;
    RandomGenerator random_;
    std::unique_ptr<QTimer> positionTimer_;
    int currentTrack_ = -1;
    FormatCode currentFormat_ = 0;
    Listener listener_;
};
