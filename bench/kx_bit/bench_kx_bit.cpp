// Decoding throughput of our PNG and JPEG readers next to libpng and libjpeg, on the same large
// pictures in the same run. Bytes processed are decoded pixel bytes.
#include "kx/kx_bit/kx_bit.h"
#include "tests/kx_bit/kx_bit_ref.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int W = 2048, H = 1536;

const kxref::bytes &png_file(int color_type)
{
    static kxref::bytes rgb, rgba;
    kxref::bytes &f = color_type == 6 ? rgba : rgb;
    if (f.empty()) {
        kxref::png_options o;
        o.color_type = color_type;
        f = kxref::png_write(W, H, kxref::make_pixels(W, H, color_type == 6 ? 4 : 3, 11), o);
    }
    return f;
}

const kxref::bytes &jpeg_file(int h0, int v0)
{
    static kxref::bytes files[3];
    kxref::bytes &f = files[h0 + v0 - 2];
    if (f.empty()) {
        kxref::jpeg_options o;
        o.quality = 90;
        o.h[0] = h0;
        o.v[0] = v0;
        f = kxref::jpeg_write(W, H, kxref::make_pixels(W, H, 3, 12), o);
    }
    return f;
}

void png_ours(benchmark::State &state)
{
    const kxref::bytes &f = png_file(int(state.range(0)));
    for (auto _ : state) {
        KX_BITMAP b;
        if (!kx_bit_decode_png(&b, f.data(), f.size(), 0)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(b.pixels);
        kx_bit_free(&b);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * W * H * (state.range(0) == 6 ? 4 : 3));
}

void png_libpng(benchmark::State &state)
{
    const kxref::bytes &f = png_file(int(state.range(0)));
    for (auto _ : state) {
        int w, h;
        kxref::bytes rows;
        if (!kxref::png_read(f, &w, &h, &rows)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * W * H * (state.range(0) == 6 ? 4 : 3));
}

void jpeg_ours(benchmark::State &state)
{
    const kxref::bytes &f = jpeg_file(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        KX_BITMAP b;
        if (!kx_bit_decode_jpeg(&b, f.data(), f.size(), 0)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(b.pixels);
        kx_bit_free(&b);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * W * H * 3);
}

void jpeg_libjpeg(benchmark::State &state)
{
    const kxref::bytes &f = jpeg_file(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        int w, h;
        kxref::bytes rgb;
        if (!kxref::jpeg_read(f, &w, &h, &rgb)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(rgb.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * W * H * 3);
}

}  // namespace

BENCHMARK(png_ours)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(png_libpng)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(jpeg_ours)->Args({2, 2})->Args({1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(jpeg_libjpeg)->Args({2, 2})->Args({1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
