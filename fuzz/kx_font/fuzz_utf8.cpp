// Fuzz target: the UTF-8 decoder, into a fixed array (cut at its capacity) and into a growing one.
#include "kx/kx_font/kx_font.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back(0);
    uint32_t fixed[17];
    uint32_t *codes = fixed;
    int capacity = size ? 1 + data[0] % 17 : 17;
    kx_font_utf_8_to_unicode(&codes, &capacity, text.data(), KX_FONT_UTF_CHECK);
    uint32_t *grown = nullptr;
    int grown_capacity = 0;
    int count = kx_font_utf_8_to_unicode(&grown, &grown_capacity, text.data(), KX_FONT_UTF_GROW | KX_FONT_UTF_CHECK);
    if (count > static_cast<int>(size) || (grown && grown[count] != 0)) __builtin_trap();
    if (grown) kx_mem_free(grown);
    return 0;
}
