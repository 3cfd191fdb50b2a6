// Render throughput of the S3M player against libopenmpt at comparable interpolation (nearest /
// linear / cubic against 1 / 2 / 4 filter taps), 44.1 kHz 16-bit stereo, on the longest module of
// the media folder. Compare items_per_second (output frames) of the pairs from the same run.
#include "kx/kx_snd/kx_snd_s3m.h"

#include <benchmark/benchmark.h>
#include <libopenmpt/libopenmpt.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr size_t FRAMES = 44100 * 10;

const std::vector<uint8_t> &module_file()
{
    static std::vector<uint8_t> file = [] {
        std::ifstream in(std::string(VM_MEDIA_DIR) + "/s3m/blah_blob.s3m", std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    return file;
}

void bm_ours(benchmark::State &state)
{
    const std::vector<uint8_t> &file = module_file();
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), nullptr);
    if (!m) {
        state.SkipWithError("no module");
        return;
    }
    std::vector<int16_t> out(4410 * 2);
    for (auto _ : state) {
        kx_snd_s3m_start();
        KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
        c.mix_rate = 44100;
        c.mode = static_cast<uint8_t>(KX_SND_S3M_MODE_STEREO | KX_SND_S3M_MODE_16BIT | state.range(0));
        c.master_volume = KX_SND_S3M_MASTER_MAX;
        c.play_state = KX_SND_S3M_PLAY;
        kx_snd_s3m_control_set(&c);
        for (size_t done = 0; done < FRAMES; done += 4410) kx_snd_s3m_render(out.data(), out.size() * 2);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(FRAMES));
    kx_snd_s3m_free(m);
}

void bm_openmpt(benchmark::State &state)
{
    const std::vector<uint8_t> &file = module_file();
    openmpt_module *mod = openmpt_module_create_from_memory2(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr);
    if (!mod) {
        state.SkipWithError("no module");
        return;
    }
    int taps = state.range(0) == KX_SND_S3M_QUALITY_LOW ? 1 : state.range(0) == KX_SND_S3M_QUALITY_MEDIUM ? 2 : 4;
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, taps);
    std::vector<int16_t> out(4410 * 2);
    for (auto _ : state) {
        openmpt_module_set_position_seconds(mod, 0);
        for (size_t done = 0; done < FRAMES; done += 4410) openmpt_module_read_interleaved_stereo(mod, 44100, 4410, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(FRAMES));
    openmpt_module_destroy(mod);
}

}  // namespace

BENCHMARK(bm_ours)->Arg(KX_SND_S3M_QUALITY_LOW)->Arg(KX_SND_S3M_QUALITY_MEDIUM)->Arg(KX_SND_S3M_QUALITY_HIGH)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_openmpt)->Arg(KX_SND_S3M_QUALITY_LOW)->Arg(KX_SND_S3M_QUALITY_MEDIUM)->Arg(KX_SND_S3M_QUALITY_HIGH)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
