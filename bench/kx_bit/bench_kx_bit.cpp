// Decoding throughput of our PNG and JPEG readers next to libpng and libjpeg, on the same large
// pictures in the same run; ours JPEG with each kernel set the processor has. JPEG files named
// on the command line (after the benchmark library's own options) are measured too. Bytes
// processed are decoded pixel bytes.
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_bit/kx_bit_jpeg_local.h"
#include "tests/kx_bit/kx_bit_ref.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

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

// Our decode of `f` with the kernel set `isa`.
void jpeg_ours_run(benchmark::State &state, const kxref::bytes &f, KX_JPEG_ISA isa)
{
    KX_JPEG_ISA before = kx_jpeg_kernels_isa();
    if (!kx_jpeg_kernels_choose(isa)) {
        state.SkipWithError("kernel set not available");
        return;
    }
    int64_t bytes = 0;
    for (auto _ : state) {
        KX_BITMAP b;
        if (!kx_bit_decode_jpeg(&b, f.data(), f.size(), 0)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(b.pixels);
        bytes += int64_t(b.width) * b.height * 3;
        kx_bit_free(&b);
    }
    kx_jpeg_kernels_choose(before);
    state.SetBytesProcessed(bytes);
}

void jpeg_libjpeg_run(benchmark::State &state, const kxref::bytes &f)
{
    int64_t bytes = 0;
    for (auto _ : state) {
        int w, h;
        kxref::bytes rgb;
        if (!kxref::jpeg_read(f, &w, &h, &rgb)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(rgb.data());
        bytes += int64_t(rgb.size());
    }
    state.SetBytesProcessed(bytes);
}

// Args: horizontal and vertical sampling of luma, then the kernel set.
void jpeg_ours(benchmark::State &state)
{
    jpeg_ours_run(state, jpeg_file(int(state.range(0)), int(state.range(1))), KX_JPEG_ISA(state.range(2)));
}

void jpeg_libjpeg(benchmark::State &state) { jpeg_libjpeg_run(state, jpeg_file(int(state.range(0)), int(state.range(1)))); }

}  // namespace

BENCHMARK(png_ours)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(png_libpng)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(jpeg_ours)->ArgsProduct({{2}, {2}, {KX_JPEG_ISA_SSE2, KX_JPEG_ISA_AVX2}})->Args({1, 1, KX_JPEG_ISA_AVX2})->Unit(benchmark::kMillisecond);
BENCHMARK(jpeg_libjpeg)->Args({2, 2})->Args({1, 1})->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    static std::vector<kxref::bytes> files;
    files.reserve(size_t(argc));
    for (int i = 1; i < argc; i++) {
        std::ifstream in(argv[i], std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const kxref::bytes &f = files.back();
        std::string name = argv[i];
        benchmark::RegisterBenchmark(("jpeg_ours_file/" + name).c_str(), [&f](benchmark::State &s) { jpeg_ours_run(s, f, kx_jpeg_kernels_isa()); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("jpeg_libjpeg_file/" + name).c_str(), [&f](benchmark::State &s) { jpeg_libjpeg_run(s, f); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
