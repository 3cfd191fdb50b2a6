// kx_bit_jpeg_kernels: the JPEG reader's pixel work in three builds: plain C++, SSE2 (every
// x86-64 processor) and AVX2 (chosen at run time when the processor has it). The inverse DCT is
// one float butterfly written once for all three; upsampling and colour conversion are integer
// code, exact in every build, with the colour constants split so that SSE2's 16-bit multiplies
// give the same results as the plain 32-bit formulas.
#include "kx/kx_bit/kx_bit_jpeg_local.h"

#include <algorithm>
#include <atomic>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KX_JPEG_X86 1
#include <immintrin.h>
#define KX_JPEG_AVX2 __attribute__((target("avx2")))
#else
#define KX_JPEG_X86 0
#endif

#define KX_JPEG_INLINE __attribute__((always_inline)) inline

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// Colour conversion in 16.16 fixed point: R = Y + 1.402 Cr', G = Y - 0.34414 Cb' - 0.71414 Cr',
// B = Y + 1.772 Cb' (Cb' = Cb - 128, Cr' = Cr - 128), each product rounded half up. Factors of
// one or two whole units are taken out so that what is left fits 16 bits signed:
//   91881 = 65536 + 26345, 116130 = 131072 - 14942, -46802 = -65536 + 18734.
constexpr int KX_JPEG_CR_R = 26345, KX_JPEG_CB_B = -14942, KX_JPEG_CB_G = -22554, KX_JPEG_CR_G = 18734;

// ---------------------------------------------------------------------------------------------
// Shared arithmetic
// ---------------------------------------------------------------------------------------------

// The end of a pass of the AAN inverse DCT: the even half e[0..3] joined with the odd half,
// given by t7, t10, t11 and t12.
template <class V>
static KX_JPEG_INLINE void kx_jpeg_idct_join(const V *e, const V &t7, const V &t10, const V &t11, const V &t12, V *out)
{
    V t6 = t12 - t7, t5 = t11 - t6, t4 = t10 - t5;
    out[0] = e[0] + t7;
    out[7] = e[0] - t7;
    out[1] = e[1] + t6;
    out[6] = e[1] - t6;
    out[2] = e[2] + t5;
    out[5] = e[2] - t5;
    out[3] = e[3] + t4;
    out[4] = e[3] - t4;
}

// One pass of the AAN inverse DCT over eight values of any width (a float, or a vector of
// them): p in frequency order, out in sample order.
template <class V>
static KX_JPEG_INLINE void kx_jpeg_idct_1d(const V *p, V *out)
{
    V t10 = p[0] + p[4], t11 = p[0] - p[4];
    V t13 = p[2] + p[6], t12 = (p[2] - p[6]) * 1.414213562f - t13;
    V e[4] = {t10 + t13, t11 + t12, t11 - t12, t10 - t13};
    V z13 = p[5] + p[3], z10 = p[5] - p[3], z11 = p[1] + p[7], z12 = p[1] - p[7];
    V z5 = (z10 + z12) * 1.847759065f;
    kx_jpeg_idct_join(e, z11 + z13, z5 - z12 * 1.082392200f, (z11 - z13) * 1.414213562f, z5 - z10 * 2.613125930f, out);
}

// The same pass when only p[0..3] can be nonzero: each step of kx_jpeg_idct_1d with its zero
// terms left out, which changes no bit of the result.
template <class V>
static KX_JPEG_INLINE void kx_jpeg_idct_1d_low(const V *p, V *out)
{
    V t12 = p[2] * 1.414213562f - p[2];
    V e[4] = {p[0] + p[2], p[0] + t12, p[0] - t12, p[0] - p[2]};
    V z5 = (p[1] - p[3]) * 1.847759065f;
    kx_jpeg_idct_join(e, p[1] + p[3], z5 - p[1] * 1.082392200f, (p[1] - p[3]) * 1.414213562f, z5 + p[3] * 2.613125930f, out);
}

