// kx_snd_mp3: MP3 music streams over a whole file in memory. Finds the frames (skipping ID3
// tags, the encoder's information frame and damaged stretches), decodes them one at a time,
// trims the encoder delay and padding so that loops join without a gap, and converts each frame
// to the mixer's format with volume, pan and rate conversion.
#include "kx/kx_snd/kx_snd_mp3.h"

#include "kx/kx_snd/kx_snd_ledger.h"
#include "kx/kx_snd/kx_snd_mp3_local.h"

#include <cmath>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// Where the music is in the file and how far the stream has got.
struct KX_SND_MP3_LAYOUT {
    size_t first;            // offset of the first audio frame
    size_t end;              // end of the frame data (before an ID3v1 tag)
    int32_t rate_index;      // format of the first frame; other frames must agree
    int32_t channels;
    int64_t skip;            // samples to drop at the start of each pass (encoder delay)
    int64_t length;          // samples to keep after them, -1 when the file does not say
};

struct KX_SND_MP3_DECODER {
    KX_SND_MP3_LAYER3 layer3;
    KX_SND_MP3_LAYOUT layout;
    size_t pos;              // where to look for the next frame
    int64_t decoded;         // samples decoded in this pass
    int64_t pass_output;     // samples handed to the output in this pass
    int64_t phase;           // resampler position in input samples, 32.32 fixed point
    int64_t step;
    float last[2];           // last input sample of the previous frame, for interpolation
};

// The decoder's delay in samples, part of what an encoder's information frame counts.
constexpr int KX_SND_MP3_DECODER_DELAY = 529;

// ---------------------------------------------------------------------------------------------
// Frames and tags
// ---------------------------------------------------------------------------------------------

// Finds the next frame at or after `pos` that fits in the data and matches the layout's format
// (when one is set). A frame away from `pos`, or any frame when `strict`, is believed only when
// the next header agrees with it, so that stray sync patterns in damaged data are passed over.
static int kx_snd_mp3_find(const uint8_t *data, size_t end, size_t pos, const KX_SND_MP3_LAYOUT *layout,
                           int strict, KX_SND_MP3_HEADER *h, size_t *at)
{
    for (size_t p = pos; p + 4 <= end; p++) {
        if (data[p] != 0xFF) {
            const void *hit = std::memchr(data + p, 0xFF, end - 4 - p + 1);
            if (!hit) return 0;
            p = static_cast<size_t>(static_cast<const uint8_t *>(hit) - data);
        }
        if (!kx_snd_mp3_header_parse(data + p, h)) continue;
        if (layout && (h->rate_index != layout->rate_index || h->channels != layout->channels)) continue;
        if (static_cast<size_t>(h->bytes) > end - p) continue;
        size_t next = p + static_cast<size_t>(h->bytes);
        if ((strict || p != pos) && next + 4 <= end) {
            KX_SND_MP3_HEADER n;
            if (!kx_snd_mp3_header_parse(data + next, &n) || n.rate_index != h->rate_index || n.channels != h->channels)
                continue;
        }
        *at = p;
        return 1;
    }
    return 0;
}

static uint32_t kx_snd_mp3_be32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// An ID3v1 text field: at most `n` bytes, cut at the first zero, trailing blanks removed.
static void kx_snd_mp3_id3_text(char *dst, const uint8_t *src, int n)
{
    int len = 0;
    while (len < n && src[len]) len++;
    while (len > 0 && src[len - 1] == ' ') len--;
    std::memcpy(dst, src, static_cast<size_t>(len));
    dst[len] = 0;
}

