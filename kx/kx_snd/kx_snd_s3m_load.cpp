// kx_snd_s3m_load: reads an S3M module from memory into the player's records. Every offset and
// length taken from the file is checked against the file: samples that run past its end are
// clipped, pattern data that runs past it ends that pattern, tables that do not fit refuse the file.
#include "kx/kx_snd/kx_snd_s3m_local.h"

#include "kx/kx_snd/kx_snd_ledger.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr size_t HEADER_SIZE = 0x60;
constexpr size_t INSTRUMENT_SIZE = 0x50;
constexpr uint32_t MAX_SAMPLE_FRAMES = 1u << 24;
constexpr int MAX_INSTRUMENTS = 255;    // a cell names instruments with one byte
constexpr int MAX_PATTERNS = 254;       // order values 254 and 255 are markers

// ---------------------------------------------------------------------------------------------
// Byte readers (the caller has checked the range)
// ---------------------------------------------------------------------------------------------

static uint16_t read_u16(const uint8_t *p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

static uint32_t read_u32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

static int32_t read_frame(const uint8_t *p, int bits16, int is_signed)
{
    if (bits16) {
        uint16_t v = read_u16(p);
        if (!is_signed) v ^= 0x8000;
        return static_cast<int16_t>(v);
    }
    uint8_t v = is_signed ? p[0] : static_cast<uint8_t>(p[0] ^ 0x80);
    return static_cast<int8_t>(v) * 256;
}

// ---------------------------------------------------------------------------------------------
// Samples
// ---------------------------------------------------------------------------------------------

// Fills the padding around a sample: one copy of the first frame before it, and after it either
// the loop's first frames (so interpolation runs across the loop seam) or silence.
static void sample_pad(const KX_SND_S3M_SAMPLE *s, int16_t *data)
{
    data[-1] = data[0];
    for (int i = 0; i < KX_SND_S3M_PAD_BACK; i++) {
        int16_t v = 0;
        if (s->loop) v = data[s->loop_start + static_cast<uint32_t>(i) % (s->length - s->loop_start)];
        data[s->length + static_cast<uint32_t>(i)] = v;
    }
}

// Reads instrument `index` (0-based) whose header starts at `at`. An Adlib or empty instrument, or
// one whose data lies wholly outside the file, stays an empty sample.
static int sample_load(KX_SND_S3M_SAMPLE *s, const uint8_t *data, size_t size, size_t at, int is_signed)
{
    const uint8_t *h = data + at;
    s->volume = h[0x1C] > 64 ? 64 : h[0x1C];
    s->c2spd = read_u32(h + 0x20);
    if (s->c2spd == 0) s->c2spd = 8363;
    if (s->c2spd > 0xFFFFF) s->c2spd = 0xFFFFF;
    if (h[0] != 1 || h[0x1E] != 0) return 1;

    size_t offset = ((static_cast<size_t>(h[0x0D]) << 16) | read_u16(h + 0x0E)) * 16;
    uint32_t raw_length = read_u32(h + 0x10), length = raw_length;
    uint32_t loop_start = read_u32(h + 0x14);
    uint32_t loop_end = read_u32(h + 0x18);
    int looped = h[0x1F] & 1, stereo = (h[0x1F] & 2) != 0, bits16 = (h[0x1F] & 4) != 0;
    size_t bytes = bits16 ? 2 : 1;

    if (length > MAX_SAMPLE_FRAMES) length = MAX_SAMPLE_FRAMES;
    size_t available = offset < size ? (size - offset) / bytes : 0;
    // A stereo sample keeps its right half after the left; without the whole right half in the
    // file it plays as a mono sample of the left half.
    if (stereo && available / 2 < raw_length) stereo = 0;
    if (length > available) length = static_cast<uint32_t>(available);
    if (length == 0) return 1;

    if (looped && loop_end > length) loop_end = length;
    s->loop = looped && loop_start < loop_end && loop_end - loop_start >= 1;
    if (s->loop) {
        length = loop_end;
        s->loop_start = loop_start;
    }

    size_t total = static_cast<size_t>(length) + KX_SND_S3M_PAD_FRONT + KX_SND_S3M_PAD_BACK;
    s->block = static_cast<int16_t *>(kx_snd_ledger_alloc(total * sizeof(int16_t) * (stereo ? 2 : 1), 0, "S3M sample data"));
    if (!s->block) return 0;
    s->data = s->block + KX_SND_S3M_PAD_FRONT;
    s->right = stereo ? s->data + total : nullptr;
    s->length = length;

    const uint8_t *left = data + offset;
    for (uint32_t i = 0; i < length; i++) s->data[i] = static_cast<int16_t>(read_frame(left + i * bytes, bits16, is_signed));
    sample_pad(s, s->data);
    if (stereo) {
        const uint8_t *right = left + static_cast<size_t>(raw_length) * bytes;
        for (uint32_t i = 0; i < length; i++) s->right[i] = static_cast<int16_t>(read_frame(right + i * bytes, bits16, is_signed));
        sample_pad(s, s->right);
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Patterns
// ---------------------------------------------------------------------------------------------

static void cell_store(KX_SND_S3M_CELL *c, int what, const uint8_t *p)
{
    if (what & 32) {
        uint8_t note = p[0];
        if (note == KX_SND_S3M_NOTE_OFF) c->note = KX_SND_S3M_NOTE_OFF;
        else if (note != KX_SND_S3M_NOTE_NONE && (note & 15) < 12 && (note >> 4) < 10)
            c->note = static_cast<uint8_t>((note >> 4) * 12 + (note & 15));
        c->instrument = p[1];
        p += 2;
    }
    if (what & 64) {
        c->volume = *p > 64 ? 64 : *p;
        p++;
    }
    if (what & 128) {
        if (p[0] >= 1 && p[0] <= 26) {
            c->command = static_cast<uint8_t>('A' + p[0] - 1);
            c->param = p[1];
        }
    }
}

// Unpacks one pattern at `offset`. Data that runs past the end of the file ends the pattern there.
static void pattern_load(KX_SND_S3M_MODULE *m, KX_SND_S3M_CELL *cells, const uint8_t *data, size_t size, size_t offset)
{
    if (offset == 0 || offset + 2 > size) return;
    size_t p = offset + 2;
    for (int row = 0; row < KX_SND_S3M_ROWS; row++) {
        for (;;) {
            if (p >= size) return;
            uint8_t what = data[p++];
            if (what == 0) break;
            size_t need = ((what & 32) ? 2 : 0) + ((what & 64) ? 1 : 0) + ((what & 128) ? 2 : 0);
            if (p + need > size) return;
            int ch = what & 31;
            if (ch < m->channels) cell_store(&cells[row * m->channels + ch], what, data + p);
            p += need;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Module
// ---------------------------------------------------------------------------------------------

void kx_snd_s3m_module_free(KX_SND_S3M_MODULE *m)
{
    if (!m) return;
    if (m->samples) {
        for (int i = 0; i < m->sample_count; i++)
            kx_snd_ledger_free(m->samples[i].block);
        kx_snd_ledger_free(m->samples);
    }
    kx_snd_ledger_free(m->cells);
    kx_snd_ledger_free(m);
}

static void header_read(KX_SND_S3M_MODULE *m, const uint8_t *data)
{
    std::memcpy(m->name, data, 28);
    m->name[28] = 0;
    m->global_volume = data[0x30] > 64 ? 64 : data[0x30];
    m->speed = (data[0x31] == 0 || data[0x31] == 255) ? 6 : data[0x31];
    m->tempo = data[0x32] < 33 ? 125 : data[0x32];
    m->stereo = (data[0x33] & 0x80) != 0;
    m->mix_volume = data[0x33] & 0x7F;
    if (m->mix_volume < 16) m->mix_volume = 16;
    // A mono module sounds at half the amplification, as the tracker's mono output did.
    if (!m->stereo) m->mix_volume /= 2;
    uint16_t flags = read_u16(data + 0x26), version = read_u16(data + 0x28);
    m->fast_slides = (flags & 64) != 0 || version == 0x1300;
}

// Channel settings: 0-7 left, 8-15 right sample channels, 16-31 Adlib, bit 7 disabled, 255 unused.
// A disabled channel is not played at all; an Adlib channel plays no sound but its commands
// (speed, jumps, global volume) still count.
static void channels_read(KX_SND_S3M_MODULE *m, const uint8_t *data, size_t size, size_t pan_at)
{
    int pans = data[0x35] == 252 && pan_at + 32 <= size;
    for (int i = 0; i < KX_SND_S3M_CHANNELS; i++) {
        uint8_t setting = data[0x40 + i];
        if (setting != 255) m->channels = i + 1;
        m->channel_on[i] = setting < 128;
        m->channel_sound[i] = setting < 16;
        int pan = (setting & 0x7F) < 8 ? 3 : 12;
        if (pans && (data[pan_at + i] & 0x20)) pan = data[pan_at + i] & 15;
        m->channel_pan[i] = m->stereo ? pan * 16 + 8 : 128;
    }
    if (m->channels == 0) m->channels = 1;
}

KX_SND_S3M_MODULE *kx_snd_s3m_module_parse(const uint8_t *data, size_t size, int *error)
{
    *error = KX_SND_S3M_ERR_ARGS;
    if (!data) return nullptr;
    *error = KX_SND_S3M_ERR_SHORT;
    if (size < HEADER_SIZE) return nullptr;
    *error = KX_SND_S3M_ERR_SIGNATURE;
    if (std::memcmp(data + 0x2C, "SCRM", 4) != 0) return nullptr;

    size_t order_count = read_u16(data + 0x20), ins_count = read_u16(data + 0x22), pat_count = read_u16(data + 0x24);
    size_t ins_at = HEADER_SIZE + order_count, pat_at = ins_at + 2 * ins_count, pan_at = pat_at + 2 * pat_count;
    *error = KX_SND_S3M_ERR_SHORT;
    if (pan_at > size) return nullptr;

    *error = KX_SND_S3M_ERR_MEMORY;
    auto *m = static_cast<KX_SND_S3M_MODULE *>(kx_snd_ledger_alloc(sizeof(KX_SND_S3M_MODULE), 1, "S3M module"));
    if (!m) return nullptr;
    header_read(m, data);
    channels_read(m, data, size, pan_at);

    m->order_count = static_cast<int32_t>(order_count < KX_SND_S3M_MAX_ORDERS ? order_count : KX_SND_S3M_MAX_ORDERS);
    std::memcpy(m->orders, data + HEADER_SIZE, static_cast<size_t>(m->order_count));

    int is_signed = read_u16(data + 0x2A) == 1;
    m->sample_count = static_cast<int32_t>(ins_count < MAX_INSTRUMENTS ? ins_count : MAX_INSTRUMENTS);
    if (m->sample_count) {
        m->samples = static_cast<KX_SND_S3M_SAMPLE *>(
            kx_snd_ledger_alloc(static_cast<size_t>(m->sample_count) * sizeof(KX_SND_S3M_SAMPLE), 1, "S3M samples"));
        if (!m->samples) return kx_snd_s3m_module_free(m), nullptr;
    }
    for (int i = 0; i < m->sample_count; i++) {
        size_t at = static_cast<size_t>(read_u16(data + ins_at + 2 * i)) * 16;
        if (at == 0 || at + INSTRUMENT_SIZE > size) continue;
        if (!sample_load(&m->samples[i], data, size, at, is_signed)) return kx_snd_s3m_module_free(m), nullptr;
    }

    m->pattern_count = static_cast<int32_t>(pat_count < MAX_PATTERNS ? pat_count : MAX_PATTERNS);
    size_t pattern_cells = static_cast<size_t>(KX_SND_S3M_ROWS) * static_cast<size_t>(m->channels);
    size_t cell_count = pattern_cells * static_cast<size_t>(m->pattern_count + 1);   // + one empty pattern
    m->cells = static_cast<KX_SND_S3M_CELL *>(kx_snd_ledger_alloc(cell_count * sizeof(KX_SND_S3M_CELL), 0, "S3M patterns"));
    if (!m->cells) return kx_snd_s3m_module_free(m), nullptr;
    for (size_t i = 0; i < cell_count; i++)
        m->cells[i] = {KX_SND_S3M_NOTE_NONE, 0, KX_SND_S3M_VOL_NONE, 0, 0};
    for (int i = 0; i < m->pattern_count; i++)
        pattern_load(m, m->cells + pattern_cells * static_cast<size_t>(i), data, size,
                     static_cast<size_t>(read_u16(data + pat_at + 2 * i)) * 16);

    *error = KX_SND_S3M_OK;
    return m;
}