static inline uint8_t kx_jpeg_sample(float v)
{
    return uint8_t(int(std::min(std::max(v + 128.5f, 0.0f), 255.0f)));
}

static inline uint8_t kx_jpeg_byte(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

static inline void kx_jpeg_ycc_pixel(int y, int cb, int cr, uint8_t *o)
{
    cb -= 128;
    cr -= 128;
    o[0] = kx_jpeg_byte(y + cr + ((KX_JPEG_CR_R * cr + 32768) >> 16));
    o[1] = kx_jpeg_byte(y - cr + ((KX_JPEG_CB_G * cb + KX_JPEG_CR_G * cr + 32768) >> 16));
    o[2] = kx_jpeg_byte(y + 2 * cb + ((KX_JPEG_CB_B * cb + 32768) >> 16));
}

// ---------------------------------------------------------------------------------------------
// Plain C++
// ---------------------------------------------------------------------------------------------

// Across first (each vertical frequency on its own), then down, as the vector builds do; with
// N = 4 only the top-left 4 x 4 coefficients are read (kx_jpeg_idct_1d_low).
template <int N>
static void kx_jpeg_idct_plain(const int16_t *coef, const float *q, uint8_t *out, ptrdiff_t stride)
{
    auto pass = [](const float *in, float *res) {
        if constexpr (N == 8) kx_jpeg_idct_1d(in, res);
        else kx_jpeg_idct_1d_low(in, res);
    };
    float across[64], in[8], res[8];
    for (int u = 0; u < N; u++) {
        for (int v = 0; v < N; v++) in[v] = float(coef[v * 8 + u]) * q[v * 8 + u];
        pass(in, res);
        for (int x = 0; x < 8; x++) across[x * 8 + u] = res[x];
    }
    for (int x = 0; x < 8; x++) {
        pass(across + x * 8, res);
        for (int y = 0; y < 8; y++) out[y * stride + x] = kx_jpeg_sample(res[y]);
    }
}

static void kx_jpeg_up_h2v2_scalar(const uint8_t *near, const uint8_t *far, int cw, uint8_t *dst, int16_t *work)
{
    int16_t *s = work + 1;
    for (int x = 0; x < cw; x++) s[x] = int16_t(3 * near[x] + far[x]);
    s[-1] = s[0];
    s[cw] = s[cw - 1];
    for (int x = 0; x < cw; x++) {
        dst[2 * x] = uint8_t((3 * s[x] + s[x - 1] + 8) >> 4);
        dst[2 * x + 1] = uint8_t((3 * s[x] + s[x + 1] + 7) >> 4);
    }
}

// The two ends of a row of the across-only filter, where a missing neighbour repeats the edge.
static inline void kx_jpeg_up_h2v1_ends(const uint8_t *row, int cw, uint8_t *dst)
{
    int last = cw - 1, next = cw > 1 ? 1 : 0, prev = cw > 1 ? cw - 2 : 0;
    dst[0] = row[0];
    dst[1] = uint8_t((3 * row[0] + row[next] + 2) >> 2);
    dst[2 * last] = uint8_t((3 * row[last] + row[prev] + 1) >> 2);
    dst[2 * last + 1] = row[last];
}

static void kx_jpeg_up_h2v1_scalar(const uint8_t *row, int cw, uint8_t *dst)
{
    for (int x = 1; x < cw - 1; x++) {
        dst[2 * x] = uint8_t((3 * row[x] + row[x - 1] + 1) >> 2);
        dst[2 * x + 1] = uint8_t((3 * row[x] + row[x + 1] + 2) >> 2);
    }
    kx_jpeg_up_h2v1_ends(row, cw, dst);
}

static void kx_jpeg_ycc_rgb_scalar(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, uint8_t *rgb, int n)
{
    for (int i = 0; i < n; i++) kx_jpeg_ycc_pixel(y[i], cb[i], cr[i], rgb + 3 * i);
}

static const KX_JPEG_KERNELS kx_jpeg_scalar = {kx_jpeg_idct_plain<8>, kx_jpeg_idct_plain<4>, kx_jpeg_up_h2v2_scalar, kx_jpeg_up_h2v1_scalar,
                                               kx_jpeg_ycc_rgb_scalar};

#if KX_JPEG_X86
// ---------------------------------------------------------------------------------------------
// SSE2
// ---------------------------------------------------------------------------------------------

// Eight rows of samples from their left and right halves.
static KX_JPEG_INLINE void kx_jpeg_store_rows_sse2(const __m128 *lo, const __m128 *hi, uint8_t *out, ptrdiff_t stride)
{
    const __m128 bias = _mm_set1_ps(128.5f), zero = _mm_setzero_ps(), top = _mm_set1_ps(255.0f);
    for (int y = 0; y < 8; y++) {
        __m128i a = _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(lo[y] + bias, zero), top));
        __m128i b = _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(hi[y] + bias, zero), top));
        __m128i w = _mm_packs_epi32(a, b);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + y * stride), _mm_packus_epi16(w, w));
    }
}