// The encoder's information frame ("Xing" or "Info") stands first and holds no music. Its LAME
// extension gives the encoder delay and padding, which make the loop seamless.
static int kx_snd_mp3_info_frame(const uint8_t *frame, const KX_SND_MP3_HEADER *h, KX_SND_MP3_LAYOUT *layout)
{
    // The tag follows the side information; encoders that set the protection bit still leave
    // it where the check word would not be counted, so both places are looked at.
    size_t size = static_cast<size_t>(h->bytes);
    size_t at = 4 + static_cast<size_t>(h->side_bytes);
    auto is_tag = [frame, size](size_t a) {
        return a + 8 <= size && (std::memcmp(frame + a, "Xing", 4) == 0 || std::memcmp(frame + a, "Info", 4) == 0);
    };
    if (!is_tag(at)) {
        at += 2;
        if (!h->crc || !is_tag(at)) return 0;
    }
    const uint8_t *tag = frame + at;
    uint32_t flags = kx_snd_mp3_be32(tag + 4);
    size_t field = 8;
    int64_t frames = -1;
    if (flags & 1) {
        if (at + field + 4 > size) return 1;
        frames = kx_snd_mp3_be32(tag + field);
        field += 4;
    }
    if (flags & 2) field += 4;
    if (flags & 4) field += 100;
    if (flags & 8) field += 4;
    if (frames < 0 || at + field + 24 > size || std::memcmp(tag + field, "LAME", 4) != 0) return 1;
    const uint8_t *lame = tag + field;
    int delay = lame[21] << 4 | lame[22] >> 4;
    int padding = (lame[22] & 15) << 8 | lame[23];
    int64_t total = frames * KX_SND_MP3_FRAME_SAMPLES;
    int64_t length = total - delay - padding;
    if (length > 0) {
        layout->skip = delay + KX_SND_MP3_DECODER_DELAY;
        layout->length = length;
    }
    return 1;
}

// Reads the tags and the first frame. 1 when the data holds music.
static int kx_snd_mp3_scan(const uint8_t *data, size_t size, KX_SND_MP3_LAYOUT *layout, KX_SND_MP3_INFO *info)
{
    std::memset(info, 0, sizeof *info);
    size_t start = 0, end = size;
    // ID3v2 tags at the front: "ID3", version, flags, a 28-bit size in four 7-bit bytes.
    while (end - start >= 10 && std::memcmp(data + start, "ID3", 3) == 0) {
        const uint8_t *p = data + start;
        if ((p[6] | p[7] | p[8] | p[9]) & 0x80) break;
        size_t tag = 10 + (static_cast<size_t>(p[6]) << 21 | static_cast<size_t>(p[7]) << 14 | static_cast<size_t>(p[8]) << 7 | p[9]);
        if (p[5] & 0x10) tag += 10;   // footer
        start = tag < end - start ? start + tag : end;
    }
    if (end - start >= 128 && std::memcmp(data + end - 128, "TAG", 3) == 0) {
        const uint8_t *tag = data + end - 128;
        info->has_id3v1 = 1;
        kx_snd_mp3_id3_text(info->title, tag + 3, 30);
        kx_snd_mp3_id3_text(info->artist, tag + 33, 30);
        kx_snd_mp3_id3_text(info->album, tag + 63, 30);
        kx_snd_mp3_id3_text(info->year, tag + 93, 4);
        end -= 128;
    }
    KX_SND_MP3_HEADER h;
    size_t at;
    if (!kx_snd_mp3_find(data, end, start, nullptr, 1, &h, &at)) return 0;
    layout->end = end;
    layout->rate_index = h.rate_index;
    layout->channels = h.channels;
    layout->skip = 0;
    layout->length = -1;
    layout->first = at;
    if (kx_snd_mp3_info_frame(data + at, &h, layout)) {
        layout->first = at + static_cast<size_t>(h.bytes);
        if (!kx_snd_mp3_find(data, end, layout->first, layout, 0, &h, &at)) return 0;
    }
    info->rate = h.rate;
    info->channels = h.channels;
    info->bitrate = h.bitrate;
    for (size_t pos = layout->first; kx_snd_mp3_find(data, end, pos, layout, 0, &h, &at); pos = at + static_cast<size_t>(h.bytes))
        info->frames++;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Output conversion
// ---------------------------------------------------------------------------------------------

// Rounds to the nearest integer (ties to even) within -32768...32767: adding 1.5 x 2^23 leaves
// the rounded value in the low mantissa bits.
static inline int32_t kx_snd_mp3_round16(float v)
{
    v = v > 32767.0f ? 32767.0f : v < -32768.0f ? -32768.0f : v;
    float biased = v + 12582912.0f;
    int32_t bits;
    std::memcpy(&bits, &biased, 4);
    return bits - 0x4B400000;
}

// `n` samples times their channel's gain (left and right in turn when `stereo`), rounded to 16
// bits, eight at a time as kx_snd_mp3_round16 does one.
KX_SND_MP3_VECTOR static void kx_snd_mp3_to16(const float *pcm, int n, float gl, float gr, int stereo, int16_t *dst)
{
    typedef int32_t v8i __attribute__((vector_size(32)));
    typedef int16_t v8s __attribute__((vector_size(16)));
    if (!stereo) gr = gl;
    const KX_SND_MP3_V8 gain = {gl, gr, gl, gr, gl, gr, gl, gr};
    const KX_SND_MP3_V8 low = KX_SND_MP3_V8{} - 32768.0f, high = KX_SND_MP3_V8{} + 32767.0f;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        KX_SND_MP3_V8 v;
        std::memcpy(&v, pcm + i, sizeof v);
        v *= gain;
        v = v < low ? low : v;
        v = v > high ? high : v;
        v += 12582912.0f;
        v8i bits;
        std::memcpy(&bits, &v, sizeof bits);
        v8s out = __builtin_convertvector(bits - 0x4B400000, v8s);
        std::memcpy(dst + i, &out, sizeof out);
    }
    for (; i < n; i++) dst[i] = static_cast<int16_t>(kx_snd_mp3_round16(pcm[i] * ((i & 1) ? gr : gl)));
}

