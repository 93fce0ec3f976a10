#include "volume/master_volume.h"

#include <algorithm>

#include "volume/pulse_mixer.h"

MasterVolume::~MasterVolume() {
    Close();
}

bool MasterVolume::SetUp(MessageTarget* notify) {
    return SetUp(PulseMixer::Open(notify));
}

bool MasterVolume::SetUp(std::unique_ptr<MasterMixer> mixer) {
    mixer_ = std::move(mixer);
    if (!mixer_) return false;
    const uint32_t value = ReadMasterVolume();
    bar_.SetMinimum(mixer_->Minimum());
    bar_.SetMaximum(mixer_->Maximum());
    bar_.SetPosition(static_cast<int32_t>(value));
    return true;
}

uint32_t MasterVolume::ReadMasterVolume() {
    if (mixer_) volume_value_ = mixer_->ReadVolume();
    return volume_value_;
}

void MasterVolume::WriteMasterVolume() {
    if (!mixer_) return;
    const int32_t position = bar_.Position();
    volume_value_ = position > kMuteThreshold ? static_cast<uint32_t>(position) : 0;
    mixer_->WriteVolume(volume_value_);
}

void MasterVolume::Step(int32_t direction) {
    // While the sound server is away a click would move the bar and change nothing.
    if (!mixer_ || !mixer_->Connected()) return;
    const int32_t minimum = bar_.Minimum();
    const int32_t maximum = bar_.Maximum();
    // 64-bit: a range of the full 32-bit width must neither overflow the step nor the sum.
    const int64_t step = (int64_t{maximum} - minimum) / kStepsPerRange;
    const int64_t moved = int64_t{bar_.Position()} + direction * step;
    bar_.SetPosition(static_cast<int32_t>(std::clamp<int64_t>(moved, minimum, maximum)));
    WriteMasterVolume();
}

void MasterVolume::cmdMinVolumeClick() {
    Step(-1);
}

void MasterVolume::cmdMaxVolumeClick() {
    Step(+1);
}

void MasterVolume::MixerControlChange(bool window_minimised) {
    if (!mixer_ || window_minimised) return;
    bar_.SetPosition(static_cast<int32_t>(ReadMasterVolume()));
}

void MasterVolume::Close() {
    if (!mixer_) return;
    mixer_->Close();
    mixer_.reset();
}
