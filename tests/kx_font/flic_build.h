// Test helper: builds small FLIC files byte by byte (header, prefix, frames, sub-chunks), and
// runs ffmpeg to get its RGB decode of a file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using flic_bytes = std::vector<uint8_t>;

// Appends 16-bit little-endian words.
inline flic_bytes &flic_put16(flic_bytes &b, std::initializer_list<unsigned> words)
{
    for (unsigned v : words) b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
    return b;
}

// A chunk: u32 size (header included), u16 type, the data.
inline flic_bytes flic_chunk(unsigned type, const flic_bytes &data)
{
    uint32_t size = uint32_t(data.size() + 6);
    flic_bytes b;
    flic_put16(b, {size & 0xFFFF, size >> 16, type}).insert(b.end(), data.begin(), data.end());
    return b;
}

struct flic_file {
    flic_bytes bytes;

    flic_file(unsigned magic, unsigned frames, unsigned width, unsigned height, uint32_t speed)
    {
        flic_put16(bytes, {0, 0, magic, frames, width, height, 8, 0, speed & 0xFFFF, speed >> 16});
        bytes.resize(128, 0);
    }

    void raw(const flic_bytes &b) { bytes.insert(bytes.end(), b.begin(), b.end()); }

    // A frame chunk holding the given sub-chunks (each built with flic_chunk).
    void frame(const std::vector<flic_bytes> &subs)
    {
        flic_bytes body;
        flic_put16(body, {unsigned(subs.size()), 0, 0, 0, 0});
        for (const flic_bytes &s : subs) body.insert(body.end(), s.begin(), s.end());
        raw(flic_chunk(0xF1FA, body));
    }

    const flic_bytes &done()
    {
        for (int i = 0; i < 4; i++) bytes[i] = uint8_t(bytes.size() >> (8 * i));
        return bytes;
    }
};

inline bool flic_have_ffmpeg()
{
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

// ffmpeg's frames of a file as packed RGB24, all frames one after the other.
inline flic_bytes flic_ffmpeg_rgb(const std::string &path)
{
    std::string cmd = "ffmpeg -v error -i '" + path + "' -f rawvideo -pix_fmt rgb24 - 2>/dev/null";
    flic_bytes out;
    FILE *p = popen(cmd.c_str(), "r");
    if (!p) return out;
    uint8_t buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.insert(out.end(), buf, buf + n);
    pclose(p);
    return out;
}