static void kx_jpeg_idct_sse2(const int16_t *coef, const float *q, uint8_t *out, ptrdiff_t stride)
{
    // lo holds vertical frequencies 0-3, hi 4-7; after the transpose they hold columns.
    __m128 lo[8], hi[8], lo2[8], hi2[8];
    for (int v = 0; v < 8; v++) {
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(coef + v * 8));
        __m128i sign = _mm_srai_epi16(c, 15);
        lo[v] = _mm_cvtepi32_ps(_mm_unpacklo_epi16(c, sign)) * _mm_loadu_ps(q + v * 8);
        hi[v] = _mm_cvtepi32_ps(_mm_unpackhi_epi16(c, sign)) * _mm_loadu_ps(q + v * 8 + 4);
    }
    kx_jpeg_idct_1d(lo, lo2);
    kx_jpeg_idct_1d(hi, hi2);
    // lo2[x] / hi2[x]: column x at rows 0-3 / 4-7. Transpose into rows: lo[u] columns 0-3,
    // hi[u] columns 4-7.
    for (int b = 0; b < 2; b++) {
        __m128 *src = b ? hi2 : lo2;
        __m128 a0 = src[0], a1 = src[1], a2 = src[2], a3 = src[3];
        __m128 b0 = src[4], b1 = src[5], b2 = src[6], b3 = src[7];
        _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
        _MM_TRANSPOSE4_PS(b0, b1, b2, b3);
        __m128 *dl = lo + 4 * b, *dh = hi + 4 * b;
        dl[0] = a0, dl[1] = a1, dl[2] = a2, dl[3] = a3;
        dh[0] = b0, dh[1] = b1, dh[2] = b2, dh[3] = b3;
    }
    kx_jpeg_idct_1d(lo, lo2);
    kx_jpeg_idct_1d(hi, hi2);
    kx_jpeg_store_rows_sse2(lo2, hi2, out, stride);
}

static void kx_jpeg_idct4_sse2(const int16_t *coef, const float *q, uint8_t *out, ptrdiff_t stride)
{
    // Vertical frequencies 4-7 are zero, so only lo is worked; after the transpose lo holds
    // columns 0-3 and hi columns 4-7 of rows 0-3, the rest being zero.
    __m128 lo[4], hi[4], s[8], lo2[8], hi2[8];
    for (int v = 0; v < 4; v++) {
        __m128i c = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(coef + v * 8));
        lo[v] = _mm_cvtepi32_ps(_mm_unpacklo_epi16(c, _mm_srai_epi16(c, 15))) * _mm_loadu_ps(q + v * 8);
    }
    kx_jpeg_idct_1d_low(lo, s);
    _MM_TRANSPOSE4_PS(s[0], s[1], s[2], s[3]);
    _MM_TRANSPOSE4_PS(s[4], s[5], s[6], s[7]);
    for (int u = 0; u < 4; u++) lo[u] = s[u], hi[u] = s[4 + u];
    kx_jpeg_idct_1d_low(lo, lo2);
    kx_jpeg_idct_1d_low(hi, hi2);
    kx_jpeg_store_rows_sse2(lo2, hi2, out, stride);
}

