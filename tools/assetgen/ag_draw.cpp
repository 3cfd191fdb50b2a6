// assetgen drawing kit: implementation of ag_draw.h (images, shapes, noise, glyphs, PNG output).
#include "tools/assetgen/ag_draw.h"
#include "tools/assetgen/ag.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <zlib.h>

// ---- colours ----

ag_rgba ag_hsv(float h, float s, float v, float a)
{
    h = std::fmod(h, 360.0f);
    if (h < 0) h += 360.0f;
    float c = v * s, x = c * (1.0f - std::fabs(std::fmod(h / 60.0f, 2.0f) - 1.0f)), m = v - c;
    float r = 0, g = 0, b = 0;
    if (h < 60) r = c, g = x;
    else if (h < 120) r = x, g = c;
    else if (h < 180) g = c, b = x;
    else if (h < 240) g = x, b = c;
    else if (h < 300) r = x, b = c;
    else r = c, b = x;
    return {r + m, g + m, b + m, a};
}

ag_rgba ag_shade(ag_rgba c, float k)
{
    if (k >= 0) return {c.r + (1 - c.r) * k, c.g + (1 - c.g) * k, c.b + (1 - c.b) * k, c.a};
    return {c.r * (1 + k), c.g * (1 + k), c.b * (1 + k), c.a};
}

// ---- images ----

ag_image ag_image_make(int w, int h, ag_rgba fill)
{
    ag_image img;
    img.w = w;
    img.h = h;
    img.p.assign(static_cast<size_t>(w) * h, fill);
    return img;
}

void ag_blend(ag_image &img, int x, int y, ag_rgba c, float coverage)
{
    if (x < 0 || y < 0 || x >= img.w || y >= img.h) return;
    float a = ag_clamp(c.a * coverage);
    if (a <= 0) return;
    ag_rgba &d = img.at(x, y);
    float out_a = a + d.a * (1 - a);
    if (out_a <= 0) return;
    d.r = (c.r * a + d.r * d.a * (1 - a)) / out_a;
    d.g = (c.g * a + d.g * d.a * (1 - a)) / out_a;
    d.b = (c.b * a + d.b * d.a * (1 - a)) / out_a;
    d.a = out_a;
}

void ag_add(ag_image &img, int x, int y, ag_rgba c, float k)
{
    if (x < 0 || y < 0 || x >= img.w || y >= img.h || k <= 0) return;
    ag_rgba &d = img.at(x, y);
    float a = ag_clamp(c.a * k);
    // Light added over a transparent pixel takes the light's colour.
    float base = d.a;
    d.r = ag_clamp((d.r * base + c.r * a) / std::max(base + a * (1 - base), 1e-6f));
    d.g = ag_clamp((d.g * base + c.g * a) / std::max(base + a * (1 - base), 1e-6f));
    d.b = ag_clamp((d.b * base + c.b * a) / std::max(base + a * (1 - base), 1e-6f));
    d.a = ag_clamp(base + a * (1 - base));
}

void ag_paste(ag_image &dst, const ag_image &src, int x, int y)
{
    for (int j = 0; j < src.h; j++)
        for (int i = 0; i < src.w; i++) ag_blend(dst, x + i, y + j, src.at(i, j));
}

ag_image ag_resize(const ag_image &src, int w, int h)
{
    ag_image out = ag_image_make(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int x0 = x * src.w / w, x1 = std::max(x0 + 1, (x + 1) * src.w / w);
            int y0 = y * src.h / h, y1 = std::max(y0 + 1, (y + 1) * src.h / h);
            float r = 0, g = 0, b = 0, a = 0;
            int n = 0;
            for (int j = y0; j < y1; j++)
                for (int i = x0; i < x1; i++) {
                    const ag_rgba &c = src.at(i, j);
                    r += c.r * c.a, g += c.g * c.a, b += c.b * c.a, a += c.a;
                    n++;
                }
            out.at(x, y) = a > 0 ? ag_rgba{r / a, g / a, b / a, a / n} : ag_rgba{0, 0, 0, 0};
        }
    return out;
}

ag_image ag_flip_x(const ag_image &src)
{
    ag_image out = src;
    for (int y = 0; y < src.h; y++)
        for (int x = 0; x < src.w; x++) out.at(x, y) = src.at(src.w - 1 - x, y);
    return out;
}

// ---- shapes ----

