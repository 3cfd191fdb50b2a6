// assetgen fonts: the language screen's fonts (32 and 64 pixel cells, plus the highlighted one
// whose glyphs come from an FLC animation with a light sweeping over them) and the help screen's
// font. Glyphs are DejaVu Sans Bold rendered anti-aliased by FreeType, filled with a vertical
// colour gradient, outlined and given a drop shadow, stored as 8-bit palette pictures (index 0
// transparent). Each font covers ASCII and the Latin-1 letters (with Œ, œ, Ÿ and €).
#include "tools/assetgen/ag.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

struct rgb {
    double r, g, b;
};

// Palette layout shared by every glyph picture: 0 transparent, 1 outline, 2 shadow, then
// `levels` gradient rows of `coverage` steps each (fill blended over the outline colour); the
// second half of the rows are the "shine" variants used by the animated font.
constexpr int PAL_OUTLINE = 1;
constexpr int PAL_SHADOW = 2;
constexpr int PAL_FIRST = 3;
constexpr int COVERAGE = 8;
constexpr int GRADIENT_ROWS = 15;   // 2 x 15 x 8 + 3 = 243 entries
constexpr int COLUMNS = 16;         // characters per glyph row

struct font_style {
    const char *fnt;        // game name of the font file
    const char *picture;    // file name of the glyph picture, beside the font file
    const char *title;      // "Name"
    int cell_w, cell_h;
    int pixel_size;         // FreeType pixel size
    int outline;            // outline radius in pixels
    int shadow;             // drop shadow offset in pixels
    rgb top, bottom;        // fill gradient
    rgb outline_color, shadow_color;
    bool centred;           // glyphs centred in their cells (stretched texts) or at the left
};

// ---------------------------------------------------------------------------------------------
// Functions: characters
// ---------------------------------------------------------------------------------------------

// ASCII 32..126, the Latin-1 punctuation our languages use, every Latin-1 letter, then Œ œ Ÿ €.
std::vector<uint32_t> font_charset()
{
    std::vector<uint32_t> set;
    for (uint32_t c = 32; c < 127; c++) set.push_back(c);
    for (uint32_t c : {0xA1u, 0xAAu, 0xABu, 0xB0u, 0xB7u, 0xBAu, 0xBBu, 0xBFu}) set.push_back(c);
    for (uint32_t c = 0xC0; c <= 0xFF; c++)
        if (c != 0xD7 && c != 0xF7) set.push_back(c);
    for (uint32_t c : {0x152u, 0x153u, 0x178u, 0x20ACu}) set.push_back(c);
    return set;
}