static KX_JPEG_INLINE __m128i kx_jpeg_load8_sse2(const uint8_t *p)
{
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), _mm_setzero_si128());
}

static void kx_jpeg_up_h2v2_sse2(const uint8_t *near, const uint8_t *far, int cw, uint8_t *dst, int16_t *work)
{
    int16_t *s = work + 1;
    for (int x = 0; x < cw; x += 8) {
        __m128i n = kx_jpeg_load8_sse2(near + x);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(s + x), _mm_add_epi16(_mm_add_epi16(n, n), _mm_add_epi16(n, kx_jpeg_load8_sse2(far + x))));
    }
    s[-1] = s[0];
    s[cw] = s[cw - 1];
    const __m128i r8 = _mm_set1_epi16(8), r7 = _mm_set1_epi16(7);
    for (int x = 0; x < cw; x += 8) {
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + x));
        __m128i c3 = _mm_add_epi16(_mm_add_epi16(c, c), c);
        __m128i e = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(c3, _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + x - 1))), r8), 4);
        __m128i o = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(c3, _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + x + 1))), r7), 4);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 2 * x), _mm_packus_epi16(_mm_unpacklo_epi16(e, o), _mm_unpackhi_epi16(e, o)));
    }
}

static void kx_jpeg_up_h2v1_sse2(const uint8_t *row, int cw, uint8_t *dst)
{
    const __m128i r1 = _mm_set1_epi16(1), r2 = _mm_set1_epi16(2);
    for (int x = 1; x < cw - 1; x += 8) {
        __m128i c = kx_jpeg_load8_sse2(row + x);
        __m128i c3 = _mm_add_epi16(_mm_add_epi16(c, c), c);
        __m128i e = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(c3, kx_jpeg_load8_sse2(row + x - 1)), r1), 2);
        __m128i o = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(c3, kx_jpeg_load8_sse2(row + x + 1)), r2), 2);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 2 * x), _mm_packus_epi16(_mm_unpacklo_epi16(e, o), _mm_unpackhi_epi16(e, o)));
    }
    kx_jpeg_up_h2v1_ends(row, cw, dst);
}

// (a * k + 32768) >> 16 from the high and low halves of the product: the low half adds one
// exactly when its top bit is set.
static KX_JPEG_INLINE __m128i kx_jpeg_mul_round_sse2(__m128i a, __m128i k)
{
    return _mm_add_epi16(_mm_mulhi_epi16(a, k), _mm_srli_epi16(_mm_mullo_epi16(a, k), 15));
}

// (a . k + 32768) >> 16 for the pairs (a, b) and k = (k_a, k_b) in 32 bits, back to 16 bits.
static KX_JPEG_INLINE __m128i kx_jpeg_madd_round_sse2(__m128i a, __m128i b, __m128i k)
{
    const __m128i half = _mm_set1_epi32(32768);
    __m128i lo = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), k), half), 16);
    __m128i hi = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), k), half), 16);
    return _mm_packs_epi32(lo, hi);
}

// R, G, B of eight pixels as 16-bit values.
static KX_JPEG_INLINE void kx_jpeg_ycc8_sse2(__m128i y, __m128i cb, __m128i cr, __m128i &r, __m128i &g, __m128i &b)
{
    const __m128i k_r = _mm_set1_epi16(KX_JPEG_CR_R), k_b = _mm_set1_epi16(KX_JPEG_CB_B);
    const __m128i k_g = _mm_set1_epi32(int32_t(uint32_t(uint16_t(KX_JPEG_CR_G)) << 16 | uint16_t(KX_JPEG_CB_G)));
    const __m128i c128 = _mm_set1_epi16(128);
    cb = _mm_sub_epi16(cb, c128);
    cr = _mm_sub_epi16(cr, c128);
    r = _mm_add_epi16(_mm_add_epi16(y, cr), kx_jpeg_mul_round_sse2(cr, k_r));
    g = _mm_sub_epi16(_mm_add_epi16(y, kx_jpeg_madd_round_sse2(cb, cr, k_g)), cr);
    b = _mm_add_epi16(_mm_add_epi16(y, _mm_add_epi16(cb, cb)), kx_jpeg_mul_round_sse2(cb, k_b));
}

