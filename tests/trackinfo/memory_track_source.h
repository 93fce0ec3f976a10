// A TrackSource over tag blocks held in memory, laid out as the engine hands them out.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "trackinfo/track_source.h"

class MemoryTrackSource : public TrackSource {
  public:
    void SetTags(std::uint32_t kind, std::vector<std::uint8_t> block) {
        tags_[kind] = std::move(block);
    }
    void SetMusicName(std::string name) { musicName_ = std::move(name); }

    const char* StreamTags(std::uint32_t kind) const override {
        const auto found = tags_.find(kind);
        if (found == tags_.end()) return nullptr;
        return reinterpret_cast<const char*>(found->second.data());
    }
    const char* MusicName() const override { return musicName_ ? musicName_->c_str() : nullptr; }

  private:
    std::map<std::uint32_t, std::vector<std::uint8_t>> tags_;
    std::optional<std::string> musicName_;
};
