// Fuzz target: ".fnt" font files. The input is written as a font file into a folder that also
// holds a glyph sheet and a small animation, loaded, printed with every flag, and freed.
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_font/kx_font.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

void put16(std::string &s, unsigned v)
{
    s += char(v & 0xFF);
    s += char(v >> 8);
}

// The folder with "s.pcx" (3 x 2 cells of 4 x 5) and "a.flc" (two 8 x 5 frames).
const std::string &fuzz_folder()
{
    static std::string folder;
    if (!folder.empty()) return folder;
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("vm_fuzz_fnt_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    folder = dir.string() + "/";

    KX_BITMAP sheet{};
    KX_RECT r = {0, 0, 12, 10};
    kx_bit_alloc(&sheet, &r, 8);
    sheet.palette = kx_pal_alloc(nullptr, 256, 1 | 4);
    for (int i = 0; i < 120; i++) sheet.pixels[i] = uint8_t(i % 4 == 1 ? 1 + i / 4 % 3 : 0);
    uint8_t *bytes = nullptr;
    size_t size = 0;
    if (kx_bit_encode(&sheet, nullptr, &bytes, &size))
        std::ofstream(folder + "s.pcx", std::ios::binary).write(reinterpret_cast<const char *>(bytes), std::streamsize(size));
    if (bytes) kx_mem_free(bytes);
    kx_bit_free(&sheet);

    std::string flc(128, '\0');
    flc[4] = char(0x12);
    flc[5] = char(0xAF);
    flc[6] = 2;
    flc[8] = 8;
    flc[10] = 5;
    flc[16] = 10;
    for (int k = 0; k < 2; k++) {
        std::string frame;
        put16(frame, 62);
        put16(frame, 0);
        put16(frame, 0xF1FA);
        put16(frame, 1);
        frame += std::string(8, '\0');
        put16(frame, 46);
        put16(frame, 0);
        put16(frame, 16);
        for (int i = 0; i < 40; i++) frame += char(i % 8 > 1 && i % 8 < 6 ? 3 + k : 0);
        flc += frame;
    }
    std::ofstream(folder + "a.flc", std::ios::binary) << flc;
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string path = fuzz_folder() + "f.fnt";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char *>(data), std::streamsize(size));
    KX_FONT font;
    if (!kx_font_load(&font, path.c_str(), 0)) return 0;
    KX_BITMAP target{};
    KX_RECT r = {0, 0, 64, 16};
    kx_bit_alloc(&target, &r, 8);
    static const int flag_sets[] = {0, 0x02, 0x04, 0x08 | 0x100, 0x04 | 0x40 | 0x20, 0x200 | 0x02};
    for (int flags : flag_sets) kx_font_print(&font, &target, nullptr, flags, "AB\xC3\xA9 XYZ\xE2\x82\xAC%d", 7);
    KX_RECT size_out;
    kx_font_extent(&font, "abcXY", &size_out, 0x08);
    for (int i = 0; i < font.count; i++) kx_font_glyph(&font, font.chars[i].code, i, nullptr);
    kx_bit_free(&target);
    kx_font_free(&font);
    return 0;
}
