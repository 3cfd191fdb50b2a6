// assetgen's S3M writer. Layout: the 0x60-byte header, the order list (padded to an even length
// with end markers), the instrument and pattern pointers (in 16-byte paragraphs), the channel pan
// table, then the instrument headers, the packed patterns and the sample data, each block starting
// on a paragraph. Samples are stored as unsigned 16-bit, stereo flag set in the header.
#include "tools/assetgen/ag_s3m.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t HEADER_SIZE = 0x60;
constexpr size_t INSTRUMENT_SIZE = 0x50;
constexpr uint8_t ORDER_END = 255;

void put(std::vector<uint8_t> &f, size_t at, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++) f[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

void text(std::vector<uint8_t> &f, size_t at, const std::string &s, size_t room)
{
    std::memcpy(f.data() + at, s.data(), s.size() < room ? s.size() : room);
}

// Pads to the next paragraph and returns its number.
uint32_t paragraph(std::vector<uint8_t> &f)
{
    while (f.size() % 16) f.push_back(0);
    return static_cast<uint32_t>(f.size() / 16);
}

// Packed pattern: a length word, then per row the cells that hold anything, each a flag byte
// (channel | 32 note and instrument | 64 volume | 128 command) and its fields, and a 0 ending the row.
std::vector<uint8_t> pack(const std::vector<ag_s3m_cell> &cells, int channels)
{
    std::vector<uint8_t> out = {0, 0};
    for (int row = 0; row < AG_S3M_ROWS; row++) {
        for (int ch = 0; ch < channels; ch++) {
            const ag_s3m_cell &c = cells[static_cast<size_t>(row * channels + ch)];
            int what = ch | (c.note != AG_S3M_NO_NOTE || c.instrument ? 32 : 0) | (c.volume != AG_S3M_NO_VOLUME ? 64 : 0) |
                       (c.command ? 128 : 0);
            if (what == ch) continue;
            out.push_back(static_cast<uint8_t>(what));
            if (what & 32) {
                uint8_t note = c.note >= AG_S3M_NOTE_CUT ? c.note : static_cast<uint8_t>((c.note / 12) << 4 | c.note % 12);
                out.push_back(note);
                out.push_back(c.instrument);
            }
            if (what & 64) out.push_back(c.volume);
            if (what & 128) {
                out.push_back(static_cast<uint8_t>(c.command - 'A' + 1));
                out.push_back(c.param);
            }
        }
        out.push_back(0);
    }
    put(out, 0, static_cast<uint32_t>(out.size()), 2);
    return out;
}

// Why the song cannot be written, or null.
const char *refusal(const ag_s3m_song &s)
{
    const size_t channels = s.pans.size();
    if (channels == 0 || channels > static_cast<size_t>(AG_S3M_MAX_CHANNELS)) return "channel count out of range";
    int left = 0;
    for (int p : s.pans) {
        if (p < 0 || p > 15) return "pan out of range";
        left += p < 8;
    }
    if (left > 8 || static_cast<int>(channels) - left > 8) return "more than 8 channels on one side";
    if (s.orders.empty() || s.orders.size() > 254 || s.samples.size() > 99 || s.patterns.size() > 100) return "too many entries";
    if (s.speed < 1 || s.speed > 254 || s.tempo < 33 || s.tempo > 255 || s.mix_volume < 16 || s.mix_volume > 127) return "timing or volume out of range";
    for (uint8_t o : s.orders)
        if (o >= s.patterns.size()) return "order names a missing pattern";
    for (const auto &p : s.patterns) {
        if (p.size() != AG_S3M_ROWS * channels) return "pattern of the wrong size";
        for (const ag_s3m_cell &c : p)
            if ((c.note < AG_S3M_NOTE_CUT && c.note >= 120) || c.instrument > s.samples.size() ||
                (c.volume != AG_S3M_NO_VOLUME && c.volume > 64) || (c.command && (c.command < 'A' || c.command > 'Z')))
                return "cell out of range";
    }
    for (const ag_s3m_sample &x : s.samples)
        if (x.data.empty() || x.data.size() > 0x7FFFFF || x.loop_start >= x.data.size() || x.volume < 0 || x.volume > 64)
            return "sample out of range";
    return nullptr;
}

} // namespace