static inline uint8_t *kx_snd_mp3_put(const KX_SND_MP3 *s, uint8_t *o, float l, float r)
{
    float v[2] = {l, r};
    if (s->channels == 1) v[0] = (l + r) * 0.5f;
    for (int c = 0; c < s->channels; c++) {
        if (s->bits == 16) {
            int16_t x = static_cast<int16_t>(kx_snd_mp3_round16(v[c]));
            std::memcpy(o, &x, 2);
            o += 2;
        } else {
            int32_t q = kx_snd_mp3_round16(v[c] * (1.0f / 256.0f)) + 128;
            *o++ = static_cast<uint8_t>(q > 255 ? 255 : q < 0 ? 0 : q);
        }
    }
    return o;
}

// Converts `count` decoded samples per channel into the output buffer.
static void kx_snd_mp3_convert(KX_SND_MP3 *s, const float *pcm, int count)
{
    KX_SND_MP3_DECODER *d = s->decoder;
    int ich = d->layout.channels, right = ich - 1;
    float gain = static_cast<float>(s->volume) / 100.0f;
    float gl = gain * (s->pan > 0 ? static_cast<float>(100 - s->pan) / 100.0f : 1.0f);
    float gr = gain * (s->pan < 0 ? static_cast<float>(100 + s->pan) / 100.0f : 1.0f);
    int frame_bytes = s->bits / 8 * s->channels;
    uint8_t *o = s->out, *limit = s->out + s->out_size - frame_bytes;
    if (d->step == int64_t{1} << 32 && s->bits == 16 && s->channels == ich) {
        // Same rate and layout: the common case, without the per-sample choices.
        int n = count * ich;
        if (n > s->out_size / 2) n = s->out_size / 2 / ich * ich;
        kx_snd_mp3_to16(pcm, n, gl, gr, ich == 2, reinterpret_cast<int16_t *>(o));
        o += 2 * n;
    } else if (d->step == int64_t{1} << 32) {
        for (int i = 0; i < count && o <= limit; i++) o = kx_snd_mp3_put(s, o, pcm[i * ich] * gl, pcm[i * ich + right] * gr);
    } else {
        // Linear interpolation; a position below 0 lies between the previous frame's last
        // sample and this frame's first.
        for (;;) {
            int64_t index = d->phase >> 32;
            if (index + 1 >= count || o > limit) break;
            float frac = static_cast<float>(d->phase & 0xFFFFFFFF) * (1.0f / 4294967296.0f);
            float l0 = index < 0 ? d->last[0] : pcm[index * ich], r0 = index < 0 ? d->last[1] : pcm[index * ich + right];
            float l1 = pcm[(index + 1) * ich], r1 = pcm[(index + 1) * ich + right];
            o = kx_snd_mp3_put(s, o, (l0 + (l1 - l0) * frac) * gl, (r0 + (r1 - r0) * frac) * gr);
            d->phase += d->step;
        }
        d->phase -= static_cast<int64_t>(count) << 32;
        if (count > 0) {
            d->last[0] = pcm[(count - 1) * ich];
            d->last[1] = pcm[(count - 1) * ich + right];
        }
    }
    s->out_fill = static_cast<int32_t>(o - s->out);
    s->out_pos = 0;
}

