// One master volume control: fixed bounds and a value that can be read and written.
#pragma once

#include <cstdint>

class MasterMixer {
  public:
    virtual ~MasterMixer() = default;
    virtual int32_t Minimum() const = 0;
    virtual int32_t Maximum() const = 0;
    // Never blocks: the last value known to the mixer.
    virtual uint32_t ReadVolume() = 0;
    // False while the sound server is away (the value read is then the last one known).
    virtual bool Connected() const { return true; }
    // Never waits for the sound server; a failed write changes nothing.
    virtual void WriteVolume(uint32_t value) = 0;
    // Stops change notifications and releases the connection; reads and writes then do nothing.
    virtual void Close() = 0;
};