float ag_sd_circle(float x, float y, float cx, float cy, float r) { return std::hypot(x - cx, y - cy) - r; }

float ag_sd_box(float x, float y, float cx, float cy, float hw, float hh, float radius)
{
    float qx = std::fabs(x - cx) - hw + radius, qy = std::fabs(y - cy) - hh + radius;
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

float ag_sd_segment(float x, float y, float ax, float ay, float bx, float by, float r)
{
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? ag_clamp((px * dx + py * dy) / len2) : 0.0f;
    return std::hypot(px - dx * t, py - dy * t) - r;
}

float ag_sd_ellipse(float x, float y, float cx, float cy, float rx, float ry)
{
    // Scaled circle distance: exact enough for anti-aliasing of gentle ellipses.
    float nx = (x - cx) / rx, ny = (y - cy) / ry;
    float k = std::hypot(nx, ny);
    return (k - 1.0f) * std::min(rx, ry);
}

// ---- noise ----

uint32_t ag_hash(int x, int y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^ static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float ag_rand01(int x, int y, uint32_t seed) { return (ag_hash(x, y, seed) >> 8) * (1.0f / 16777216.0f); }

static int ag_wrap(int v, int period)
{
    if (period <= 0) return v;
    v %= period;
    return v < 0 ? v + period : v;
}

float ag_noise(float x, float y, uint32_t seed, int period)
{
    int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    float fx = x - xi, fy = y - yi;
    float u = fx * fx * (3 - 2 * fx), v = fy * fy * (3 - 2 * fy);
    int x0 = ag_wrap(xi, period), x1 = ag_wrap(xi + 1, period), y0 = ag_wrap(yi, period), y1 = ag_wrap(yi + 1, period);
    float a = ag_rand01(x0, y0, seed), b = ag_rand01(x1, y0, seed);
    float c = ag_rand01(x0, y1, seed), d = ag_rand01(x1, y1, seed);
    return (a + (b - a) * u) * (1 - v) + (c + (d - c) * u) * v;
}

float ag_fbm(float x, float y, int octaves, uint32_t seed, int period)
{
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; o++) {
        sum += amp * ag_noise(x, y, seed + static_cast<uint32_t>(o) * 1013u, period);
        norm += amp;
        amp *= 0.5f;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
    }
    return sum / norm;
}

float ag_cells(float x, float y, uint32_t seed, int period, float *second, uint32_t *id)
{
    int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    float best = 1e9f, next = 1e9f;
    uint32_t best_id = 0;
    for (int j = -1; j <= 1; j++)
        for (int i = -1; i <= 1; i++) {
            int cx = ag_wrap(xi + i, period), cy = ag_wrap(yi + j, period);
            float px = xi + i + ag_rand01(cx, cy, seed), py = yi + j + ag_rand01(cx, cy, seed + 77);
            float d = std::hypot(x - px, y - py);
            if (d < best) {
                next = best;
                best = d;
                best_id = ag_hash(cx, cy, seed + 5);
            } else if (d < next) {
                next = d;
            }
        }
    if (second) *second = next;
    if (id) *id = best_id;
    return best;
}

uint32_t ag_rng::next()
{
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    uint32_t x = static_cast<uint32_t>(((s >> 18) ^ s) >> 27);
    uint32_t rot = static_cast<uint32_t>(s >> 59);
    return (x >> rot) | (x << ((32 - rot) & 31));
}

// ---- glyphs ----

namespace {

struct ag_ft {
    FT_Library lib = nullptr;
    ~ag_ft()
    {
        if (lib) FT_Done_FreeType(lib);
    }
};

FT_Library ag_ft_lib()
{
    static ag_ft ft;
    if (!ft.lib && FT_Init_FreeType(&ft.lib) != 0) ft.lib = nullptr;
    return ft.lib;
}

} // namespace

ag_mask ag_text_mask(const char *face_name, const std::string &text, int px, int margin, int *baseline)
{
    ag_mask m;
    FT_Library lib = ag_ft_lib();
    std::string path = std::string(VM_DEJAVU_DIR) + "/" + face_name;
    FT_Face face = nullptr;
    if (!lib || FT_New_Face(lib, path.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "assetgen: cannot open font %s\n", path.c_str());
        return m;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(px));
    // First pass measures, second pass draws; the pen advances in 26.6 units.
    struct placed {
        int x, y;
        std::vector<float> cov;
        int w, h;
    };
    std::vector<placed> glyphs;
    long pen = 0;
    int min_x = 1 << 30, max_x = -(1 << 30), min_y = 1 << 30, max_y = -(1 << 30);
    FT_UInt prev = 0;
    for (unsigned char ch : text) {
        FT_UInt gi = FT_Get_Char_Index(face, ch);
        if (prev && gi && FT_HAS_KERNING(face)) {
            FT_Vector k;
            FT_Get_Kerning(face, prev, gi, FT_KERNING_DEFAULT, &k);
            pen += k.x;
        }
        if (FT_Load_Glyph(face, gi, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0) continue;
        FT_GlyphSlot g = face->glyph;
        placed pl;
        pl.x = static_cast<int>(pen >> 6) + g->bitmap_left;
        pl.y = -g->bitmap_top;
        pl.w = static_cast<int>(g->bitmap.width);
        pl.h = static_cast<int>(g->bitmap.rows);
        pl.cov.resize(static_cast<size_t>(pl.w) * pl.h);
        for (int y = 0; y < pl.h; y++)
            for (int x = 0; x < pl.w; x++) pl.cov[static_cast<size_t>(y) * pl.w + x] = g->bitmap.buffer[y * g->bitmap.pitch + x] / 255.0f;
        if (pl.w > 0 && pl.h > 0) {
            min_x = std::min(min_x, pl.x);
            max_x = std::max(max_x, pl.x + pl.w);
            min_y = std::min(min_y, pl.y);
            max_y = std::max(max_y, pl.y + pl.h);
        }
        glyphs.push_back(std::move(pl));
        pen += g->advance.x;
        prev = gi;
    }
    FT_Done_Face(face);
    if (min_x > max_x) return m;
    if (baseline) *baseline = margin - min_y;
    m.w = max_x - min_x + 2 * margin;
    m.h = max_y - min_y + 2 * margin;
    m.v.assign(static_cast<size_t>(m.w) * m.h, 0.0f);
    for (const placed &pl : glyphs)
        for (int y = 0; y < pl.h; y++)
            for (int x = 0; x < pl.w; x++) {
                int tx = pl.x - min_x + margin + x, ty = pl.y - min_y + margin + y;
                float &d = m.v[static_cast<size_t>(ty) * m.w + tx];
                d = std::max(d, pl.cov[static_cast<size_t>(y) * pl.w + x]);
            }
    return m;
}

ag_mask ag_mask_dilate(const ag_mask &m, float r)
{
    ag_mask out = m;
    int ir = static_cast<int>(std::ceil(r)) + 1;
    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++) {
            float best = 0;
            for (int j = -ir; j <= ir; j++)
                for (int i = -ir; i <= ir; i++) {
                    float c = m.at(x + i, y + j);
                    if (c <= 0) continue;
                    float d = std::hypot(static_cast<float>(i), static_cast<float>(j));
                    best = std::max(best, c * ag_clamp(r + 0.5f - d));
                }
            out.v[static_cast<size_t>(y) * m.w + x] = best;
        }
    return out;
}

ag_mask ag_mask_blur(const ag_mask &m, int r)
{
    ag_mask tmp = m, out = m;
    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++) {
            float s = 0;
            for (int i = -r; i <= r; i++) s += m.at(x + i, y);
            tmp.v[static_cast<size_t>(y) * m.w + x] = s / (2 * r + 1);
        }
    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++) {
            float s = 0;
            for (int j = -r; j <= r; j++) s += tmp.at(x, y + j);
            out.v[static_cast<size_t>(y) * m.w + x] = s / (2 * r + 1);
        }
    return out;
}

