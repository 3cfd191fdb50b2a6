// assetgen generator "data": the small binary tables: the game palette "gfx\\game.pal", the
// transparency tables "data\\transp.tab", the editor font "data\\font.dat" and the pristine
// high-score table "data\\highscor.ori".
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_draw.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// ---- palette ----

struct rgb8 {
    int r, g, b;
};

// 216 colours of a 6 x 6 x 6 cube, then 40 greys that fall between the cube's own grey steps
// (no colour appears twice, so every colour maps back to its own index).
std::array<rgb8, 256> game_palette()
{
    std::array<rgb8, 256> pal{};
    int n = 0;
    for (int r = 0; r < 6; r++)
        for (int g = 0; g < 6; g++)
            for (int b = 0; b < 6; b++) pal[n++] = {r * 51, g * 51, b * 51};
    for (int i = 0; i < 40; i++) {
        int v = 5 + i * 250 / 40;
        pal[n++] = {v, v, v};
    }
    return pal;
}

int nearest(const std::array<rgb8, 256> &pal, int r, int g, int b)
{
    int best = 0;
    long best_d = -1;
    for (int i = 0; i < 256; i++) {
        long dr = pal[i].r - r, dg = pal[i].g - g, db = pal[i].b - b;
        // Weighted like the eye: green counts most.
        long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (best_d < 0 || d < best_d) {
            best_d = d;
            best = i;
        }
    }
    return best;
}

// ---- transparency tables ----

// Colour-code multipliers of tint t at light l, as the renderer turns codes into colours.
void code_factors(int t, int l, float f[3])
{
    float L = l * 256 * 0.0002441f, h = L / 2;
    const float table[16][3] = {{L, L, L}, {L, 0, 0}, {0, L, 0}, {0, 0, L}, {L, L, 0}, {L, 0, L}, {0, L, L}, {L, L, L},
                                {L, h, h}, {h, L, h}, {h, h, L}, {L, L, h}, {L, h, L}, {h, L, L}, {0, 0, 0}, {0, 0, 0}};
    for (int i = 0; i < 3; i++) f[i] = table[t][i];
    if (t == 0 && l == 15) f[0] = f[1] = f[2] = 1;
}

// Table 0: half and half; 1: a quarter of the colour over the row; 2: three quarters;
// 3: additive light; 4: colour codes (row = tint * 16 + light, column = colour);
// 5: multiply (shadows).
std::vector<uint8_t> transparency_tables()
{
    const int count = 6;
    std::array<rgb8, 256> pal = game_palette();
    std::vector<uint8_t> out;
    out.reserve(1 + count * 65536);
    out.push_back(static_cast<uint8_t>(count));
    for (int t = 0; t < count; t++)
        for (int row = 0; row < 256; row++)
            for (int col = 0; col < 256; col++) {
                const rgb8 &a = pal[row], &c = pal[col];
                int r = 0, g = 0, b = 0;
                switch (t) {
                case 0: r = (a.r + c.r) / 2, g = (a.g + c.g) / 2, b = (a.b + c.b) / 2; break;
                case 1: r = (3 * a.r + c.r) / 4, g = (3 * a.g + c.g) / 4, b = (3 * a.b + c.b) / 4; break;
                case 2: r = (a.r + 3 * c.r) / 4, g = (a.g + 3 * c.g) / 4, b = (a.b + 3 * c.b) / 4; break;
                case 3: r = std::min(255, a.r + c.r), g = std::min(255, a.g + c.g), b = std::min(255, a.b + c.b); break;
                case 4: {
                    float f[3];
                    code_factors(row / 16, row % 16, f);
                    r = static_cast<int>(std::lround(c.r * f[0]));
                    g = static_cast<int>(std::lround(c.g * f[1]));
                    b = static_cast<int>(std::lround(c.b * f[2]));
                    break;
                }
                default: r = a.r * c.r / 255, g = a.g * c.g / 255, b = a.b * c.b / 255; break;
                }
                out.push_back(static_cast<uint8_t>(nearest(pal, r, g, b)));
            }
    return out;
}