// Four RGBX pixels to twelve bytes at o, written as two overlapping 8-byte stores (14 bytes).
static KX_JPEG_INLINE void kx_jpeg_store_rgb4_sse2(__m128i p, uint8_t *o)
{
    const __m128i low = _mm_set1_epi64x(0x0000000000FFFFFFll), high = _mm_set1_epi64x(0x0000FFFFFF000000ll);
    __m128i q = _mm_or_si128(_mm_and_si128(p, low), _mm_and_si128(_mm_srli_epi64(p, 8), high));
    _mm_storel_epi64(reinterpret_cast<__m128i *>(o), q);
    _mm_storel_epi64(reinterpret_cast<__m128i *>(o + 6), _mm_srli_si128(q, 8));
}

static void kx_jpeg_ycc_rgb_sse2(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, uint8_t *rgb, int n)
{
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    // Sixteen pixels a step; the stores reach two bytes past the step's 48, so the last
    // pixels go the plain way.
    for (; i + 17 <= n; i += 16) {
        __m128i yv = _mm_loadu_si128(reinterpret_cast<const __m128i *>(y + i));
        __m128i bv = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cb + i));
        __m128i rv = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cr + i));
        __m128i r0, g0, b0, r1, g1, b1;
        kx_jpeg_ycc8_sse2(_mm_unpacklo_epi8(yv, zero), _mm_unpacklo_epi8(bv, zero), _mm_unpacklo_epi8(rv, zero), r0, g0, b0);
        kx_jpeg_ycc8_sse2(_mm_unpackhi_epi8(yv, zero), _mm_unpackhi_epi8(bv, zero), _mm_unpackhi_epi8(rv, zero), r1, g1, b1);
        __m128i r = _mm_packus_epi16(r0, r1), g = _mm_packus_epi16(g0, g1), b = _mm_packus_epi16(b0, b1);
        __m128i rg_lo = _mm_unpacklo_epi8(r, g), rg_hi = _mm_unpackhi_epi8(r, g);
        __m128i bz_lo = _mm_unpacklo_epi8(b, zero), bz_hi = _mm_unpackhi_epi8(b, zero);
        uint8_t *o = rgb + 3 * i;
        kx_jpeg_store_rgb4_sse2(_mm_unpacklo_epi16(rg_lo, bz_lo), o);
        kx_jpeg_store_rgb4_sse2(_mm_unpackhi_epi16(rg_lo, bz_lo), o + 12);
        kx_jpeg_store_rgb4_sse2(_mm_unpacklo_epi16(rg_hi, bz_hi), o + 24);
        kx_jpeg_store_rgb4_sse2(_mm_unpackhi_epi16(rg_hi, bz_hi), o + 36);
    }
    kx_jpeg_ycc_rgb_scalar(y + i, cb + i, cr + i, rgb + 3 * i, n - i);
}

static const KX_JPEG_KERNELS kx_jpeg_sse2 = {kx_jpeg_idct_sse2, kx_jpeg_idct4_sse2, kx_jpeg_up_h2v2_sse2, kx_jpeg_up_h2v1_sse2,
                                             kx_jpeg_ycc_rgb_sse2};

// ---------------------------------------------------------------------------------------------
// AVX2
// ---------------------------------------------------------------------------------------------

