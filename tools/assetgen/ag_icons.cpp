// assetgen generator "icons" (on request): the desktop icon, composed from the game's own art: a
// wall of letter bricks with one knocked out, the ball flying out of the gap and the player's
// paddle below, on a dark tile. Written as icons/<size>.png for the hicolor sizes 32 to 256; the
// smaller sizes are box-filtered from the 256 pixel picture.
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_art.h"

#include <algorithm>

namespace {

constexpr int S = 256;
constexpr int SIZES[] = {32, 48, 64, 128, 256};

// Doubles a picture with bilinear filtering on premultiplied colours (no dark fringes).
ag_image upscale2(const ag_image &src)
{
    ag_image out = ag_image_make(src.w * 2, src.h * 2);
    auto sample = [&](int x, int y) {
        ag_rgba c = src.at(std::clamp(x, 0, src.w - 1), std::clamp(y, 0, src.h - 1));
        return ag_rgba{c.r * c.a, c.g * c.a, c.b * c.a, c.a};
    };
    for (int y = 0; y < out.h; y++)
        for (int x = 0; x < out.w; x++) {
            float fx = (x + 0.5f) / 2 - 0.5f, fy = (y + 0.5f) / 2 - 0.5f;
            int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
            float tx = fx - x0, ty = fy - y0;
            ag_rgba top = ag_mix(sample(x0, y0), sample(x0 + 1, y0), tx);
            ag_rgba bottom = ag_mix(sample(x0, y0 + 1), sample(x0 + 1, y0 + 1), tx);
            ag_rgba c = ag_mix(top, bottom, ty);
            out.at(x, y) = c.a > 0 ? ag_rgba{c.r / c.a, c.g / c.a, c.b / c.a, c.a} : ag_rgba{0, 0, 0, 0};
        }
    return out;
}

ag_image icon()
{
    ag_image img = ag_image_make(S, S);
    // The tile: a rounded square, deep blue at the top fading to near black.
    for (int y = 0; y < S; y++)
        for (int x = 0; x < S; x++) {
            float cover = ag_cover(ag_sd_box(x + 0.5f, y + 0.5f, S / 2.0f, S / 2.0f, S / 2.0f - 6, S / 2.0f - 6, 44));
            float rim = ag_cover(ag_sd_box(x + 0.5f, y + 0.5f, S / 2.0f, S / 2.0f, S / 2.0f - 9, S / 2.0f - 9, 41));
            ag_rgba c = ag_mix(ag_hex(0x24346A), ag_hex(0x0A0E1C), (y + 0.5f) / S);
            ag_blend(img, x, y, ag_mix(ag_hex(0x6078C0), c, rim), cover);
        }
    // Two rows of three bricks; the middle one of the lower row is gone.
    const int letters[2][3] = {{0, 2, 9}, {4, -1, 14}};
    for (int row = 0; row < 2; row++)
        for (int col = 0; col < 3; col++)
            if (letters[row][col] >= 0) ag_paste(img, ag_art_brick(letters[row][col]), 32 + col * 64, 30 + row * 64);
    ag_paste(img, upscale2(ag_art_ball()), 118, 132);
    ag_paste(img, upscale2(ag_art_paddle()), 32, 186);
    return img;
}

int gen_icons(const std::string &, const std::string &out)
{
    ag_image master = icon();
    int err = 0;
    for (int size : SIZES) {
        ag_image img = size == S ? master : ag_resize(master, size, size);
        err |= ag_write_file(out, "icons\\" + std::to_string(size) + ".png", ag_png_encode(img));
    }
    return err;
}

} // namespace

AG_GENERATOR_ON_REQUEST("icons", gen_icons);
