// Fuzz target: any bytes as typed text. The queue never reads past the text's end, keeps only
// Unicode scalar values taken from the text's own bytes, and holds at most its room.
#include "platform/plat_text.h"

#include <cstdlib>
#include <string>

namespace {

void require(bool ok)
{
    if (!ok) std::abort();
}

std::string utf8(uint32_t c)
{
    std::string s;
    if (c < 0x80) return s += static_cast<char>(c), s;
    if (c < 0x800) return s += static_cast<char>(0xC0 | c >> 6), s += static_cast<char>(0x80 | (c & 0x3F)), s;
    if (c < 0x10000) s += static_cast<char>(0xE0 | c >> 12);
    else s += static_cast<char>(0xF0 | c >> 18), s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    plat_text_push(text.c_str());
    uint32_t out[128];
    const int n = plat_text_read(out, 128);
    require(n >= 0 && n <= 64);
    std::string again;
    for (int i = 0; i < n; i++) {
        require(out[i] > 0 && out[i] <= 0x10FFFF && (out[i] < 0xD800 || out[i] > 0xDFFF));
        again += utf8(out[i]);
    }
    // Every character came from its own bytes of the text, up to its first zero byte.
    require(again.size() <= text.substr(0, text.find('\0')).size());
    require(plat_text_read(out, 128) == 0);
    return 0;
}
