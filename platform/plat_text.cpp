// plat_text: the queue of typed characters (see plat_text.h). Events are read on the main thread
// only, so the queue needs no lock.
#include "platform/plat_text.h"

#include <algorithm>

namespace {

constexpr int PLAT_TEXT_ROOM = 64;

struct PLAT_TEXT {
    uint32_t chars[PLAT_TEXT_ROOM];
    int count;
};

PLAT_TEXT plat_text;

// The code point that starts at `p` and its length in bytes; length 1 and code point 0 for a
// malformed sequence (a stray continuation byte, a cut or over-long sequence, a surrogate).
uint32_t utf8_next(const unsigned char *p, int *length)
{
    *length = 1;
    const unsigned char b = p[0];
    if (b < 0x80) return b;
    const int n = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    if (!n) return 0;
    uint32_t c = b & (0x7F >> n);
    for (int i = 1; i < n; i++) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        c = c << 6 | (p[i] & 0x3F);
    }
    static const uint32_t lowest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < lowest[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    *length = n;
    return c;
}

} // namespace

void plat_text_push(const char *utf8)
{
    if (!utf8) return;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(utf8);
    while (*p) {
        int length;
        const uint32_t c = utf8_next(p, &length);
        p += length;
        if (c && plat_text.count < PLAT_TEXT_ROOM) plat_text.chars[plat_text.count++] = c;
    }
}

int plat_text_read(uint32_t *out, int max)
{
    const int n = out ? std::clamp(plat_text.count, 0, std::max(max, 0)) : 0;
    std::copy(plat_text.chars, plat_text.chars + n, out);
    plat_text.count = 0;
    return n;
}