// ---- editor font ----

// 5 x 7 glyphs, one string of 35 cells per glyph ('#' set). Glyph order: a-z, A-Z, 0-9, then
// the 21 signs of FONT_SIGNS. The remaining glyphs up to 224 stay blank.
const char *const FONT_GLYPHS[83] = {
    // a-z
    "..........###.....#.####.#...#.####", "#....#....####.#...##...##...#####.", "...........#####....#....#.....####",
    "....#....#.#####...##...##...#.####", "...........###.#...#######.....###.", "..##..#...####..#....#....#....#...",
    ".....####.#...##...#.####....#.###.", "#....#....####.#...##...##...##...#", "..#........##....#....#....#...###.",
    "...#........##....#....#.#..#..##..", "#....#..#.#.#..##...#.#..#..#.#...#", ".##....#....#....#....#....#...###.",
    "..........##.#.#.#.##.#.##...##...#", "..........####.#...##...##...##...#", "...........###.#...##...##...#.###.",
    ".....####.#...##...#####.#....#....", ".....####.#...##...#.####....#....#", "..........#.##.##..##....#....#....",
    "...........#####.....###.....#####.", ".#....#...####..#....#....#.#...#..", "..........#...##...##...##..##.##.#",
    "..........#...##...##...#.#.#...#..", "..........#...##...##.#.##.#.#.#.#.", "..........#...#.#.#...#...#.#.#...#",
    ".....#...##...#.####....#....#.###.", "..........#####...#...#...#...#####",
    // A-Z
    ".###.#...##...#######...##...##...#", "####.#...##...#####.#...##...#####.", ".###.#...##....#....#....#...#.###.",
    "####.#...##...##...##...##...#####.", "######....#....####.#....#....#####", "######....#....####.#....#....#....",
    ".###.#...##....#.####...##...#.####", "#...##...##...#######...##...##...#", ".###...#....#....#....#....#...###.",
    "..###...#....#....#....#.#..#..##..", "#...##..#.#.#..##...#.#..#..#.#...#", "#....#....#....#....#....#....#####",
    "#...###.###.#.##.#.##...##...##...#", "#...###..##.#.##..###...##...##...#", ".###.#...##...##...##...##...#.###.",
    "####.#...##...#####.#....#....#....", ".###.#...##...##...##.#.##..#..##.#", "####.#...##...#####.#.#..#..#.#...#",
    ".#####....#.....###.....#....#####.", "#####..#....#....#....#....#....#..", "#...##...##...##...##...##...#.###.",
    "#...##...##...##...##...#.#.#...#..", "#...##...##...##.#.##.#.##.#.#.#.#.", "#...##...#.#.#...#...#.#.#...##...#",
    "#...##...#.#.#...#....#....#....#..", "#####....#...#...#...#...#....#####",
    // 0-9
    ".###.#...##..###.#.###..##...#.###.", "..#...##..#.#....#....#....#..#####", ".###.#...#....#...#...#...#...#####",
    "####.....#....#.###.....#....#####.", "...#...##..#.#.#..#.#####...#....#.", "######....####.....#....#....#####.",
    ".###.#....#....####.#...##...#.###.", "#####....#...#...#....#....#....#..", ".###.#...##...#.###.#...##...#.###.",
    ".###.#...##...#.####....#....#.###.",
    // signs: space ! " # $ % & ' ( ) * + , - . / : ; = ? @
    "...................................", "..#....#....#....#....#.........#..", ".#.#..#.#..#.#.....................",
    ".#.#..#.#.#####.#.#.#####.#.#..#.#.", "..#...####.#.#..###..#.#.####...#..", "##...##..#...#...#...#...#..##...##",
    ".##..#..#.#.#...#...#.#.##..#..##.#", "..#....#....#......................", "...#...#...#....#....#.....#.....#.",
    ".#.....#.....#....#....#...#...#...", ".....#.#.#.###.#####.###.#.#.#.....", "..........#....#..#####..#....#....",
    "......................##...#...#...", "...............#####...............", "..........................##...##..",
    "....#....#...#...#...#...#....#....", "......##...##.........##...##......", "......##...##........##....#...#...",
    "..........#####.....#####..........", ".###.#...#....#...#...#.........#..", ".###.#...##.####.#.##.####.....####",
};

