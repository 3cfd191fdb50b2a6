// assetgen language art: the six language flags (56 x 33, "gfx\\lngflags\\flag_XX.png"), the
// language screen's background ("gfx\\helpback.png") and one help-screen background per
// language ("gfx\\help\\help_xx.png"), each with the accent colours of its flag.
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_draw.h"

#include <cctype>
#include <functional>

namespace {

constexpr int FW = 56, FH = 33, BW = 640, BH = 480;
constexpr int SUPER = 4;    // samples per pixel side

using flag_fn = std::function<ag_rgba(float u, float v)>;    // u, v in 0..1 across the flag

const ag_rgba RED = ag_hex(0xC8102E), WHITE = ag_hex(0xFFFFFF), BLUE = ag_hex(0x012169);

// The United Kingdom's flag, standing for English: white-edged red saltire and cross on blue.
ag_rgba flag_en(float u, float v)
{
    float x = (u - 0.5f) * 60, y = (v - 0.5f) * 30;
    float diag = std::min(std::fabs(x * 0.447f - y * 0.894f), std::fabs(x * 0.447f + y * 0.894f));
    ag_rgba c = BLUE;
    if (diag < 3.0f) c = WHITE;
    if (diag < 1.2f) c = RED;
    if (std::fabs(x) < 5 || std::fabs(y) < 5) c = WHITE;
    if (std::fabs(x) < 3 || std::fabs(y) < 3) c = RED;
    return c;
}

ag_rgba flag_de(float, float v)
{
    return v < 1.0f / 3 ? ag_hex(0x000000) : v < 2.0f / 3 ? ag_hex(0xDD0000) : ag_hex(0xFFCE00);
}

// Spain: red, a yellow band twice as wide, red; a small emblem nearer the hoist.
ag_rgba flag_es(float u, float v)
{
    ag_rgba c = v < 0.25f || v >= 0.75f ? ag_hex(0xAA151B) : ag_hex(0xF1BF00);
    float ex = (u - 0.3f) * 56, ey = (v - 0.5f) * 33;
    if (std::fabs(ex) < 3.2f && ey > -4.5f && ey < 4.5f) c = std::fabs(ex) < 1.6f && ey < 0 ? ag_hex(0xAA151B) : ag_hex(0xC08020);
    if (std::fabs(std::fabs(ex) - 5) < 0.9f && std::fabs(ey) < 5) c = ag_hex(0xD8D0C0);
    return c;
}

ag_rgba flag_fr(float u, float)
{
    return u < 1.0f / 3 ? ag_hex(0x002395) : u < 2.0f / 3 ? WHITE : ag_hex(0xED2939);
}

ag_rgba flag_it(float u, float)
{
    return u < 1.0f / 3 ? ag_hex(0x009246) : u < 2.0f / 3 ? WHITE : ag_hex(0xCE2B37);
}

// Portugal: green at the hoist (two fifths), red, the yellow sphere with the shield on the line.
ag_rgba flag_pt(float u, float v)
{
    ag_rgba c = u < 0.4f ? ag_hex(0x046A38) : ag_hex(0xDA291C);
    float x = (u - 0.4f) * 56, y = (v - 0.5f) * 33;
    float r = std::hypot(x, y);
    if (r < 9.5f && r > 7.0f) c = ag_hex(0xFFE900);
    if (r <= 7.0f && (std::fabs(y) < 0.8f || std::fabs(std::fabs(x) - 4.5f) < 0.6f)) c = ag_hex(0xFFE900);
    if (std::fabs(x) < 4.2f && y > -4.8f && y < 3.5f + (4.2f - std::fabs(x)) * 0.4f) {
        c = std::fabs(x) < 2.6f && y > -3.2f && y < 2.8f ? WHITE : ag_hex(0xDA291C);
        if (c.r == 1.0f && (std::fabs(x) < 0.6f || std::fabs(y) < 0.6f)) c = ag_hex(0x002D72);
    }
    return c;
}

struct lang_art {
    const char *code;
    flag_fn flag;
    uint32_t accent1, accent2;    // the help background's colours, from the flag
};

const lang_art LANGS[] = {
    {"EN", flag_en, 0x012169, 0xC8102E}, {"DE", flag_de, 0xDD0000, 0xFFCE00}, {"ES", flag_es, 0xAA151B, 0xF1BF00},
    {"FR", flag_fr, 0x002395, 0xED2939}, {"IT", flag_it, 0x009246, 0xCE2B37}, {"PT", flag_pt, 0x046A38, 0xDA291C},
};

ag_image flag_image(const flag_fn &fn)
{
    ag_image img = ag_image_make(FW, FH);
    for (int y = 0; y < FH; y++)
        for (int x = 0; x < FW; x++) {
            ag_rgba sum{0, 0, 0, 0};
            for (int j = 0; j < SUPER; j++)
                for (int i = 0; i < SUPER; i++) {
                    ag_rgba c = fn((x + (i + 0.5f) / SUPER) / FW, (y + (j + 0.5f) / SUPER) / FH);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, 1};
                }
            float k = 1.0f / (SUPER * SUPER);
            // A soft light from the top left and a dark rim, as on a small enamel badge.
            float light = 0.12f * (1 - (x + y) / static_cast<float>(FW + FH)) - 0.06f;
            ag_rgba c = ag_shade({sum.r * k, sum.g * k, sum.b * k, 1}, light);
            if (x == 0 || y == 0 || x == FW - 1 || y == FH - 1) c = ag_mix(c, ag_hex(0x101018), 0.6f);
            img.at(x, y) = c;
        }
    return img;
}

