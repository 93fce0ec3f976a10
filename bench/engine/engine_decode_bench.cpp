// Decoding speed of each format through the engine's decoders (what a playing channel
// runs), beside the bare library decoding the same file. The counter audio_s/s is seconds
// of audio decoded per second: the "x real time" figure.
#include <FLAC/stream_decoder.h>
#include <benchmark/benchmark.h>
#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>
#include <opus/opusfile.h>
#include <sndfile.h>
#include <vorbis/vorbisfile.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/engine/bench_media.h"
#include "engine/module_decoder.h"
#include "engine/stream_opener.h"

namespace {

constexpr double kSeconds = 30;
constexpr std::size_t kChunkFrames = 4096;

struct Files {
    std::string wav, mp3, mp2, ogg, mod, flac16, flac24, opus;
    double modSeconds = 0;
};

const Files& TheFiles() {
    static const Files files = [] {
        const auto dir = bench_media::Folder();
        const media::ToneSpec tone = bench_media::Tone(kSeconds);
        Files f;
        f.wav = media::WriteWav(dir / "decode.wav", tone).path;
        f.mp3 = media::WriteMp3(dir / "decode.mp3", tone).path;
        f.mp2 = media::WriteMp2(dir / "decode.mp2", tone).path;
        f.ogg = media::WriteOgg(dir / "decode.ogg", tone).path;
        f.flac16 = media::WriteFlac(dir / "decode16.flac", tone).path;
        media::ToneSpec hiRes = tone;
        hiRes.sampleRate = 96000;
        f.flac24 = media::WriteFlac(dir / "decode24.flac", hiRes,
                                    {.depth = media::SampleFormat::kSigned24})
                       .path;
        media::ToneSpec opus = tone;
        opus.sampleRate = 48000;
        f.opus = media::WriteOpus(dir / "decode.opus", opus, {.bitrateKbps = 128}).path;
        // 16 orders of 16 rows at speed 6, tempo 125: about 31 s.
        const auto mod = media::WriteMod(dir / "decode.mod", {.orders = 16, .rowsPerOrder = 16});
        f.mod = mod.path;
        f.modSeconds = mod.seconds;
        return f;
    }();
    return files;
}

void Report(benchmark::State& state, double audioSeconds) {
    state.counters["audio_s/s"] =
        benchmark::Counter(audioSeconds * state.iterations(), benchmark::Counter::kIsRate);
}

// The engine: content recognition, the MPEG scan, the decoder interface.
void EngineStream(benchmark::State& state, const std::string& path) {
    std::vector<std::int16_t> buffer(kChunkFrames * 2);
    double seconds = 0;
    for (auto _ : state) {
        engine::OpenedStream s = engine::OpenStreamFile(path);
        std::uint64_t frames = 0;
        while (std::size_t n = s.decoder->read(buffer.data(), kChunkFrames)) frames += n;
        seconds = double(frames) / s.decoder->format().rate;
    }
    Report(state, seconds);
}

void EngineModule(benchmark::State& state) {
    std::vector<std::int16_t> buffer(kChunkFrames * 2);
    for (auto _ : state) {
        auto m = engine::OpenModuleDecoder(TheFiles().mod, 44100);
        while (m->read(buffer.data(), kChunkFrames)) {
        }
    }
    Report(state, TheFiles().modSeconds);
}

void RawMpg123(benchmark::State& state, const std::string& path) {
    std::vector<unsigned char> buffer(kChunkFrames * 4);
    double seconds = 0;
    for (auto _ : state) {
        mpg123_handle* h = mpg123_new(nullptr, nullptr);
        mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        mpg123_format_none(h);
        mpg123_format(h, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
        mpg123_open(h, path.c_str());
        std::size_t total = 0;
        for (;;) {
            std::size_t done = 0;
            const int rc = mpg123_read(h, buffer.data(), buffer.size(), &done);
            total += done;
            if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) break;
        }
        mpg123_close(h);
        mpg123_delete(h);
        seconds = double(total) / 4 / 44100;
    }
    Report(state, seconds);
}

void RawVorbisfile(benchmark::State& state) {
    std::vector<char> buffer(kChunkFrames * 4);
    double seconds = 0;
    for (auto _ : state) {
        OggVorbis_File vf;
        ov_fopen(TheFiles().ogg.c_str(), &vf);
        int link = 0;
        std::size_t total = 0;
        while (long n = ov_read(&vf, buffer.data(), int(buffer.size()), 0, 2, 1, &link)) {
            if (n < 0) break;
            total += std::size_t(n);
        }
        ov_clear(&vf);
        seconds = double(total) / 4 / 44100;
    }
    Report(state, seconds);
}

void RawSndfile(benchmark::State& state) {
    std::vector<short> buffer(kChunkFrames * 2);
    double seconds = 0;
    for (auto _ : state) {
        SF_INFO info{};
        SNDFILE* f = sf_open(TheFiles().wav.c_str(), SFM_READ, &info);
        sf_count_t total = 0;
        while (sf_count_t n = sf_readf_short(f, buffer.data(), kChunkFrames)) total += n;
        sf_close(f);
        seconds = double(total) / 44100;
    }
    Report(state, seconds);
}

void RawOpenmpt(benchmark::State& state) {
    const media::Bytes data = media::ReadFileBytes(TheFiles().mod);
    std::vector<std::int16_t> buffer(kChunkFrames * 2);
    for (auto _ : state) {
        openmpt_module* m = openmpt_module_create_from_memory2(
            data.data(), data.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
            nullptr, nullptr, nullptr, nullptr);
        while (openmpt_module_read_interleaved_stereo(m, 44100, kChunkFrames, buffer.data())) {
        }
        openmpt_module_destroy(m);
    }
    Report(state, TheFiles().modSeconds);
}

// libFLAC's own file decoder, its samples only looked at (as a player that converts them must).
void RawLibFlac(benchmark::State& state, const std::string& path) {
    struct Count {
        std::uint64_t frames = 0;
        std::int64_t sum = 0;
    };
    const auto write = [](const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                          const FLAC__int32* const buffer[],
                          void* data) -> FLAC__StreamDecoderWriteStatus {
        auto* count = static_cast<Count*>(data);
        count->frames += frame->header.blocksize;
        for (unsigned c = 0; c < frame->header.channels; ++c)
            for (unsigned i = 0; i < frame->header.blocksize; ++i) count->sum += buffer[c][i];
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    };
    const auto error = [](const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {};
    double seconds = 0;
    for (auto _ : state) {
        Count count;
        FLAC__StreamDecoder* d = FLAC__stream_decoder_new();
        FLAC__stream_decoder_set_md5_checking(d, false);
        FLAC__stream_decoder_init_file(d, path.c_str(), write, nullptr, error, &count);
        FLAC__stream_decoder_process_until_end_of_stream(d);
        const unsigned rate = FLAC__stream_decoder_get_sample_rate(d);
        FLAC__stream_decoder_delete(d);
        benchmark::DoNotOptimize(count.sum);
        seconds = double(count.frames) / rate;
    }
    Report(state, seconds);
}

void RawOpusfile(benchmark::State& state) {
    std::vector<opus_int16> buffer(kChunkFrames * 2);
    double seconds = 0;
    for (auto _ : state) {
        OggOpusFile* f = op_open_file(TheFiles().opus.c_str(), nullptr);
        std::size_t total = 0;
        while (int n = op_read(f, buffer.data(), int(buffer.size()), nullptr)) {
            if (n < 0) break;
            total += std::size_t(n);
        }
        op_free(f);
        seconds = double(total) / 48000;
    }
    Report(state, seconds);
}

void Register() {
    const Files& f = TheFiles();
    benchmark::RegisterBenchmark("Mp3/engine", EngineStream, f.mp3);
    benchmark::RegisterBenchmark("Mp3/libmpg123", RawMpg123, f.mp3);
    benchmark::RegisterBenchmark("Mp2/engine", EngineStream, f.mp2);
    benchmark::RegisterBenchmark("Mp2/libmpg123", RawMpg123, f.mp2);
    benchmark::RegisterBenchmark("Ogg/engine", EngineStream, f.ogg);
    benchmark::RegisterBenchmark("Ogg/vorbisfile", RawVorbisfile);
    benchmark::RegisterBenchmark("Flac16_44k/engine", EngineStream, f.flac16);
    benchmark::RegisterBenchmark("Flac16_44k/libFLAC", RawLibFlac, f.flac16);
    benchmark::RegisterBenchmark("Flac24_96k/engine", EngineStream, f.flac24);
    benchmark::RegisterBenchmark("Flac24_96k/libFLAC", RawLibFlac, f.flac24);
    benchmark::RegisterBenchmark("Opus128k/engine", EngineStream, f.opus);
    benchmark::RegisterBenchmark("Opus128k/opusfile", RawOpusfile);
    benchmark::RegisterBenchmark("Wav/engine", EngineStream, f.wav);
    benchmark::RegisterBenchmark("Wav/libsndfile", RawSndfile);
    benchmark::RegisterBenchmark("Mod/engine", EngineModule);
    benchmark::RegisterBenchmark("Mod/libopenmpt", RawOpenmpt);
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