KX_JPEG_AVX2 static KX_JPEG_INLINE void kx_jpeg_store_rows_avx2(const __m256 *rows, uint8_t *out, ptrdiff_t stride)
{
    const __m256 bias = _mm256_set1_ps(128.5f), zero = _mm256_setzero_ps(), top = _mm256_set1_ps(255.0f);
    for (int y = 0; y < 8; y++) {
        __m256i i = _mm256_cvttps_epi32(_mm256_min_ps(_mm256_max_ps(rows[y] + bias, zero), top));
        __m128i w = _mm_packs_epi32(_mm256_castsi256_si128(i), _mm256_extracti128_si256(i, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + y * stride), _mm_packus_epi16(w, w));
    }
}

KX_JPEG_AVX2 static void kx_jpeg_idct_avx2(const int16_t *coef, const float *q, uint8_t *out, ptrdiff_t stride)
{
    __m256 r[8], s[8];
    for (int v = 0; v < 8; v++) {
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(coef + v * 8));
        r[v] = _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(c)) * _mm256_loadu_ps(q + v * 8);
    }
    kx_jpeg_idct_1d(r, s);
    // s[x]: column x at rows 0-7. Transpose into rows.
    __m256 t0 = _mm256_unpacklo_ps(s[0], s[1]), t1 = _mm256_unpackhi_ps(s[0], s[1]);
    __m256 t2 = _mm256_unpacklo_ps(s[2], s[3]), t3 = _mm256_unpackhi_ps(s[2], s[3]);
    __m256 t4 = _mm256_unpacklo_ps(s[4], s[5]), t5 = _mm256_unpackhi_ps(s[4], s[5]);
    __m256 t6 = _mm256_unpacklo_ps(s[6], s[7]), t7 = _mm256_unpackhi_ps(s[6], s[7]);
    __m256 u0 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0)), u1 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
    __m256 u2 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0)), u3 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
    __m256 u4 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(1, 0, 1, 0)), u5 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(3, 2, 3, 2));
    __m256 u6 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(1, 0, 1, 0)), u7 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(3, 2, 3, 2));
    r[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
    r[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
    r[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
    r[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
    r[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
    r[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
    r[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
    r[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
    kx_jpeg_idct_1d(r, s);
    kx_jpeg_store_rows_avx2(s, out, stride);
}

KX_JPEG_AVX2 static void kx_jpeg_idct4_avx2(const int16_t *coef, const float *q, uint8_t *out, ptrdiff_t stride)
{
    // The first pass on four lanes (vertical frequencies 0-3), then rows 0-3 of eight columns.
    __m128 c[4], s[8];
    for (int v = 0; v < 4; v++) {
        __m128i k = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(coef + v * 8));
        c[v] = _mm_cvtepi32_ps(_mm_cvtepi16_epi32(k)) * _mm_loadu_ps(q + v * 8);
    }
    kx_jpeg_idct_1d_low(c, s);
    _MM_TRANSPOSE4_PS(s[0], s[1], s[2], s[3]);
    _MM_TRANSPOSE4_PS(s[4], s[5], s[6], s[7]);
    __m256 r[4], o[8];
    for (int u = 0; u < 4; u++) r[u] = _mm256_set_m128(s[4 + u], s[u]);
    kx_jpeg_idct_1d_low(r, o);
    kx_jpeg_store_rows_avx2(o, out, stride);
}

KX_JPEG_AVX2 static KX_JPEG_INLINE __m256i kx_jpeg_load16_avx2(const uint8_t *p)
{
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
}

// Even and odd outputs of sixteen inputs, interleaved into 32 bytes at dst.
KX_JPEG_AVX2 static KX_JPEG_INLINE void kx_jpeg_store_pairs_avx2(__m256i e, __m256i o, uint8_t *dst)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst), _mm256_packus_epi16(_mm256_unpacklo_epi16(e, o), _mm256_unpackhi_epi16(e, o)));
}

KX_JPEG_AVX2 static void kx_jpeg_up_h2v2_avx2(const uint8_t *near, const uint8_t *far, int cw, uint8_t *dst, int16_t *work)
{
    int16_t *s = work + 1;
    for (int x = 0; x < cw; x += 16) {
        __m256i n = kx_jpeg_load16_avx2(near + x);
        __m256i sum = _mm256_add_epi16(_mm256_add_epi16(n, n), _mm256_add_epi16(n, kx_jpeg_load16_avx2(far + x)));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(s + x), sum);
    }
    s[-1] = s[0];
    s[cw] = s[cw - 1];
    const __m256i r8 = _mm256_set1_epi16(8), r7 = _mm256_set1_epi16(7);
    for (int x = 0; x < cw; x += 16) {
        __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + x));
        __m256i c3 = _mm256_add_epi16(_mm256_add_epi16(c, c), c);
        __m256i prev = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + x - 1));
        __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + x + 1));
        __m256i e = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(c3, prev), r8), 4);
        __m256i o = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(c3, next), r7), 4);
        kx_jpeg_store_pairs_avx2(e, o, dst + 2 * x);
    }
}

