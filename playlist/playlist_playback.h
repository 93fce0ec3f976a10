// What editing the playlist needs of playback: the current entry, and stopping and
// (re)starting it. The playback controller implements it.
#pragma once

class PlaylistPlayback {
  public:
    virtual ~PlaylistPlayback() = default;

    // Index of the current entry; -1 when none.
    virtual int CurrentTrack() const = 0;
    virtual void SetCurrentTrack(int index) = 0;
    // A channel is open (playing or paused).
    virtual bool HasOpenChannel() const = 0;
    // Stop and release the engine; the window shows "Vyn Player" and "0:00" / "0:00".
    virtual void FreeAllBASS() = 0;
    // Start the entry at CurrentTrack from its beginning.
    virtual void PlayCurrent() = 0;
};