// ---------------------------------------------------------------------------------------------
// Decoding
// ---------------------------------------------------------------------------------------------

static void kx_snd_mp3_restart(KX_SND_MP3 *s)
{
    KX_SND_MP3_DECODER *d = s->decoder;
    kx_snd_mp3_decoder_reset(&d->layer3);
    d->pos = d->layout.first;
    d->decoded = 0;
    d->pass_output = 0;
    d->phase = 0;
    d->last[0] = d->last[1] = 0.0f;
    s->out_fill = s->out_pos = 0;
}

// Decodes frames until one gives output. 0 at the end of the data of a stream without loop (or
// of a looping one whose whole pass gave nothing).
static int kx_snd_mp3_next(KX_SND_MP3 *s)
{
    KX_SND_MP3_DECODER *d = s->decoder;
    const KX_SND_MP3_LAYOUT *layout = &d->layout;
    for (;;) {
        KX_SND_MP3_HEADER h;
        size_t at = 0;
        bool past_length = layout->length >= 0 && d->decoded >= layout->skip + layout->length;
        if (past_length || !kx_snd_mp3_find(s->file, layout->end, d->pos, layout, 0, &h, &at)) {
            if (!s->loop || d->pass_output == 0) return 0;
            kx_snd_mp3_restart(s);
            continue;
        }
        d->pos = at + static_cast<size_t>(h.bytes);
        kx_snd_mp3_frame_decode(&d->layer3, s->file + at, &h);
        // Keep only the samples between the encoder delay and the end of the music.
        int64_t first = d->decoded, last = d->decoded + KX_SND_MP3_FRAME_SAMPLES;
        d->decoded = last;
        int64_t from = first > layout->skip ? first : layout->skip;
        int64_t to = last;
        if (layout->length >= 0 && to > layout->skip + layout->length) to = layout->skip + layout->length;
        if (from >= to) continue;
        kx_snd_mp3_convert(s, d->layer3.pcm + (from - first) * layout->channels, static_cast<int>(to - from));
        d->pass_output += to - from;
        return 1;
    }
}

// ---------------------------------------------------------------------------------------------
// Interface
// ---------------------------------------------------------------------------------------------

int kx_snd_mp3_probe(const void *data, size_t size, KX_SND_MP3_INFO *info)
{
    KX_SND_MP3_INFO scratch;
    KX_SND_MP3_LAYOUT layout;
    if (!data) return 0;
    return kx_snd_mp3_scan(static_cast<const uint8_t *>(data), size, &layout, info ? info : &scratch);
}

