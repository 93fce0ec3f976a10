// The master volume control counts 0..65535; PulseAudio counts 0..PA_VOLUME_NORM (65536) and
// beyond for amplification. Both directions round to nearest, so a value written and read back
// is the same value.
#pragma once

#include <pulse/volume.h>

#include <algorithm>
#include <cstdint>

inline constexpr uint32_t kVolumeControlMax = 65535;

constexpr uint32_t VolumeFromPulse(pa_volume_t volume) {
    const uint64_t norm = PA_VOLUME_NORM;
    const uint64_t capped = std::min<uint64_t>(volume, norm);  // amplification reads as full
    return static_cast<uint32_t>((capped * kVolumeControlMax + norm / 2) / norm);
}

constexpr pa_volume_t PulseFromVolume(uint32_t value) {
    const uint64_t capped = std::min<uint64_t>(value, kVolumeControlMax);
    return static_cast<pa_volume_t>((capped * PA_VOLUME_NORM + kVolumeControlMax / 2) /
                                    kVolumeControlMax);
}