// Packs a glyph string into 7 row bytes (bit 4 = leftmost pixel); false unless it has 35 cells.
bool pack_glyph(const char *s, uint8_t rows[7])
{
    size_t n = std::strlen(s);
    if (n != 35) return false;
    for (int r = 0; r < 7; r++) {
        uint8_t v = 0;
        for (int c = 0; c < 5; c++) {
            size_t i = static_cast<size_t>(r) * 5 + c;
            if (i < n && s[i] == '#') v |= static_cast<uint8_t>(0x10 >> c);
        }
        rows[r] = v;
    }
    return true;
}

std::vector<uint8_t> editor_font()
{
    std::vector<uint8_t> out(224 * 7, 0);
    for (int g = 0; g < 83; g++)
        if (!pack_glyph(FONT_GLYPHS[g], &out[static_cast<size_t>(g) * 7])) {
            std::fprintf(stderr, "assetgen: editor font glyph %d is not 5 x 7\n", g);
            return {};
        }
    return out;
}

// A preview of the editor font for the contact sheets (never written to the content tree).
void preview_font(const std::vector<uint8_t> &font)
{
    ag_image img = ag_image_make(16 * 8 + 4, 6 * 10 + 4, ag_rgb(0.05f, 0.05f, 0.1f));
    for (int g = 0; g < 83; g++)
        for (int r = 0; r < 7; r++)
            for (int c = 0; c < 5; c++)
                if (font[static_cast<size_t>(g) * 7 + r] & (0x10 >> c)) img.at(2 + (g % 16) * 8 + c, 2 + (g / 16) * 10 + r) = ag_rgb(1, 1, 1);
    ag_sheet_entries().push_back({"data", "font.dat", ag_resize(img, img.w * 2, img.h * 2)});
}

// ---- high scores ----

std::vector<uint8_t> high_scores()
{
    struct entry {
        int32_t score;
        const char *name;
    };
    const entry table[5] = {{50000, "VEL"}, {35000, "ZOE"}, {20000, "MAX"}, {10000, "KIT"}, {5000, "ACE"}};
    std::vector<uint8_t> out;
    for (const entry &e : table) {
        uint32_t s = static_cast<uint32_t>(e.score);
        for (int i = 0; i < 4; i++) out.push_back(static_cast<uint8_t>(s >> (8 * i)));
        for (int i = 0; i < 3; i++) out.push_back(static_cast<uint8_t>(e.name[i]));
        out.push_back(0);
    }
    return out;
}

int gen_data(const std::string &, const std::string &out)
{
    std::vector<uint8_t> pal;
    for (const rgb8 &c : game_palette()) {
        pal.push_back(static_cast<uint8_t>(c.r));
        pal.push_back(static_cast<uint8_t>(c.g));
        pal.push_back(static_cast<uint8_t>(c.b));
    }
    int err = ag_write_file(out, "gfx\\game.pal", pal);
    err |= ag_write_file(out, "data\\transp.tab", transparency_tables());
    std::vector<uint8_t> font = editor_font();
    if (font.empty()) return 1;
    preview_font(font);
    err |= ag_write_file(out, "data\\font.dat", font);
    err |= ag_write_file(out, "data\\highscor.ori", high_scores());
    return err;
}

} // namespace

AG_GENERATOR("data", gen_data);