void utf8_append(std::string &s, uint32_t c)
{
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | c >> 6);
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | c >> 12);
        s += char(0x80 | (c >> 6 & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | c >> 18);
        s += char(0x80 | (c >> 12 & 0x3F));
        s += char(0x80 | (c >> 6 & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
}

// ---------------------------------------------------------------------------------------------
// Functions: palette and glyph pictures
// ---------------------------------------------------------------------------------------------

rgb mix(const rgb &a, const rgb &b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void put_color(std::vector<uint8_t> &pal, int index, const rgb &c)
{
    auto clamp = [](double v) { return uint8_t(std::lround(std::clamp(v, 0.0, 255.0))); };
    pal[index * 3] = clamp(c.r);
    pal[index * 3 + 1] = clamp(c.g);
    pal[index * 3 + 2] = clamp(c.b);
}

// 256 RGB entries in the layout above. The shine rows lean towards white.
std::vector<uint8_t> font_palette(const font_style &st)
{
    std::vector<uint8_t> pal(768, 0);
    put_color(pal, PAL_OUTLINE, st.outline_color);
    put_color(pal, PAL_SHADOW, st.shadow_color);
    for (int shine = 0; shine < 2; shine++) {
        for (int g = 0; g < GRADIENT_ROWS; g++) {
            double t = double(g) / (GRADIENT_ROWS - 1);
            // A slight bright band just above the middle gives the fill a metallic look.
            rgb fill = mix(st.top, st.bottom, t);
            double glint = std::exp(-std::pow((t - 0.38) / 0.12, 2.0)) * 0.35;
            fill = mix(fill, {255, 255, 255}, glint);
            if (shine) fill = mix(fill, {255, 255, 255}, 0.65);
            for (int a = 1; a <= COVERAGE; a++)
                put_color(pal, PAL_FIRST + (shine * GRADIENT_ROWS + g) * COVERAGE + (a - 1),
                          mix(st.outline_color, fill, double(a) / COVERAGE));
        }
    }
    return pal;
}

// Anti-aliased coverage of one character inside a cell (cell_w x cell_h bytes, 0..255).
std::vector<uint8_t> glyph_coverage(FT_Face face, const font_style &st, uint32_t code)
{
    std::vector<uint8_t> cov(size_t(st.cell_w) * st.cell_h, 0);
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) return cov;
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap &bm = g->bitmap;
    int pad = st.outline;
    int ascender = int(face->size->metrics.ascender >> 6);
    int descender = int(-face->size->metrics.descender >> 6);
    // The baseline sits so that ascender and descender share the room left by outline and shadow.
    int room = st.cell_h - 2 * pad - st.shadow;
    int baseline = pad + ascender + (room - ascender - descender) / 2;
    int x0 = st.centred ? (st.cell_w - st.shadow - int(bm.width)) / 2 : pad + std::max(0, int(g->bitmap_left));
    int y0 = baseline - g->bitmap_top;
    for (unsigned y = 0; y < bm.rows; y++) {
        for (unsigned x = 0; x < bm.width; x++) {
            int cx = x0 + int(x), cy = y0 + int(y);
            if (cx < 0 || cy < 0 || cx >= st.cell_w || cy >= st.cell_h) continue;
            cov[size_t(cy) * st.cell_w + cx] = bm.buffer[y * bm.pitch + x];
        }
    }
    return cov;
}

// Turns coverage into palette indices: fill (gradient by row, anti-aliased over the outline),
// outline (the glyph grown by the outline radius), shadow (the outline shape moved down-right).
// `shine` says, per cell pixel, whether the fill uses the shine rows.
std::vector<uint8_t> glyph_pixels(const font_style &st, const std::vector<uint8_t> &cov, const std::vector<uint8_t> *shine)
{
    int w = st.cell_w, h = st.cell_h, r = st.outline;
    std::vector<uint8_t> outline(cov.size(), 0), out(cov.size(), 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            bool hit = false;
            for (int dy = -r; dy <= r && !hit; dy++)
                for (int dx = -r; dx <= r && !hit; dx++) {
                    int sx = x + dx, sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= w || sy >= h || dx * dx + dy * dy > r * r + r) continue;
                    hit = cov[size_t(sy) * w + sx] > 96;
                }
            outline[size_t(y) * w + x] = hit || cov[size_t(y) * w + x] > 0;
        }
    // The gradient spans the part of the cell where letters are.
    int top = h, bottom = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if (cov[size_t(y) * w + x]) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            size_t i = size_t(y) * w + x;
            int c = cov[i];
            if (c > 0) {
                int a = std::max(1, (c * COVERAGE + 127) / 255);
                double t = bottom > top ? double(y - top) / (bottom - top) : 0.0;
                int g = std::clamp(int(std::lround(t * (GRADIENT_ROWS - 1))), 0, GRADIENT_ROWS - 1);
                int row = (shine && (*shine)[i] ? GRADIENT_ROWS : 0) + g;
                out[i] = uint8_t(PAL_FIRST + row * COVERAGE + (a - 1));
            } else if (outline[i]) {
                out[i] = PAL_OUTLINE;
            } else {
                int sx = x - st.shadow, sy = y - st.shadow;
                if (st.shadow && sx >= 0 && sy >= 0 && outline[size_t(sy) * w + sx]) out[i] = PAL_SHADOW;
            }
        }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Functions: file writers
// ---------------------------------------------------------------------------------------------

void put_be32(std::vector<uint8_t> &b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}

void png_chunk(std::vector<uint8_t> &png, const char *type, const std::vector<uint8_t> &data)
{
    put_be32(png, uint32_t(data.size()));
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uLong crc = crc32(0, png.data() + start, uInt(png.size() - start));
    put_be32(png, uint32_t(crc));
}

// An 8-bit indexed PNG with its palette; rows unfiltered, deflated at the best level.
std::vector<uint8_t> png_indexed(int w, int h, const std::vector<uint8_t> &pixels, const std::vector<uint8_t> &pal)
{
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    put_be32(ihdr, uint32_t(w));
    put_be32(ihdr, uint32_t(h));
    ihdr.insert(ihdr.end(), {8, 3, 0, 0, 0});
    png_chunk(png, "IHDR", ihdr);
    png_chunk(png, "PLTE", pal);
    std::vector<uint8_t> trns = {0};   // index 0 is transparent for other readers too
    png_chunk(png, "tRNS", trns);
    std::vector<uint8_t> raw;
    for (int y = 0; y < h; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), pixels.begin() + size_t(y) * w, pixels.begin() + size_t(y + 1) * w);
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(size);
    if (compress2(z.data(), &size, raw.data(), uLong(raw.size()), 9) != Z_OK) return {};
    z.resize(size);
    png_chunk(png, "IDAT", z);
    png_chunk(png, "IEND", {});
    return png;
}

