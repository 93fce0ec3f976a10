// A fresh folder under the build's test-tmp for one test, removed when it goes.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace media {

class ScratchDir {
  public:
    explicit ScratchDir(const std::string& name)
        : path_(std::filesystem::path(VYN_TEST_TMP) /
                ("media-" + name + "-" + std::to_string(getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace media
