// kx_snd_mp3_local: the Layer III decoder's inner records, shared by the files of the decoder
// (frame parsing, spectrum decoding, hybrid filter bank, polyphase synthesis, tables) and by no
// one else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// The filter banks carry the decoder's arithmetic; on x86-64 they get a second, AVX2 build that
// is chosen at load time when the processor has it. Both give the same results: the loops have
// no sums across lanes and no contracted multiply-adds. Not under ThreadSanitizer, whose
// instrumented load-time chooser would run before the sanitizer has started.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define KX_SND_MP3_VECTOR __attribute__((target_clones("avx2", "default")))
#define KX_SND_MP3_INLINE __attribute__((always_inline)) inline
#else
#define KX_SND_MP3_VECTOR
#define KX_SND_MP3_INLINE inline
#endif

// Eight floats: two SSE registers in the plain build, one in the AVX2 build.
typedef float KX_SND_MP3_V8 __attribute__((vector_size(32)));

constexpr int KX_SND_MP3_FRAME_SAMPLES = 1152;   // samples per channel in one frame
constexpr int KX_SND_MP3_GRANULE_LINES = 576;    // spectral lines of one granule
constexpr int KX_SND_MP3_MAX_BACK = 511;         // furthest main_data_begin can point back
constexpr int KX_SND_MP3_MAIN_SIZE = 4096;       // bytes of the bit reservoir buffer
constexpr int KX_SND_MP3_MAIN_PAD = 64;          // zero bytes kept after the reservoir data
constexpr int KX_SND_MP3_SLOTS = 24;             // a granule's 18 time slots, padded to whole vectors

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// A parsed frame header.
struct KX_SND_MP3_HEADER {
    int32_t bitrate;          // kbit/s
    int32_t rate;             // Hz
    int32_t rate_index;       // 0 = 44100, 1 = 48000, 2 = 32000
    int32_t padding;
    int32_t mode;             // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    int32_t mode_ext;         // joint stereo: bit 1 mid/side, bit 0 intensity
    int32_t crc;              // 1: a 16-bit check word follows the header
    int32_t channels;
    int32_t bytes;            // whole frame, header included
    int32_t side_bytes;       // side information
};

// Side information of one granule of one channel.
struct KX_SND_MP3_GRANULE {
    int32_t part2_3_length;
    int32_t big_values;
    int32_t global_gain;
    int32_t scalefac_compress;
    int32_t window_switching;
    int32_t block_type;
    int32_t mixed;
    int32_t table_select[3];
    int32_t subblock_gain[3];
    int32_t region1_start;    // in spectral lines
    int32_t region2_start;
    int32_t preflag;
    int32_t scalefac_scale;
    int32_t count1_table;
};

struct KX_SND_MP3_SIDE {
    int32_t main_data_begin;
    int32_t scfsi[2][4];
    KX_SND_MP3_GRANULE gr[2][2];
};

// Layer III decoding state of one stream: bit reservoir, filter bank memories, work buffers.
struct KX_SND_MP3_LAYER3 {
    uint8_t main_data[KX_SND_MP3_MAIN_SIZE + KX_SND_MP3_MAIN_PAD];
    int32_t main_len;                       // reservoir bytes held
    uint8_t scalefac_l[2][22];              // long-block scale factors of granule 0 (scfsi)
    float overlap[2][18][32];               // second halves of the last IMDCT outputs, by subband
    float synth_v[2][16][64];               // polyphase history, a ring of 16 vectors
    int32_t synth_slot[2];                  // ring position of the newest vector
    float xr[2][KX_SND_MP3_GRANULE_LINES];  // spectrum of the granule being decoded
    int32_t nonzero[2];                     // lines past this are zero in xr
    float pcm[KX_SND_MP3_FRAME_SAMPLES * 2];   // the last decoded frame, interleaved, 16-bit scale
};

