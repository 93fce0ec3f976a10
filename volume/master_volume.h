// The master volume as the main window shows it: the bar mirrors the mixer's control, the two
// buttons step it, and change notifications bring other programs' changes into the bar.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/message_target.h"
#include "volume/master_mixer.h"
#include "volume/volume_bar.h"

class MasterVolume {
  public:
    // Positions at or below this are written as silence, whatever the bar's range.
    static constexpr int32_t kMuteThreshold = 4000;
    // The buttons move the bar by this fraction of its range.
    static constexpr int32_t kStepsPerRange = 50;

    explicit MasterVolume(VolumeBar& bar) : bar_(bar) {}
    ~MasterVolume();
    MasterVolume(const MasterVolume&) = delete;
    MasterVolume& operator=(const MasterVolume&) = delete;

    // Connects to the sound server's default output, with `notify` receiving
    // VYN_MM_MIXM_CONTROL_CHANGE whenever its volume changes. Returns MixerAvailable().
    bool SetUp(MessageTarget* notify);
    // The same over a given mixer; null means none was found.
    bool SetUp(std::unique_ptr<MasterMixer> mixer);

    bool MixerAvailable() const { return mixer_ != nullptr; }

    uint32_t ReadMasterVolume();
    void WriteMasterVolume();
    void cmdMinVolumeClick();
    void cmdMaxVolumeClick();
    // Handler of VYN_MM_MIXM_CONTROL_CHANGE; a minimised window drops the change.
    void MixerControlChange(bool window_minimised);
    // Exit sequence: releases the mixer; every operation does nothing afterwards.
    void Close();

  private:
    void Step(int32_t direction);

    VolumeBar& bar_;
    std::unique_ptr<MasterMixer> mixer_;
    uint32_t volume_value_ = 0;
};
