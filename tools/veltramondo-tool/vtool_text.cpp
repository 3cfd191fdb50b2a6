// veltramondo-tool text: renders a text with a ".fnt" font through the font module's printing and
// writes the picture as a PAM file (RGB with alpha; the glyphs' transparent colour has alpha 0).
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_font/kx_font.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int32_t font_report = 0;

// Writes an 8-, 24- or 32-bit bitmap as RGB_ALPHA.
bool write_pam(const std::string &path, const KX_BITMAP &b)
{
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fprintf(out, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", b.width, b.height) > 0;
    for (int i = 0; ok && i < b.width * b.height; i++) {
        uint8_t px[4] = {0, 0, 0, 255};
        if (b.depth == 8) {
            uint8_t index = b.pixels[i];
            if (b.palette && index < b.palette->count) {
                int step = b.palette->type == KX_PALETTE_RGB ? 3 : 4;
                std::memcpy(px, b.palette->colors + index * step, 3);
            }
            if (index == 0) px[3] = 0;
        } else {
            int step = b.depth / 8;
            std::memcpy(px, b.pixels + size_t(i) * step, size_t(step));
            if (b.depth == 24 && px[0] == 255 && px[1] == 0 && px[2] == 255) px[3] = 0;
        }
        ok = std::fwrite(px, 1, 4, out) == 4;
    }
    return std::fclose(out) == 0 && ok;
}

int vtool_text(const std::vector<std::string> &args)
{
    std::vector<std::string> rest;
    const char *pack = nullptr;
    int flags = 0;
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] == "--flags" && i + 1 < args.size())
            flags = static_cast<int>(std::strtol(args[++i].c_str(), nullptr, 0));
        else if (args[i] == "--pack" && i + 1 < args.size())
            pack = args[++i].c_str();
        else
            rest.push_back(args[i]);
    }
    if (rest.size() != 3) {
        std::fprintf(stderr, "usage: veltramondo-tool text FONT.fnt \"TEXT\" OUT.pam [--flags N] [--pack PACK]\n");
        return 2;
    }
    if (!vtool_engine_start(pack)) return 1;
    kx_font_init(&font_report);
    KX_FONT font;
    int result = 1;
    if (!kx_font_load(&font, rest[0].c_str(), 0)) {
        std::fprintf(stderr, "veltramondo-tool: %s: the font did not load\n", rest[0].c_str());
    } else {
        KX_RECT size;
        kx_font_extent(&font, rest[1].c_str(), &size, flags);
        const KX_BITMAP *first = kx_font_glyph(&font, ' ', 1, nullptr);
        KX_BITMAP target{};
        KX_RECT rect = {0, 0, static_cast<int16_t>(size.width > 0 ? size.width : 1), static_cast<int16_t>(font.height)};
        if (first && kx_bit_alloc(&target, &rect, first->depth)) {
            if (first->palette) {
                target.palette = first->palette;
                target.palette->references++;
            }
            int drawn = kx_font_print(&font, &target, nullptr, flags, "%s", rest[1].c_str());
            if (write_pam(rest[2], target)) {
                std::printf("%s: %dx%d, %d pixels drawn\n", rest[2].c_str(), target.width, target.height, drawn);
                result = 0;
            } else {
                std::fprintf(stderr, "veltramondo-tool: cannot write %s\n", rest[2].c_str());
            }
            kx_bit_free(&target);
        }
        kx_font_free(&font);
    }
    kx_font_done();
    vtool_engine_stop();
    return result;
}

} // namespace

VTOOL_COMMAND("text", "text FONT.fnt \"TEXT\" OUT.pam [--flags N] [--pack PACK]: render a text with a font to a PAM picture", vtool_text);
