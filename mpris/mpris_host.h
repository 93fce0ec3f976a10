// What the media-player interfaces ask of the main window beyond the playback controller.
#pragma once

#include <string>
#include <vector>

class MprisHost {
  public:
    virtual ~MprisHost() = default;

    // Shows the window, also when it is hidden in the tray.
    virtual void Raise() = 0;
    // The exit sequence without the question.
    virtual void Quit() = 0;

    virtual bool RepeatChecked() const = 0;  // "Повторять"
    virtual void SetRepeatChecked(bool checked) = 0;
    virtual bool RandomChecked() const = 0;  // "Случайный выбор"
    virtual void SetRandomChecked(bool checked) = 0;

    // The master volume, 0..1; 0 without a mixer.
    virtual double MasterVolume() const = 0;
    virtual void SetMasterVolume(double volume) = 0;

    // Appends the paths as a drop on the list would, then starts the first one added.
    virtual void OpenAndPlay(const std::vector<std::string>& paths) = 0;
};
