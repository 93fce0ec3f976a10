#include "engine/module_decoder.h"

#include <libopenmpt/libopenmpt.h>

#include <cmath>

#include "engine/engine_error.h"
#include "engine/file_bytes.h"

namespace engine {
namespace {

// Real modules are a few MB at most; anything bigger is not worth reading into memory.
constexpr std::uint64_t kMaxModuleBytes = 256ull << 20;

struct ModuleDeleter {
    void operator()(openmpt_module* m) const { openmpt_module_destroy(m); }
};

class OpenmptDecoder final : public ModuleDecoder {
  public:
    OpenmptDecoder(const std::string& path, std::uint32_t rate) : rate_(rate) {
        const std::uint64_t size = FileSize(path);
        if (size == 0 || size > kMaxModuleBytes) Fail(BASS_ERROR_FILEFORM);
        const Bytes head = ReadFileBytes(path, 0, openmpt_probe_file_header_get_recommended_size());
        const int probe = openmpt_probe_file_header(
            OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, head.data(), head.size(), size,
            openmpt_log_func_silent, nullptr, openmpt_error_func_ignore, nullptr, nullptr, nullptr);
        if (probe == OPENMPT_PROBE_FILE_HEADER_RESULT_FAILURE ||
            probe == OPENMPT_PROBE_FILE_HEADER_RESULT_ERROR)
            Fail(BASS_ERROR_FILEFORM);
        const Bytes data = ReadFileBytes(path, 0, static_cast<std::size_t>(size));
        if (data.size() != size) Fail(BASS_ERROR_FILEOPEN);
        module_.reset(openmpt_module_create_from_memory2(
            data.data(), data.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
            nullptr, nullptr, nullptr, nullptr));
        if (!module_) Fail(BASS_ERROR_FILEFORM);
        openmpt_module_select_subsong(module_.get(), 0);
        openmpt_module_set_repeat_count(module_.get(), 0);
        const double seconds = openmpt_module_get_duration_seconds(module_.get());
        if (!std::isfinite(seconds) || seconds <= 0) Fail(BASS_ERROR_FILEFORM);
        length_ = static_cast<std::uint64_t>(std::llround(seconds * rate_));
        orders_ = CountPlayedOrders(seconds);
        if (const char* title = openmpt_module_get_metadata(module_.get(), "title")) {
            name_ = title;
            openmpt_free_string(title);
        }
    }

    AudioFormat format() const override { return {rate_, 2}; }
    std::uint64_t lengthFrames() const override { return length_; }
    const std::string& name() const override { return name_; }
    std::uint32_t orderCount() const override { return orders_; }
    std::uint32_t orderAndRow() const override {
        const auto order =
            static_cast<std::uint32_t>(openmpt_module_get_current_order(module_.get()));
        const auto row = static_cast<std::uint32_t>(openmpt_module_get_current_row(module_.get()));
        return (order & 0xFFFF) | (row << 16);
    }

    std::size_t read(std::int16_t* out, std::size_t frames) override {
        // After the last order the current order reads 0 again; only read() == 0 tells the end.
        return openmpt_module_read_interleaved_stereo(
            module_.get(), static_cast<std::int32_t>(rate_), frames, out);
    }

    bool seek(std::uint64_t frame) override {
        openmpt_module_set_position_seconds(module_.get(), static_cast<double>(frame) / rate_);
        return true;
    }

    bool seekOrder(std::uint32_t order, std::uint64_t& frame) override {
        if (order >= orderCount()) return false;
        const double seconds = openmpt_module_set_position_order_row(
            module_.get(), static_cast<std::int32_t>(order), 0);
        frame = static_cast<std::uint64_t>(std::llround(seconds * rate_));
        if (frame > length_) frame = length_;
        return true;
    }

  private:
    // The orders the first sub-song plays: the order list up to where the song ends, not
    // a second sub-song after an end marker. The song is assumed to start at order 0.
    std::uint32_t CountPlayedOrders(double seconds) {
        const std::int32_t listed = openmpt_module_get_num_orders(module_.get());
        if (listed <= 0) return 0;
        // Seeking by time lands on the next row start, and at the very end the current
        // order reads 0 again: step back until the position falls inside the last row.
        std::int32_t last = -1;
        for (double back = 0.05; back < seconds; back *= 2) {
            const double at = openmpt_module_set_position_seconds(module_.get(), seconds - back);
            if (at < seconds - 1e-6) {
                last = openmpt_module_get_current_order(module_.get());
                break;
            }
        }
        openmpt_module_set_position_seconds(module_.get(), 0);
        if (last < 0 || last >= listed) return static_cast<std::uint32_t>(listed);
        return static_cast<std::uint32_t>(last) + 1;
    }

    std::uint32_t rate_;
    std::unique_ptr<openmpt_module, ModuleDeleter> module_;
    std::uint64_t length_ = 0;
    std::uint32_t orders_ = 0;
    std::string name_;
};

}  // namespace

std::unique_ptr<ModuleDecoder> OpenModuleDecoder(const std::string& path, std::uint32_t rate) {
    return std::make_unique<OpenmptDecoder>(path, rate);
}

}  // namespace engine
