// kx_bit_jpeg_local: the JPEG reader's pixel kernels (inverse DCT, chroma upsampling, colour
// conversion), shared between the decoder and the file that builds them for each instruction
// set. Every set gives the same bytes: the inverse DCT does the same float operations in the
// same order (no fused multiply-adds), the rest is integer arithmetic.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

enum KX_JPEG_ISA { KX_JPEG_ISA_SCALAR, KX_JPEG_ISA_SSE2, KX_JPEG_ISA_AVX2 };

struct KX_JPEG_KERNELS {
    // 8 x 8 samples from one block: `coef` holds the quantised coefficients transposed (entry
    // column * 8 + row), `quant` the matching dequantisers with the inverse DCT's scale folded in.
    void (*idct)(const int16_t *coef, const float *quant, uint8_t *out, ptrdiff_t stride);
    // The same bytes for a block whose coefficients all lie in the top-left 4 x 4, with about
    // half the work.
    void (*idct4)(const int16_t *coef, const float *quant, uint8_t *out, ptrdiff_t stride);
    // Twice as wide, twice as high: output row from its nearest chroma row and the next farther
    // one, 3:1 in both directions. `work` holds cw + 40 values. Writes 2 x cw bytes and may
    // write up to 32 more; reads `near` and `far` up to 32 bytes past cw.
    void (*up_h2v2)(const uint8_t *near, const uint8_t *far, int cw, uint8_t *dst, int16_t *work);
    // Twice as wide, 3:1 between neighbours; writes 2 x cw bytes and up to 32 more.
    void (*up_h2v1)(const uint8_t *row, int cw, uint8_t *dst);
    // n pixels of YCbCr to RGB triples.
    void (*ycc_rgb)(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, uint8_t *rgb, int n);
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// The kernels in use: the widest set the processor runs, unless a narrower one was chosen.
const KX_JPEG_KERNELS *kx_jpeg_kernels();
// Chooses a set (for tests and benchmarks); false when this build or processor lacks it.
bool kx_jpeg_kernels_choose(KX_JPEG_ISA isa);
// The set in use.
KX_JPEG_ISA kx_jpeg_kernels_isa();