// ---- PNG ----

namespace {

void ag_put32(std::vector<uint8_t> &v, uint32_t x)
{
    v.push_back(static_cast<uint8_t>(x >> 24));
    v.push_back(static_cast<uint8_t>(x >> 16));
    v.push_back(static_cast<uint8_t>(x >> 8));
    v.push_back(static_cast<uint8_t>(x));
}

void ag_chunk(std::vector<uint8_t> &png, const char *type, const std::vector<uint8_t> &data)
{
    ag_put32(png, static_cast<uint32_t>(data.size()));
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uLong crc = crc32(0L, png.data() + start, static_cast<uInt>(png.size() - start));
    ag_put32(png, static_cast<uint32_t>(crc));
}

uint8_t ag_to8(float v) { return static_cast<uint8_t>(std::lround(ag_clamp(v) * 255.0f)); }

int ag_paeth(int a, int b, int c)
{
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

} // namespace

std::vector<uint8_t> ag_png_encode(const ag_image &img)
{
    bool opaque = true;
    for (const ag_rgba &c : img.p) opaque = opaque && ag_to8(c.a) == 255;
    int bpp = opaque ? 3 : 4;
    size_t stride = static_cast<size_t>(img.w) * bpp;
    std::vector<uint8_t> raw(stride * img.h);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            const ag_rgba &c = img.at(x, y);
            uint8_t *d = &raw[y * stride + static_cast<size_t>(x) * bpp];
            // Fully transparent pixels are stored black so that equal images give equal bytes.
            bool clear = ag_to8(c.a) == 0;
            d[0] = clear ? 0 : ag_to8(c.r);
            d[1] = clear ? 0 : ag_to8(c.g);
            d[2] = clear ? 0 : ag_to8(c.b);
            if (bpp == 4) d[3] = ag_to8(c.a);
        }
    // Per row, the filter with the smallest sum of absolute residuals (the usual heuristic).
    std::vector<uint8_t> filtered;
    filtered.reserve((stride + 1) * img.h);
    std::vector<uint8_t> best(stride), trial(stride);
    for (int y = 0; y < img.h; y++) {
        const uint8_t *row = &raw[y * stride];
        const uint8_t *up = y > 0 ? &raw[(y - 1) * stride] : nullptr;
        long best_sum = -1;
        int best_f = 0;
        for (int f = 0; f < 5; f++) {
            long sum = 0;
            for (size_t i = 0; i < stride; i++) {
                int a = i >= static_cast<size_t>(bpp) ? row[i - bpp] : 0;
                int b = up ? up[i] : 0;
                int c = up && i >= static_cast<size_t>(bpp) ? up[i - bpp] : 0;
                int pred = f == 0 ? 0 : f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : ag_paeth(a, b, c);
                uint8_t v = static_cast<uint8_t>(row[i] - pred);
                trial[i] = v;
                sum += v < 128 ? v : 256 - v;
            }
            if (best_sum < 0 || sum < best_sum) {
                best_sum = sum;
                best_f = f;
                best = trial;
            }
        }
        filtered.push_back(static_cast<uint8_t>(best_f));
        filtered.insert(filtered.end(), best.begin(), best.end());
    }
    uLongf zlen = compressBound(static_cast<uLong>(filtered.size()));
    std::vector<uint8_t> z(zlen);
    compress2(z.data(), &zlen, filtered.data(), static_cast<uLong>(filtered.size()), 9);
    z.resize(zlen);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    ag_put32(ihdr, static_cast<uint32_t>(img.w));
    ag_put32(ihdr, static_cast<uint32_t>(img.h));
    ihdr.push_back(8);
    ihdr.push_back(opaque ? 2 : 6);
    ihdr.push_back(0);
    ihdr.push_back(0);
    ihdr.push_back(0);
    ag_chunk(png, "IHDR", ihdr);
    ag_chunk(png, "IDAT", z);
    ag_chunk(png, "IEND", {});
    return png;
}

std::vector<ag_sheet_entry> &ag_sheet_entries()
{
    static std::vector<ag_sheet_entry> list;
    return list;
}

int ag_write_png(const std::string &out, const std::string &game_name, const ag_image &img)
{
    std::string group = game_name.substr(0, game_name.rfind('\\'));
    std::string name = game_name.substr(game_name.rfind('\\') + 1);
    ag_sheet_entries().push_back({group, name, img});
    return ag_write_file(out, game_name, ag_png_encode(img));
}

void ag_png_writer::one(const std::string &name, const ag_image &img)
{
    err |= ag_write_png(out, folder + name + ".png", img);
}

void ag_png_writer::frames(const std::string &prefix, int n, const std::function<ag_image(int)> &make)
{
    for (int f = 0; f < n; f++) {
        char num[16];
        std::snprintf(num, sizeof num, "%02d", f);
        one(prefix + num, make(f));
    }
}

void ag_paint(ag_image &img, const ag_shader &fn)
{
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            ag_rgba c{0, 0, 0, 0};
            float cover = 0;
            fn(x + 0.5f, y + 0.5f, c, cover);
            if (cover > 0) ag_blend(img, x, y, c, cover);
        }
}