// Deep blue night with slow waves of light and a faint brick pattern: the language screen.
ag_image back(uint32_t accent1, uint32_t accent2, uint32_t seed, float accent)
{
    ag_image img = ag_image_make(BW, BH);
    for (int y = 0; y < BH; y++)
        for (int x = 0; x < BW; x++) {
            float fx = x + 0.5f, fy = y + 0.5f;
            ag_rgba c = ag_mix(ag_hex(0x060818), ag_hex(0x141838), fy / BH);
            float n = ag_fbm(fx / 150, fy / 150, 5, seed);
            float wave = 0.5f + 0.5f * std::sin(fx / 90 + fy / 140 + n * 5);
            c = ag_mix(c, ag_mix(ag_hex(accent1), ag_hex(accent2), wave), ag_smooth(0.5f, 0.85f, n) * accent);
            // Bricks, 40 x 16 with every other row shifted, barely lighter than the ground.
            int row = y / 16;
            int bx = (x + (row % 2) * 20) % 40, by = y % 16;
            float mortar = (bx < 2 || by < 2) ? 1.0f : 0.0f;
            c = ag_shade(c, 0.05f - mortar * 0.12f);
            // Darker towards the edges so the text stands out in the middle.
            float ex = (fx - BW / 2) / (BW / 2), ey = (fy - BH / 2) / (BH / 2);
            c = ag_scale(c, 1 - 0.35f * ag_clamp(ex * ex + ey * ey - 0.3f));
            c.a = 1;
            img.at(x, y) = c;
        }
    return img;
}

int gen_lang_art(const std::string &, const std::string &out)
{
    int err = 0;
    for (const lang_art &l : LANGS) {
        err |= ag_write_png(out, std::string("gfx\\lngflags\\flag_") + l.code + ".png", flag_image(l.flag));
        std::string lower = l.code;
        for (char &ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        err |= ag_write_png(out, "gfx\\help\\help_" + lower + ".png", back(l.accent1, l.accent2, 7100 + (l.code[0] << 8) + l.code[1], 0.35f));
    }
    err |= ag_write_png(out, "gfx\\helpback.png", back(0x2040A0, 0x8030C0, 7001, 0.5f));
    return err;
}

} // namespace

AG_GENERATOR("lang_art", gen_lang_art);
