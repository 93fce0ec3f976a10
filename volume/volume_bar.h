// The few things the volume logic asks of the bar that shows the master volume.
#pragma once

#include <cstdint>

class VolumeBar {
  public:
    virtual ~VolumeBar() = default;
    virtual int32_t Minimum() const = 0;
    virtual int32_t Maximum() const = 0;
    virtual int32_t Position() const = 0;
    virtual void SetMinimum(int32_t value) = 0;
    virtual void SetMaximum(int32_t value) = 0;
    virtual void SetPosition(int32_t value) = 0;
};