void put16(std::vector<uint8_t> &b, unsigned v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t> &b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void set32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[at + i] = uint8_t(v >> (8 * i));
}

std::vector<uint8_t> flic_sub_chunk(unsigned type, const std::vector<uint8_t> &data)
{
    std::vector<uint8_t> c;
    uint32_t size = uint32_t(data.size() + 6);
    size += size & 1;   // chunks keep an even size
    put32(c, size);
    put16(c, type);
    c.insert(c.end(), data.begin(), data.end());
    c.resize(size, 0);
    return c;
}

// Byte run: per row a packet count, then runs (n > 0: repeat) and literals (n < 0: copy).
std::vector<uint8_t> flic_byte_run(int w, int h, const uint8_t *px)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < h; y++) {
        const uint8_t *row = px + size_t(y) * w;
        size_t count_at = out.size();
        out.push_back(0);
        int packets = 0, x = 0;
        while (x < w) {
            int run = 1;
            while (x + run < w && run < 127 && row[x + run] == row[x]) run++;
            if (run >= 3) {
                out.push_back(uint8_t(run));
                out.push_back(row[x]);
                x += run;
            } else {
                int lit = 0;
                while (x + lit < w && lit < 127) {
                    int r = 1;
                    while (x + lit + r < w && r < 3 && row[x + lit + r] == row[x + lit]) r++;
                    if (r >= 3) break;
                    lit++;
                }
                out.push_back(uint8_t(-lit));
                out.insert(out.end(), row + x, row + x + lit);
                x += lit;
            }
            packets++;
        }
        out[count_at] = uint8_t(std::min(packets, 255));
    }
    return out;
}