KX_JPEG_AVX2 static void kx_jpeg_up_h2v1_avx2(const uint8_t *row, int cw, uint8_t *dst)
{
    const __m256i r1 = _mm256_set1_epi16(1), r2 = _mm256_set1_epi16(2);
    for (int x = 1; x < cw - 1; x += 16) {
        __m256i c = kx_jpeg_load16_avx2(row + x);
        __m256i c3 = _mm256_add_epi16(_mm256_add_epi16(c, c), c);
        __m256i e = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(c3, kx_jpeg_load16_avx2(row + x - 1)), r1), 2);
        __m256i o = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(c3, kx_jpeg_load16_avx2(row + x + 1)), r2), 2);
        kx_jpeg_store_pairs_avx2(e, o, dst + 2 * x);
    }
    kx_jpeg_up_h2v1_ends(row, cw, dst);
}

KX_JPEG_AVX2 static KX_JPEG_INLINE __m256i kx_jpeg_mul_round_avx2(__m256i a, __m256i k)
{
    return _mm256_add_epi16(_mm256_mulhi_epi16(a, k), _mm256_srli_epi16(_mm256_mullo_epi16(a, k), 15));
}

KX_JPEG_AVX2 static KX_JPEG_INLINE __m256i kx_jpeg_madd_round_avx2(__m256i a, __m256i b, __m256i k)
{
    const __m256i half = _mm256_set1_epi32(32768);
    __m256i lo = _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), k), half), 16);
    __m256i hi = _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), k), half), 16);
    return _mm256_packs_epi32(lo, hi);
}