// Opens a stream on `data`, on a copy of it when `copy` is set.
static KX_SND_MP3 *kx_snd_mp3_open_on(const void *data, size_t size, int copy, int loop, int rate, int bits, int channels)
{
    if (!data || rate < 8000 || rate > 192000 || (bits != 8 && bits != 16) || (channels != 1 && channels != 2)) return nullptr;
    KX_SND_MP3_INFO info;
    KX_SND_MP3_LAYOUT layout;
    if (!kx_snd_mp3_scan(static_cast<const uint8_t *>(data), size, &layout, &info)) return nullptr;

    KX_SND_MP3 *s = static_cast<KX_SND_MP3 *>(kx_snd_ledger_alloc(sizeof(KX_SND_MP3), 1, "MP3 stream"));
    if (!s) return nullptr;
    s->decoder = static_cast<KX_SND_MP3_DECODER *>(kx_snd_ledger_alloc(sizeof(KX_SND_MP3_DECODER), 1, "MP3 decoder"));
    if (copy) s->file_copy = static_cast<uint8_t *>(kx_snd_ledger_alloc(size, 0, "MP3 file"));
    // One frame of output at the lowest file rate, with room to spare: bits/8 x channels x 1152
    // x rate / 16000, plus one.
    s->out_size = bits / 8 * channels * KX_SND_MP3_FRAME_SAMPLES * rate / 16000 + 1;
    s->out = static_cast<uint8_t *>(kx_snd_ledger_alloc(static_cast<size_t>(s->out_size), 0, "MP3 frame buffer"));
    if (!s->decoder || (copy && !s->file_copy) || !s->out) {
        kx_snd_mp3_close(s);
        return nullptr;
    }
    if (copy) std::memcpy(s->file_copy, data, size);
    s->file = copy ? s->file_copy : static_cast<const uint8_t *>(data);
    s->file_size = size;
    s->loop = loop ? 1 : 0;
    s->volume = 100;
    s->pan = 0;
    s->rate = rate;
    s->bits = bits;
    s->channels = channels;
    s->info = info;
    s->decoder->layout = layout;
    s->decoder->step = (static_cast<int64_t>(info.rate) << 32) / rate;
    kx_snd_mp3_restart(s);
    return s;
}

KX_SND_MP3 *kx_snd_mp3_open(const void *data, size_t size, int loop, int rate, int bits, int channels)
{
    return kx_snd_mp3_open_on(data, size, 1, loop, rate, bits, channels);
}

KX_SND_MP3 *kx_snd_mp3_open_in_place(const void *data, size_t size, int loop, int rate, int bits, int channels)
{
    return kx_snd_mp3_open_on(data, size, 0, loop, rate, bits, channels);
}

void kx_snd_mp3_close(KX_SND_MP3 *s)
{
    if (!s) return;
    kx_snd_ledger_free(s->out);
    kx_snd_ledger_free(s->file_copy);
    kx_snd_ledger_free(s->decoder);
    kx_snd_ledger_free(s);
}

int kx_snd_mp3_read(KX_SND_MP3 *s, void *out, int bytes)
{
    if (!s || !out || bytes <= 0) return 0;
    uint8_t *dst = static_cast<uint8_t *>(out);
    int done = 0;
    while (done < bytes) {
        if (s->out_pos < s->out_fill) {
            int n = s->out_fill - s->out_pos;
            if (n > bytes - done) n = bytes - done;
            std::memcpy(dst + done, s->out + s->out_pos, static_cast<size_t>(n));
            s->out_pos += n;
            done += n;
            continue;
        }
        if (s->ended || !kx_snd_mp3_next(s)) {
            s->ended = 1;
            std::memset(dst + done, s->bits == 8 ? 128 : 0, static_cast<size_t>(bytes - done));
            break;
        }
    }
    return done;
}

void kx_snd_mp3_rewind(KX_SND_MP3 *s)
{
    if (!s) return;
    kx_snd_mp3_restart(s);
    s->ended = 0;
}

void kx_snd_mp3_set_volume(KX_SND_MP3 *s, int volume)
{
    if (s) s->volume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
}

void kx_snd_mp3_set_pan(KX_SND_MP3 *s, int pan)
{
    if (s) s->pan = pan < -100 ? -100 : pan > 100 ? 100 : pan;
}

void kx_snd_mp3_set_loop(KX_SND_MP3 *s, int loop)
{
    if (s) s->loop = loop ? 1 : 0;
}