// Word delta from `prev` to `cur` (even width): changed lines only, literal word packets.
std::vector<uint8_t> flic_word_delta(int w, int h, const uint8_t *prev, const uint8_t *cur)
{
    std::vector<uint8_t> body;
    int lines = 0, skip = 0;
    for (int y = 0; y < h; y++) {
        const uint8_t *a = prev + size_t(y) * w, *b = cur + size_t(y) * w;
        if (std::memcmp(a, b, size_t(w)) == 0) {
            skip++;
            continue;
        }
        if (skip) put16(body, uint16_t(-skip));
        skip = 0;
        std::vector<uint8_t> packets;
        int count = 0, x = 0, last = 0;
        while (x < w) {
            if (a[x] == b[x] && a[x + 1] == b[x + 1]) {
                x += 2;
                continue;
            }
            int gap = x - last;
            while (gap > 254) {   // a long gap: packets that only skip
                packets.insert(packets.end(), {254, 0});
                count++;
                gap -= 254;
            }
            int n = 0;
            while (x + 2 * n < w && n < 127 && (a[x + 2 * n] != b[x + 2 * n] || a[x + 2 * n + 1] != b[x + 2 * n + 1])) n++;
            packets.push_back(uint8_t(gap));
            packets.push_back(uint8_t(n));
            packets.insert(packets.end(), b + x, b + x + 2 * n);
            count++;
            x += 2 * n;
            last = x;
        }
        put16(body, unsigned(count));
        body.insert(body.end(), packets.begin(), packets.end());
        lines++;
    }
    std::vector<uint8_t> out;
    put16(out, unsigned(lines));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> flic_frame(const std::vector<std::vector<uint8_t>> &subs)
{
    std::vector<uint8_t> body;
    put16(body, unsigned(subs.size()));
    body.resize(10, 0);
    for (const auto &s : subs) body.insert(body.end(), s.begin(), s.end());
    std::vector<uint8_t> frame;
    put32(frame, uint32_t(body.size() + 6));
    put16(frame, 0xF1FA);
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

// An FLC: the first frame as palette and byte run, the others (and the closing ring frame back
// to the first) as word deltas.
std::vector<uint8_t> flc_write(int w, int h, const std::vector<std::vector<uint8_t>> &frames, const std::vector<uint8_t> &pal,
                               unsigned speed_ms)
{
    std::vector<uint8_t> f(128, 0);
    set32(f, 4, 0xAF12u | unsigned(frames.size()) << 16);
    set32(f, 8, unsigned(w) | unsigned(h) << 16);
    set32(f, 12, 8u);
    set32(f, 16, speed_ms);
    f[80] = 128;   // offset of frame 1
    std::vector<uint8_t> colors = {1, 0, 0, 0};
    colors.insert(colors.end(), pal.begin(), pal.end());
    std::vector<uint8_t> first = flic_frame({flic_sub_chunk(4, colors), flic_sub_chunk(15, flic_byte_run(w, h, frames[0].data()))});
    f.insert(f.end(), first.begin(), first.end());
    set32(f, 84, uint32_t(f.size()));   // offset of frame 2
    for (size_t k = 1; k <= frames.size(); k++) {
        const auto &prev = frames[k - 1], &cur = frames[k % frames.size()];
        std::vector<uint8_t> frame = flic_frame({flic_sub_chunk(7, flic_word_delta(w, h, prev.data(), cur.data()))});
        f.insert(f.end(), frame.begin(), frame.end());
    }
    set32(f, 0, uint32_t(f.size()));
    return f;
}

// ".fnt" text: properties, one file section with a row key per line of glyphs, the aliases.
std::string fnt_text(const font_style &st, int type, const std::vector<uint32_t> &set)
{
    int rows = int((set.size() + COLUMNS - 1) / COLUMNS);
    char head[512];
    std::snprintf(head, sizeof head,
                  "[Font Properties]\nName=%s\nVersion=2\nWidth=%d\nHeight=%d\nNumFiles=1\n\n[File000001]\nName=%s\nType=%d\n"
                  "NumLines=%d\n",
                  st.title, st.cell_w, st.cell_h, st.picture, type, rows);
    std::string t = head;
    for (int r = 0; r < rows; r++) {
        char key[24];
        std::snprintf(key, sizeof key, "Line%03d=", r + 1);
        t += key;
        for (size_t i = size_t(r) * COLUMNS; i < std::min(set.size(), size_t(r + 1) * COLUMNS); i++) utf8_append(t, set[i]);
        t += "\n";
    }
    // Typographic quotes and dashes fall back on their plain forms.
    t += "\n[Character Properties]\nMapSrc=";
    for (uint32_t c : {0x2018u, 0x2019u, 0x201Cu, 0x201Du, 0x2013u, 0x2014u, 0x2026u, 0xA0u}) utf8_append(t, c);
    t += "\nMapDst=''\"\"--. \n";
    return t;
}

// ---------------------------------------------------------------------------------------------
// Functions: the fonts
// ---------------------------------------------------------------------------------------------

// The whole glyph sheet (COLUMNS cells a row); `shine_phase` < 0 draws no shine.
std::vector<uint8_t> sheet_pixels(FT_Face face, const font_style &st, const std::vector<uint32_t> &set, int shine_phase,
                                  int phases)
{
    int rows = int((set.size() + COLUMNS - 1) / COLUMNS);
    int w = COLUMNS * st.cell_w, h = rows * st.cell_h;
    std::vector<uint8_t> sheet(size_t(w) * h, 0);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(st.pixel_size));
    // A diagonal band of light crossing each cell, one step per frame.
    std::vector<uint8_t> shine(size_t(st.cell_w) * st.cell_h, 0);
    if (shine_phase >= 0) {
        int span = st.cell_w + st.cell_h;
        double centre = -st.cell_h * 0.5 + double(span + st.cell_h) * shine_phase / phases;
        for (int y = 0; y < st.cell_h; y++)
            for (int x = 0; x < st.cell_w; x++) shine[size_t(y) * st.cell_w + x] = std::fabs(x + y * 0.5 - centre) < st.cell_w * 0.14;
    }
    for (size_t i = 0; i < set.size(); i++) {
        std::vector<uint8_t> cell = glyph_pixels(st, glyph_coverage(face, st, set[i]), shine_phase >= 0 ? &shine : nullptr);
        int cx = int(i % COLUMNS) * st.cell_w, cy = int(i / COLUMNS) * st.cell_h;
        for (int y = 0; y < st.cell_h; y++)
            std::memcpy(&sheet[size_t(cy + y) * w + cx], &cell[size_t(y) * st.cell_w], size_t(st.cell_w));
    }
    return sheet;
}

std::string folder_of(const char *game_name)
{
    std::string s = game_name;
    size_t slash = s.rfind('\\');
    return slash == std::string::npos ? "" : s.substr(0, slash + 1);
}

int write_text(const std::string &out, const char *name, const std::string &text)
{
    return ag_write_file(out, name, std::vector<uint8_t>(text.begin(), text.end()));
}

int still_font(FT_Face face, const std::string &out, const font_style &st, const std::vector<uint32_t> &set)
{
    int rows = int((set.size() + COLUMNS - 1) / COLUMNS);
    std::vector<uint8_t> png = png_indexed(COLUMNS * st.cell_w, rows * st.cell_h, sheet_pixels(face, st, set, -1, 1), font_palette(st));
    if (png.empty()) return 1;
    return ag_write_file(out, folder_of(st.fnt) + st.picture, png) | write_text(out, st.fnt, fnt_text(st, 1, set));
}

int animated_font(FT_Face face, const std::string &out, const font_style &st, const std::vector<uint32_t> &set)
{
    constexpr int frames = 12;
    int rows = int((set.size() + COLUMNS - 1) / COLUMNS);
    std::vector<std::vector<uint8_t>> pictures;
    for (int k = 0; k < frames; k++) pictures.push_back(sheet_pixels(face, st, set, k, frames));
    std::vector<uint8_t> flc = flc_write(COLUMNS * st.cell_w, rows * st.cell_h, pictures, font_palette(st), 70);
    return ag_write_file(out, folder_of(st.fnt) + st.picture, flc) | write_text(out, st.fnt, fnt_text(st, 6, set));
}

int ag_fonts(const std::string &, const std::string &out)
{
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "assetgen fonts: FreeType did not start\n");
        return 1;
    }
    FT_Face face;
    const char *path = VM_DEJAVU_DIR "/DejaVuSans-Bold.ttf";
    if (FT_New_Face(library, path, 0, &face) != 0) {
        std::fprintf(stderr, "assetgen fonts: cannot read %s\n", path);
        FT_Done_FreeType(library);
        return 1;
    }
    const rgb dark = {28, 14, 52}, black = {6, 4, 14};
    const font_style title = {"font\\langfont32.fnt", "langfont32.png", "Language 32", 32, 32, 22, 2, 2,
                              {255, 246, 170}, {236, 120, 16}, dark, black, true};
    const font_style names = {"font\\langfont64.fnt", "langfont64.png", "Language 64", 64, 64, 44, 3, 3,
                              {214, 232, 255}, {70, 104, 210}, dark, black, true};
    const font_style lit = {"font\\langfont_highlighted.fnt", "langfont_highlighted.flc", "Language 64 highlighted", 64, 64, 44, 3, 3,
                            {255, 255, 150}, {255, 96, 0}, {70, 10, 20}, black, true};
    const font_style help = {"font\\helpfont.fnt", "helpfont.png", "Help", 20, 20, 14, 1, 1,
                             {255, 255, 255}, {150, 212, 255}, {10, 16, 48}, black, false};
    std::vector<uint32_t> set = font_charset();
    int failed = still_font(face, out, title, set) | still_font(face, out, names, set) | still_font(face, out, help, set) |
                 animated_font(face, out, lit, set);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return failed;
}

} // namespace

AG_GENERATOR("fonts", ag_fonts);
