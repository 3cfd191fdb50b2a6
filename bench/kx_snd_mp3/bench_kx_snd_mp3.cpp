// MP3 decoding throughput: our stream against libmpg123, both to 16-bit PCM at the file's own
// rate and channels, on the same 20-second lame encodes (CBR stereo and VBR joint stereo with
// transients). Items are decoded samples per channel.
#include "tests/kx_snd_mp3/mp3_test_util.h"

#include <benchmark/benchmark.h>

using namespace mp3_test;

namespace {

const std::vector<uint8_t> &file(int which)
{
    static const std::vector<uint8_t> cbr =
        encode(make_signal(signal_kind::tones, 44100, 2, 20.0, 2), 44100, 2, "-m s -b 192 --resample 44.1");
    static const std::vector<uint8_t> vbr =
        encode(make_signal(signal_kind::transients, 44100, 2, 20.0, 3), 44100, 2, "-m j -V 2 --resample 44.1");
    return which ? vbr : cbr;
}

void BM_Ours(benchmark::State &state)
{
    const std::vector<uint8_t> &mp3 = file(static_cast<int>(state.range(0)));
    std::vector<uint8_t> buf(1 << 16);
    int64_t samples = 0;
    for (auto _ : state) {
        KX_SND_MP3 *s = kx_snd_mp3_open(mp3.data(), mp3.size(), 0, 44100, 16, 2);
        for (;;) {
            int got = kx_snd_mp3_read(s, buf.data(), static_cast<int>(buf.size()));
            samples += got / 4;
            if (got < static_cast<int>(buf.size())) break;
        }
        kx_snd_mp3_close(s);
        benchmark::DoNotOptimize(buf.data());
    }
    state.SetItemsProcessed(samples);
}

void BM_Mpg123(benchmark::State &state)
{
    const std::vector<uint8_t> &mp3 = file(static_cast<int>(state.range(0)));
    std::vector<unsigned char> buf(1 << 16);
    int64_t samples = 0;
    for (auto _ : state) {
        int err = 0;
        mpg123_handle *mh = mpg123_new(nullptr, &err);
        mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        mpg123_format_none(mh);
        mpg123_format(mh, 44100, 2, MPG123_ENC_SIGNED_16);
        mpg123_open_feed(mh);
        mpg123_feed(mh, mp3.data(), mp3.size());
        for (;;) {
            size_t done = 0;
            int rc = mpg123_read(mh, buf.data(), buf.size(), &done);
            samples += static_cast<int64_t>(done / 4);
            if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) break;
        }
        mpg123_delete(mh);
        benchmark::DoNotOptimize(buf.data());
    }
    state.SetItemsProcessed(samples);
}

}  // namespace

BENCHMARK(BM_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mpg123)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