KX_JPEG_AVX2 static void kx_jpeg_ycc_rgb_avx2(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, uint8_t *rgb, int n)
{
    const __m256i none = _mm256_setzero_si256();
    const __m256i k_r = _mm256_set1_epi16(KX_JPEG_CR_R), k_b = _mm256_set1_epi16(KX_JPEG_CB_B);
    const __m256i k_g = _mm256_set1_epi32(int32_t(uint32_t(uint16_t(KX_JPEG_CR_G)) << 16 | uint16_t(KX_JPEG_CB_G)));
    const __m256i c128 = _mm256_set1_epi16(128);
    // Per 128-bit half: bytes 0-7 red and 8-15 green of eight pixels, or blue and zeros; the
    // shuffles pick the first 16 bytes of their 24 output bytes and the last 8.
    const __m256i rg_head = _mm256_setr_epi8(0, 8, -1, 1, 9, -1, 2, 10, -1, 3, 11, -1, 4, 12, -1, 5,
                                             0, 8, -1, 1, 9, -1, 2, 10, -1, 3, 11, -1, 4, 12, -1, 5);
    const __m256i b_head = _mm256_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1,
                                            -1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1);
    const __m256i rg_tail = _mm256_setr_epi8(13, -1, 6, 14, -1, 7, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                             13, -1, 6, 14, -1, 7, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m256i b_tail = _mm256_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1,
                                            -1, 5, -1, -1, 6, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        __m256i yv = kx_jpeg_load16_avx2(y + i);
        __m256i bv = _mm256_sub_epi16(kx_jpeg_load16_avx2(cb + i), c128);
        __m256i rv = _mm256_sub_epi16(kx_jpeg_load16_avx2(cr + i), c128);
        __m256i r = _mm256_add_epi16(_mm256_add_epi16(yv, rv), kx_jpeg_mul_round_avx2(rv, k_r));
        __m256i g = _mm256_sub_epi16(_mm256_add_epi16(yv, kx_jpeg_madd_round_avx2(bv, rv, k_g)), rv);
        __m256i b = _mm256_add_epi16(_mm256_add_epi16(yv, _mm256_add_epi16(bv, bv)), kx_jpeg_mul_round_avx2(bv, k_b));
        __m256i rg = _mm256_packus_epi16(r, g), bz = _mm256_packus_epi16(b, none);
        __m256i head = _mm256_or_si256(_mm256_shuffle_epi8(rg, rg_head), _mm256_shuffle_epi8(bz, b_head));
        __m256i tail = _mm256_or_si256(_mm256_shuffle_epi8(rg, rg_tail), _mm256_shuffle_epi8(bz, b_tail));
        uint8_t *o = rgb + 3 * i;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o), _mm256_castsi256_si128(head));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(o + 16), _mm256_castsi256_si128(tail));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o + 24), _mm256_extracti128_si256(head, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(o + 40), _mm256_extracti128_si256(tail, 1));
    }
    kx_jpeg_ycc_rgb_scalar(y + i, cb + i, cr + i, rgb + 3 * i, n - i);
}

static const KX_JPEG_KERNELS kx_jpeg_avx2 = {kx_jpeg_idct_avx2, kx_jpeg_idct4_avx2, kx_jpeg_up_h2v2_avx2, kx_jpeg_up_h2v1_avx2,
                                             kx_jpeg_ycc_rgb_avx2};
#endif

// ---------------------------------------------------------------------------------------------
// Choice
// ---------------------------------------------------------------------------------------------

static bool kx_jpeg_isa_available(KX_JPEG_ISA isa)
{
#if KX_JPEG_X86
    if (isa == KX_JPEG_ISA_AVX2) return __builtin_cpu_supports("avx2");
    return true;
#else
    return isa == KX_JPEG_ISA_SCALAR;
#endif
}

static const KX_JPEG_KERNELS *kx_jpeg_kernels_of(KX_JPEG_ISA isa)
{
#if KX_JPEG_X86
    if (isa == KX_JPEG_ISA_AVX2) return &kx_jpeg_avx2;
    if (isa == KX_JPEG_ISA_SSE2) return &kx_jpeg_sse2;
#endif
    (void)isa;
    return &kx_jpeg_scalar;
}

static std::atomic<int> kx_jpeg_isa{-1};

KX_JPEG_ISA kx_jpeg_kernels_isa()
{
    int isa = kx_jpeg_isa.load(std::memory_order_relaxed);
    if (isa < 0) {
        isa = kx_jpeg_isa_available(KX_JPEG_ISA_AVX2) ? KX_JPEG_ISA_AVX2
              : kx_jpeg_isa_available(KX_JPEG_ISA_SSE2) ? KX_JPEG_ISA_SSE2
                                                        : KX_JPEG_ISA_SCALAR;
        kx_jpeg_isa.store(isa, std::memory_order_relaxed);
    }
    return KX_JPEG_ISA(isa);
}

const KX_JPEG_KERNELS *kx_jpeg_kernels() { return kx_jpeg_kernels_of(kx_jpeg_kernels_isa()); }

bool kx_jpeg_kernels_choose(KX_JPEG_ISA isa)
{
    if (!kx_jpeg_isa_available(isa)) return false;
    kx_jpeg_isa.store(isa, std::memory_order_relaxed);
    return true;
}
