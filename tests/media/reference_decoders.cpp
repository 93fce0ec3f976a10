#include "tests/media/reference_decoders.h"

#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>
#include <sndfile.h>
#include <vorbis/vorbisfile.h>

#include <memory>
#include <stdexcept>

#include "tests/media/bytes.h"

namespace media {

Pcm DecodeWithSndfile(const std::filesystem::path& path) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, decltype(&sf_close)> file(sf_open(path.c_str(), SFM_READ, &info),
                                                       &sf_close);
    if (!file) throw std::runtime_error("libsndfile: " + std::string(sf_strerror(nullptr)));
    Pcm pcm{info.samplerate, info.channels, {}};
    pcm.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t got = sf_readf_float(file.get(), pcm.samples.data(), info.frames);
    pcm.samples.resize(static_cast<std::size_t>(got * info.channels));
    return pcm;
}

Pcm DecodeWithMpg123(const std::filesystem::path& path) {
    std::unique_ptr<mpg123_handle, decltype(&mpg123_delete)> handle(mpg123_new(nullptr, nullptr),
                                                                    &mpg123_delete);
    if (!handle) throw std::runtime_error("mpg123_new failed");
    mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_FLOAT, 0.0);
    if (mpg123_open(handle.get(), path.c_str()) != MPG123_OK) {
        throw std::runtime_error("mpg123 can't open " + path.string());
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK ||
        encoding != MPG123_ENC_FLOAT_32) {
        mpg123_close(handle.get());
        throw std::runtime_error("mpg123 finds no float format for " + path.string());
    }
    Pcm pcm{static_cast<int>(rate), channels, {}};
    float buffer[4096];
    for (;;) {
        size_t done = 0;
        const int rc = mpg123_read(handle.get(), buffer, sizeof buffer, &done);
        pcm.samples.insert(pcm.samples.end(), buffer, buffer + done / sizeof(float));
        if (rc == MPG123_DONE) break;
        if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
            mpg123_close(handle.get());
            throw std::runtime_error("mpg123 decode error in " + path.string());
        }
    }
    mpg123_close(handle.get());
    return pcm;
}

Pcm DecodeWithVorbisfile(const std::filesystem::path& path, std::vector<std::string>* comments) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) throw std::runtime_error("vorbisfile can't open");
    std::unique_ptr<OggVorbis_File, decltype(&ov_clear)> guard(&vf, &ov_clear);
    const vorbis_info* info = ov_info(&vf, -1);
    Pcm pcm{static_cast<int>(info->rate), info->channels, {}};
    if (comments) {
        const vorbis_comment* vc = ov_comment(&vf, -1);
        for (int i = 0; i < vc->comments; ++i) {
            comments->emplace_back(vc->user_comments[i], vc->comment_lengths[i]);
        }
    }
    for (;;) {
        float** channels = nullptr;
        int section = 0;
        const long got = ov_read_float(&vf, &channels, 1024, &section);
        if (got == 0) break;
        if (got < 0) throw std::runtime_error("vorbisfile decode error");
        for (long i = 0; i < got; ++i) {
            for (int c = 0; c < pcm.channels; ++c) pcm.samples.push_back(channels[c][i]);
        }
    }
    return pcm;
}

RenderedModule RenderWithOpenmpt(const std::filesystem::path& path) {
    const Bytes bytes = ReadFileBytes(path);
    std::unique_ptr<openmpt_module, decltype(&openmpt_module_destroy)> module(
        openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, nullptr),
        &openmpt_module_destroy);
    if (!module) throw std::runtime_error("libopenmpt refuses " + path.string());
    auto metadata = [&](const char* key) {
        const char* value = openmpt_module_get_metadata(module.get(), key);
        std::string text = value ? value : "";
        openmpt_free_string(value);
        return text;
    };
    RenderedModule result;
    result.type = metadata("type");
    result.container = metadata("container");
    result.title = metadata("title");
    result.orders = openmpt_module_get_num_orders(module.get());
    result.subsongs = openmpt_module_get_num_subsongs(module.get());
    openmpt_module_select_subsong(module.get(), 0);
    result.durationSeconds = openmpt_module_get_duration_seconds(module.get());
    result.pcm = {44100, 2, {}};
    float buffer[2 * 1024];
    for (;;) {
        const size_t frames =
            openmpt_module_read_interleaved_float_stereo(module.get(), 44100, 1024, buffer);
        if (frames == 0) break;
        result.pcm.samples.insert(result.pcm.samples.end(), buffer, buffer + 2 * frames);
    }
    return result;
}

}  // namespace media