// Shared, read-only tables, built once.
struct KX_SND_MP3_TABLES {
    float pow43[8207];                 // |v|^(4/3) for every value Huffman decoding can give
    float pow2_quarter[1024];          // 2^((i - 512) / 4)
    float imdct_long[18][20];          // DCT-IV kernel of the 36-point IMDCT, rows padded to 20
    float dct4_pre[9][2];              // its fast form: cos and sin of pi n / 18 before the 9-point DFT,
    float dct4_mid[3][3][2];           // of 2 pi n k / 9 inside it,
    float dct4_post[9][2];             // and of pi (p + 1/4) / 18 after it
    float imdct_short[6][6];           // DCT-IV kernel of the 12-point IMDCT
    float window_long[4][36];          // block types 0, 1 and 3 (2 unused)
    float window_short[12];
    float alias_cs[8], alias_ca[8];
    float is_ratio[7][2];              // intensity stereo left and right factors per is_pos
    float dct_coef32[16], dct_coef16[8], dct_coef8[4], dct_coef4[2], dct_coef2[1];
    float synth_window[512];           // window scaled to the 16-bit output range
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

static KX_SND_MP3_INLINE void kx_snd_mp3_v8_load(KX_SND_MP3_V8 &v, const float *p) { std::memcpy(&v, p, sizeof v); }

static KX_SND_MP3_INLINE void kx_snd_mp3_v8_store(float *p, const KX_SND_MP3_V8 &v) { std::memcpy(p, &v, sizeof v); }

// Transposes eight vectors of eight in place.
static KX_SND_MP3_INLINE void kx_snd_mp3_transpose8(KX_SND_MP3_V8 *r)
{
    typedef KX_SND_MP3_V8 V;
    V t0 = __builtin_shufflevector(r[0], r[1], 0, 8, 1, 9, 4, 12, 5, 13);
    V t1 = __builtin_shufflevector(r[0], r[1], 2, 10, 3, 11, 6, 14, 7, 15);
    V t2 = __builtin_shufflevector(r[2], r[3], 0, 8, 1, 9, 4, 12, 5, 13);
    V t3 = __builtin_shufflevector(r[2], r[3], 2, 10, 3, 11, 6, 14, 7, 15);
    V t4 = __builtin_shufflevector(r[4], r[5], 0, 8, 1, 9, 4, 12, 5, 13);
    V t5 = __builtin_shufflevector(r[4], r[5], 2, 10, 3, 11, 6, 14, 7, 15);
    V t6 = __builtin_shufflevector(r[6], r[7], 0, 8, 1, 9, 4, 12, 5, 13);
    V t7 = __builtin_shufflevector(r[6], r[7], 2, 10, 3, 11, 6, 14, 7, 15);
    V u0 = __builtin_shufflevector(t0, t2, 0, 1, 8, 9, 4, 5, 12, 13);
    V u1 = __builtin_shufflevector(t0, t2, 2, 3, 10, 11, 6, 7, 14, 15);
    V u2 = __builtin_shufflevector(t1, t3, 0, 1, 8, 9, 4, 5, 12, 13);
    V u3 = __builtin_shufflevector(t1, t3, 2, 3, 10, 11, 6, 7, 14, 15);
    V u4 = __builtin_shufflevector(t4, t6, 0, 1, 8, 9, 4, 5, 12, 13);
    V u5 = __builtin_shufflevector(t4, t6, 2, 3, 10, 11, 6, 7, 14, 15);
    V u6 = __builtin_shufflevector(t5, t7, 0, 1, 8, 9, 4, 5, 12, 13);
    V u7 = __builtin_shufflevector(t5, t7, 2, 3, 10, 11, 6, 7, 14, 15);
    r[0] = __builtin_shufflevector(u0, u4, 0, 1, 2, 3, 8, 9, 10, 11);
    r[1] = __builtin_shufflevector(u1, u5, 0, 1, 2, 3, 8, 9, 10, 11);
    r[2] = __builtin_shufflevector(u2, u6, 0, 1, 2, 3, 8, 9, 10, 11);
    r[3] = __builtin_shufflevector(u3, u7, 0, 1, 2, 3, 8, 9, 10, 11);
    r[4] = __builtin_shufflevector(u0, u4, 4, 5, 6, 7, 12, 13, 14, 15);
    r[5] = __builtin_shufflevector(u1, u5, 4, 5, 6, 7, 12, 13, 14, 15);
    r[6] = __builtin_shufflevector(u2, u6, 4, 5, 6, 7, 12, 13, 14, 15);
    r[7] = __builtin_shufflevector(u3, u7, 4, 5, 6, 7, 12, 13, 14, 15);
}


const KX_SND_MP3_TABLES *kx_snd_mp3_tables();

// Long and short scale factor band boundaries per sampling rate index.
extern const int16_t kx_snd_mp3_sfb_long[3][23];
extern const int16_t kx_snd_mp3_sfb_short[3][14];
extern const int32_t kx_snd_mp3_window_int[257];   // synthesis window, first half, in 1/65536

// Huffman decoding: the lookup for a big-values table (null for tables 0, 4 and 14) and its
// linbits; the quadruple table A.
struct KX_SND_MP3_HUFF {
    const uint32_t *lut;
    int32_t root_bits;
    int32_t linbits;
};
const KX_SND_MP3_HUFF *kx_snd_mp3_huff_table(int table);
const uint16_t *kx_snd_mp3_huff_quad_a();   // 64 entries by the next 6 bits: length << 8 | vwxy
void kx_snd_mp3_huff_build();

// 1 and `header` filled when the 4 bytes at `p` are an MPEG-1 Layer III header we decode.
int kx_snd_mp3_header_parse(const uint8_t *p, KX_SND_MP3_HEADER *header);

// Decodes the frame at `frame` (header->bytes long) into decoder->pcm. Returns 1 when it held
// music, 0 when the frame was silenced (damaged side information or data, or a bit reservoir
// reaching back before the data the decoder has seen).
int kx_snd_mp3_frame_decode(KX_SND_MP3_LAYER3 *decoder, const uint8_t *frame,
                            const KX_SND_MP3_HEADER *header);
void kx_snd_mp3_decoder_reset(KX_SND_MP3_LAYER3 *decoder);

// One granule of one channel through the polyphase filter bank: 32 subbands of 18 time slots in
// (zeros in the padding slots), 576 samples out at `pcm` with the given stride.
void kx_snd_mp3_synth(KX_SND_MP3_LAYER3 *decoder, int channel, const float subband[32][KX_SND_MP3_SLOTS],
                      float *pcm, int stride);