std::vector<uint8_t> ag_s3m_write(const ag_s3m_song &s)
{
    if (const char *why = refusal(s)) {
        std::fprintf(stderr, "assetgen: S3M \"%s\": %s\n", s.title.c_str(), why);
        return {};
    }
    const size_t channels = s.pans.size();
    std::vector<uint8_t> orders = s.orders;
    if (orders.size() % 2) orders.push_back(ORDER_END);

    std::vector<uint8_t> f(HEADER_SIZE, 0);
    text(f, 0, s.title, 27);
    f[0x1C] = 0x1A;
    f[0x1D] = 16;   // module type
    put(f, 0x20, static_cast<uint32_t>(orders.size()), 2);
    put(f, 0x22, static_cast<uint32_t>(s.samples.size()), 2);
    put(f, 0x24, static_cast<uint32_t>(s.patterns.size()), 2);
    put(f, 0x28, 0x1320, 2);   // format version 3.20
    put(f, 0x2A, 2, 2);        // unsigned samples
    text(f, 0x2C, "SCRM", 4);
    f[0x30] = static_cast<uint8_t>(s.global_volume);
    f[0x31] = static_cast<uint8_t>(s.speed);
    f[0x32] = static_cast<uint8_t>(s.tempo);
    f[0x33] = static_cast<uint8_t>(0x80 | s.mix_volume);   // stereo
    f[0x35] = 252;                                         // a pan table follows the pointers
    // Channel settings: each channel its own hardware channel on the side of its pan.
    int next_left = 0, next_right = 8;
    for (size_t i = 0; i < 32; i++)
        f[0x40 + i] = i >= channels ? 255 : static_cast<uint8_t>(s.pans[i] < 8 ? next_left++ : next_right++);
    f.insert(f.end(), orders.begin(), orders.end());
    const size_t ins_ptr = f.size(), pat_ptr = ins_ptr + 2 * s.samples.size(), pan_at = pat_ptr + 2 * s.patterns.size();
    f.resize(pan_at + 32, 0);
    for (size_t i = 0; i < channels; i++) f[pan_at + i] = static_cast<uint8_t>(0x20 | s.pans[i]);

    std::vector<size_t> headers;
    for (size_t i = 0; i < s.samples.size(); i++) {
        put(f, ins_ptr + 2 * i, paragraph(f), 2);
        headers.push_back(f.size());
        f.resize(f.size() + INSTRUMENT_SIZE, 0);
    }
    for (size_t i = 0; i < s.patterns.size(); i++) {
        put(f, pat_ptr + 2 * i, paragraph(f), 2);
        std::vector<uint8_t> p = pack(s.patterns[i], static_cast<int>(channels));
        f.insert(f.end(), p.begin(), p.end());
    }
    for (size_t i = 0; i < s.samples.size(); i++) {
        const ag_s3m_sample &x = s.samples[i];
        const size_t h = headers[i];
        const uint32_t at = paragraph(f), length = static_cast<uint32_t>(x.data.size());
        f[h] = 1;   // a sampled instrument
        text(f, h + 1, x.name, 12);
        f[h + 0x0D] = static_cast<uint8_t>(at >> 16);
        put(f, h + 0x0E, at & 0xFFFF, 2);
        put(f, h + 0x10, length, 4);
        put(f, h + 0x14, x.loop ? x.loop_start : 0, 4);
        put(f, h + 0x18, x.loop ? length : 0, 4);
        f[h + 0x1C] = static_cast<uint8_t>(x.volume);
        f[h + 0x1F] = static_cast<uint8_t>((x.loop ? 1 : 0) | 4);   // 16-bit
        put(f, h + 0x20, x.c2spd, 4);
        text(f, h + 0x30, x.name, 27);
        text(f, h + 0x4C, "SCRS", 4);
        for (int16_t v : x.data) {
            uint16_t u = static_cast<uint16_t>(v) ^ 0x8000;
            f.push_back(static_cast<uint8_t>(u));
            f.push_back(static_cast<uint8_t>(u >> 8));
        }
    }
    return f;
}
