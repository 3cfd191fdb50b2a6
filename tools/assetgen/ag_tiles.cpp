// assetgen generator "tiles": the face textures of the brick world: the three brick families
// (metal, one-hit, two-hit), the four floors with their seven shadow variants, the four border
// styles, the under side and the scenery blocks beside the field.
//
// Orientation of every top texture: image left = the cell's -x side, image top = its -z (far)
// side. Side textures are drawn on 12 x 6 unit walls, so they are painted for a 2:1 squeeze.
// Light comes from the near left and above, so raised cells throw their shadow to +x and -z.
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_art.h"
#include "tools/assetgen/ag_draw.h"

#include <array>
#include <cstdio>

namespace {

// ---- types and tables ----

constexpr int TS = 64; // texture size in pixels

struct vec3 {
    float x, y, z;
};

vec3 norm3(vec3 v)
{
    float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / l, v.y / l, v.z / l};
}
float dot3(vec3 a, vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Light direction in texture space: x right (+x), y down the image (+z, towards the player), z up.
const vec3 LIGHT = norm3({-0.45f, 0.35f, 0.82f});

// The 26 colours of the letter bricks (A..Z one-hit, a..z two-hit use the same colour order).
const std::array<uint32_t, 26> LETTER_COLOURS = {
    0xE02828, 0xF07818, 0xF0B020, 0xF0E040, 0x98E030, 0x30B040, 0x10A878, 0x189898, 0x28D0E0,
    0x4098F0, 0x2850E0, 0x5038C0, 0x8840D8, 0xB030B0, 0xF040C0, 0xF090B8, 0xE85870, 0x901828,
    0x8A5A30, 0x8C9030, 0x203878, 0xF0F0F0, 0xA0A8B0, 0x404048, 0xF89878, 0x90F0C0,
};

// The 10 metals of the indestructible bricks ("0".."9").
const std::array<uint32_t, 10> METAL_COLOURS = {
    0xA8B0B8, 0xE0B848, 0xD08050, 0xB08840, 0x7098D0, 0x686C74, 0xE0E8F0, 0x9880C0, 0x70B098, 0xC05858,
};

// ---- lighting helpers ----

// Diffuse + specular light of a normal, for a base colour.
ag_rgba lit(ag_rgba base, vec3 n, float ambient, float spec_k, float spec_pow)
{
    n = norm3(n);
    float d = std::max(0.0f, dot3(n, LIGHT));
    // Half vector between the light and a viewer above and in front.
    vec3 h = norm3({LIGHT.x, LIGHT.y + 0.6f, LIGHT.z + 1.0f});
    float s = spec_k * std::pow(std::max(0.0f, dot3(n, h)), spec_pow);
    float k = ambient + (1 - ambient) * d / LIGHT.z;
    return {ag_clamp(base.r * k + s), ag_clamp(base.g * k + s), ag_clamp(base.b * k + s), 1};
}

// Normal of a bevelled square: flat inside, tilted outwards within `bw` pixels of an edge.
vec3 bevel_normal(float x, float y, float size, float bw, float tilt)
{
    float dl = x, dr = size - x, dt = y, db = size - y;
    float m = std::min(std::min(dl, dr), std::min(dt, db));
    if (m >= bw) return {0, 0, 1};
    if (m == dl) return {-tilt, 0, 1};
    if (m == dr) return {tilt, 0, 1};
    if (m == dt) return {0, -tilt, 1};
    return {0, tilt, 1};
}

// ---- brick tops ----

enum brick_style { STYLE_METAL, STYLE_ONE, STYLE_TWO };

ag_image brick_top(ag_rgba base, brick_style style, uint32_t seed)
{
    ag_image img = ag_image_make(TS, TS);
    for (int y = 0; y < TS; y++)
        for (int x = 0; x < TS; x++) {
            float fx = x + 0.5f, fy = y + 0.5f;
            float edge = std::min(std::min(fx, TS - fx), std::min(fy, TS - fy));
            vec3 n = bevel_normal(fx, fy, TS, style == STYLE_METAL ? 8.0f : 7.0f, 1.1f);
            ag_rgba c = base;
            float ambient = 0.42f, spec = 0.25f, pw = 24.0f;
            if (style == STYLE_ONE) {
                // Glossy glazed face: a gentle dome and a sharp highlight.
                if (edge >= 7) n = {(fx - 32) / 150.0f, (fy - 32) / 150.0f, 1};
                float grain = ag_fbm(fx / 9, fy / 9, 3, seed, 7) - 0.5f;
                c = ag_shade(c, grain * 0.12f);
                spec = 0.55f;
                pw = 40;
            } else if (style == STYLE_TWO) {
                // Armoured: a groove, then a four-sided pyramid plate with bolts in the rim corners.
                if (edge >= 7 && edge < 10) {
                    n = {0, 0, 1};
                    c = ag_shade(base, -0.55f);
                } else if (edge >= 10) {
                    float dx = fx - 32, dy = fy - 32;
                    if (std::fabs(dx) > std::fabs(dy)) n = {dx > 0 ? 0.35f : -0.35f, 0, 1};
                    else n = {0, dy > 0 ? 0.35f : -0.35f, 1};
                    c = ag_shade(base, 0.08f);
                }
                float grain = ag_fbm(fx / 6, fy / 6, 3, seed, 10) - 0.5f;
                c = ag_shade(c, grain * 0.18f);
                spec = 0.45f;
                pw = 30;
            } else {
                // Brushed metal with a raised diamond tread in the middle.
                float brush = ag_fbm(fx / 32, fy / 1.5f, 3, seed, 0);
                c = ag_shade(base, (brush - 0.5f) * 0.45f);
                if (edge >= 12) {
                    float u = std::fmod(fx + fy + 64, 12.0f) - 6, v = std::fmod(fx - fy + 64, 12.0f) - 6;
                    float lozenge = std::fabs(u) * 0.35f + std::fabs(v);
                    if (lozenge < 3.2f) n = {-v * 0.09f, v * 0.09f, 1};
                }
                spec = 0.7f;
                pw = 16;
                ambient = 0.35f;
            }
            ag_rgba out = lit(c, n, ambient, spec, pw);
            // Dark joint at the very edge so that neighbouring bricks read apart.
            if (edge < 1.0f) out = ag_shade(out, -0.6f);
            else if (edge < 2.0f) out = ag_shade(out, -0.25f);
            img.at(x, y) = out;
        }
    if (style == STYLE_ONE) {
        // Window reflection in the upper left of the glaze.
        for (int y = 0; y < TS; y++)
            for (int x = 0; x < TS; x++) {
                float d = ag_sd_box(x + 0.5f, y + 0.5f, 22, 17, 11, 4, 4);
                ag_add(img, x, y, ag_rgb(1, 1, 1), 0.35f * ag_cover(d * 0.5f));
            }
    }
    if (style != STYLE_ONE) {
        // Bolts (two-hit) and rivets (metal) in the four corners.
        const float pos = style == STYLE_METAL ? 5.0f : 4.5f;
        const float r = style == STYLE_METAL ? 3.0f : 2.4f;
        for (float cy : {pos, TS - pos})
            for (float cx : {pos, TS - pos})
                for (int y = 0; y < TS; y++)
                    for (int x = 0; x < TS; x++) {
                        float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
                        float d = std::hypot(dx, dy) - r;
                        if (d > 1) continue;
                        float h = std::sqrt(std::max(0.0f, r * r - dx * dx - dy * dy));
                        ag_rgba rc = lit(style == STYLE_METAL ? ag_shade(base, 0.1f) : ag_hex(0xC8C8D0), {dx, dy, h + 0.01f}, 0.4f, 0.8f, 20);
                        ag_blend(img, x, y, rc, ag_cover(d));
                    }
    }
    return img;
}

// ---- brick sides (the four walls of a brick: 12 wide, 6 high) ----

ag_image brick_side(ag_rgba base, brick_style style, uint32_t seed)
{
    ag_image img = ag_image_make(TS, TS);
    for (int y = 0; y < TS; y++)
        for (int x = 0; x < TS; x++) {
            float fy = (y + 0.5f) / TS, fx = x + 0.5f;
            // Rounded top edge catching the light, body darkening downwards.
            float k = 0.78f - 0.22f * fy;
            if (fy < 0.12f) k = 1.05f - fy * 1.5f;
            ag_rgba c = ag_scale(base, k);
            if (style == STYLE_METAL) c = ag_shade(c, (ag_fbm(fx / 32, y / 3.0f, 3, seed, 0) - 0.5f) * 0.4f);
            else c = ag_shade(c, (ag_fbm(fx / 8, y / 8.0f, 2, seed, 8) - 0.5f) * 0.1f);
            if (style == STYLE_TWO && y >= 30 && y < 36) c = ag_shade(base, -0.6f);
            if (style == STYLE_TWO && y >= 36 && y < 40) c = ag_shade(base, 0.15f);
            if (fy > 0.93f || fx < 1 || fx > TS - 1) c = ag_shade(c, -0.5f);
            c.a = 1;
            img.at(x, y) = c;
        }
    if (style == STYLE_METAL) {
        // Rivets at both ends, drawn twice as tall as wide to look round after the squeeze.
        for (float cx : {7.0f, TS - 7.0f})
            for (int y = 0; y < TS; y++)
                for (int x = 0; x < TS; x++) {
                    float d = ag_sd_ellipse(x + 0.5f, y + 0.5f, cx, 34, 3, 6);
                    ag_rgba rc = lit(ag_shade(base, 0.15f), {(x + 0.5f - cx) / 3, (y - 34.0f) / 6, 1}, 0.4f, 0.7f, 20);
                    ag_blend(img, x, y, rc, ag_cover(d * 2));
                }
    }
    return img;
}

// ---- floors ----

// Base floor pattern of each floor type, 64 x 64, tileable.
ag_image floor_base(int type)
{
    ag_image img = ag_image_make(TS, TS);
    for (int y = 0; y < TS; y++)
        for (int x = 0; x < TS; x++) {
            float fx = x + 0.5f, fy = y + 0.5f;
            float edge = std::min(std::min(fx, TS - fx), std::min(fy, TS - fy));
            ag_rgba c;
            if (type == 1) {
                // Slate flagstones: four stones per cell, grout between them. Kept calm (soft
                // grain, little contrast) so that the balls and bonuses stand out on it.
                float lx = std::fmod(fx, 32.0f), ly = std::fmod(fy, 32.0f);
                float e = std::min(std::min(lx, 32 - lx), std::min(ly, 32 - ly));
                int stone = (x / 32) + 2 * (y / 32);
                float n = ag_fbm(fx / 16, fy / 16, 3, 11 + stone, 0);
                ag_rgba s = ag_mix(ag_hex(0x4E5864), ag_hex(0x5E6874), n);
                s = ag_shade(s, (ag_rand01(stone, 0, 3) - 0.5f) * 0.08f);
                if (e < 1.0f) s = ag_hex(0x363B42);
                else if (e < 2.0f) s = ag_shade(s, lx < 2 || ly < 2 ? 0.06f : -0.1f);
                c = s;
            } else if (type == 2) {
                // Tech deck: gunmetal plates, bolts and cyan seams.
                float lx = std::fmod(fx, 32.0f), ly = std::fmod(fy, 32.0f);
                float e = std::min(std::min(lx, 32 - lx), std::min(ly, 32 - ly));
                float n = ag_fbm(fx / 24, fy / 2.5f, 3, 21, 0);
                c = ag_mix(ag_hex(0x2C3038), ag_hex(0x444A56), n);
                if (e < 3.0f) c = ag_shade(c, lx < 3 || ly < 3 ? 0.2f : -0.35f);
                float glow = ag_clamp(1.0f - edge / 2.5f);
                c = ag_mix(c, ag_hex(0x30F0FF), glow * 0.85f);
                for (float by : {8.0f, 24.0f, 40.0f, 56.0f})
                    for (float bx : {8.0f, 24.0f, 40.0f, 56.0f}) {
                        float d = ag_sd_circle(fx, fy, bx, by, 1.8f);
                        if (d < 0.5f) c = ag_mix(c, ag_shade(ag_hex(0x9098A8), (by - fy) * 0.2f), ag_cover(d));
                    }
            } else if (type == 3) {
                // Sandstone cobbles (cellular pattern, tiled every cell), in a narrow range of
                // tones so that the floor stays quiet under the play.
                float second;
                uint32_t id;
                float d1 = ag_cells(fx / 16, fy / 16, 31, 4, &second, &id);
                float gap = second - d1;
                ag_rgba s = ag_mix(ag_hex(0xA88452), ag_hex(0xB89462), (id & 255) / 255.0f);
                s = ag_shade(s, (ag_fbm(fx / 8, fy / 8, 2, 33, 13) - 0.5f) * 0.08f);
                s = ag_shade(s, -d1 * 0.08f);
                if (gap < 0.06f) s = ag_hex(0x7A5E3C);
                else if (gap < 0.12f) s = ag_shade(s, -0.1f);
                c = s;
            } else {
                // Obsidian: faceted black glass with violet veins.
                float v = ag_fbm(fx / 16, fy / 16, 5, 41, 4);
                float vein = ag_clamp(1.0f - std::fabs(v - 0.5f) * 28.0f);
                float dx = fx - 32, dy = fy - 32;
                float facet = std::fabs(dx) > std::fabs(dy) ? (dx > 0 ? -0.1f : 0.12f) : (dy > 0 ? 0.05f : -0.05f);
                c = ag_shade(ag_hex(0x1E1628), facet + (v - 0.5f) * 0.3f);
                c = ag_mix(c, ag_hex(0xD050FF), vein * 0.75f);
                if (edge < 1.5f) c = ag_hex(0x5A3A78);
            }
            c.a = 1;
            img.at(x, y) = c;
        }
    return img;
}

// Darkening of the shadow variant v at a pixel. A raised neighbour, lit from the near left, throws
// its shadow towards +x and -z: the left neighbour darkens a strip along the -x edge that ends on
// a diagonal, the lower neighbour a strip along the +z edge that starts on a diagonal, and the
// lower-left neighbour the square in the near left corner.
float floor_shadow(int v, float fx, float fy)
{
    const float s = 22.0f, soft = 2.5f;
    float near = TS - fy;                                          // distance from the +z edge
    float left = ag_smooth(s + soft, s - soft, fx);                // full strip along -x
    float bottom = ag_smooth(s + soft, s - soft, near);            // full strip along +z
    float left_cut = left * ag_smooth(-soft, soft, near - fx);     // from the left neighbour alone
    float bottom_cut = bottom * ag_smooth(-soft, soft, fx - near); // from the lower neighbour alone
    float corner = std::min(left, bottom);                         // from the lower-left neighbour
    switch (v) {
    case 1: return bottom_cut;
    case 2: return bottom;
    case 3: return corner;
    case 4: return left;
    case 5: return left_cut;
    case 6: return std::max(left, bottom);
    default: return 0.0f;
    }
}

ag_image floor_variant(const ag_image &base, int v)
{
    ag_image img = base;
    for (int y = 0; y < TS; y++)
        for (int x = 0; x < TS; x++) {
            float sh = floor_shadow(v, x + 0.5f, y + 0.5f);
            ag_rgba &c = img.at(x, y);
            c = ag_scale(c, 1.0f - 0.55f * sh);
            c.a = 1;
        }
    return img;
}

ag_image floor_side(int type)
{
    static const uint32_t cols[5] = {0, 0x3A4048, 0x23262C, 0x8A6438, 0x1A1220};
    ag_image img = ag_image_make(TS, TS);
    for (int y = 0; y < TS; y++)
        for (int x = 0; x < TS; x++) {
            float n = ag_fbm(x / 12.0f, y / 6.0f, 3, 50 + type, 0);
            ag_rgba c = ag_shade(ag_hex(cols[type]), (n - 0.5f) * 0.4f - y / 200.0f);
            if (y < 4) c = ag_shade(c, 0.25f);
            if (type == 2 && y > 20 && y < 24) c = ag_mix(c, ag_hex(0x30F0FF), 0.7f);
            if (type == 4 && y > 8 && y < 11) c = ag_mix(c, ag_hex(0xD050FF), 0.5f);
            c.a = 1;
            img.at(x, y) = c;
        }
    return img;
}

// ---- borders ----

// A border top for the run direction: u runs across the rail from outside (0) to the field
// side (1), v along it (0..TS). `along_x` is true for the top row (the rail runs along x).
ag_rgba border_pixel(int type, float u, float v, int frame)
{
    if (type == 1) {
        // Chrome rail: a cylinder with a blue inlay and clamps every half cell.
        float t = u * 2 - 1;
        float nz = std::sqrt(std::max(0.02f, 1 - t * t));
        float band = 0.5f + 0.5f * std::cos(t * 5.5f + 0.6f);
        ag_rgba c = ag_mix(ag_hex(0x3C4450), ag_hex(0xF4F8FF), band * nz);
        if (std::fabs(t) < 0.14f) c = ag_mix(ag_hex(0x2050C0), ag_hex(0x80C0FF), nz * 0.8f);
        float clamp = std::fmod(v, 32.0f);
        if (clamp < 5) c = ag_shade(ag_mix(ag_hex(0x505868), ag_hex(0xC8D0DC), nz), clamp < 1 || clamp > 4 ? -0.4f : 0.0f);
        if (u > 0.93f) c = ag_shade(c, -0.5f);
        return c;
    }
    if (type == 2) {
        // Masonry: running bond of sandstone blocks with moss on the outer half.
        float row = std::floor(u * 2);
        float off = row == 0 ? 0 : 16;
        float bv = std::fmod(v + off, 32.0f), bu = std::fmod(u * 2, 1.0f);
        int block = static_cast<int>(std::floor((v + off) / 32)) * 2 + static_cast<int>(row);
        float n = ag_fbm(u * 6, v / 10, 4, 60, 0);
        ag_rgba c = ag_mix(ag_hex(0x8E8270), ag_hex(0xC2B59A), n);
        c = ag_shade(c, (ag_rand01(block, 1, 61) - 0.5f) * 0.25f);
        float moss = ag_fbm(u * 4, v / 14, 3, 62, 0);
        if (moss > 0.55f + u * 0.25f) c = ag_mix(c, ag_hex(0x4E7A30), 0.6f);
        if (bv < 2 || bu < 0.06f) c = ag_hex(0x3C3428);
        else if (bv < 4 || bu < 0.12f) c = ag_shade(c, 0.15f);
        else if (bv > 30 || bu > 0.92f) c = ag_shade(c, -0.3f);
        return c;
    }
    if (type == 3) {
        // Neon conduit: dark plating, a glowing tube whose pulse travels along the run.
        float n = ag_fbm(u * 8, v / 3, 2, 70, 0);
        ag_rgba c = ag_mix(ag_hex(0x181822), ag_hex(0x2C2C3C), n);
        if (std::fmod(v, 16.0f) < 1) c = ag_shade(c, -0.4f);
        float d = std::fabs(u - 0.6f);
        float pulse = 0.55f + 0.45f * std::cos((v / TS - frame / 4.0f) * 6.2832f);
        float core = ag_clamp(1 - d / 0.07f), halo = ag_clamp(1 - d / 0.3f);
        c = ag_mix(c, ag_hex(0xFF30C8), halo * halo * 0.7f * pulse);
        c = ag_mix(c, ag_hex(0xFFD8F4), core * (0.5f + 0.5f * pulse));
        if (u < 0.08f || u > 0.94f) c = ag_hex(0x5A5A70);
        return c;
    }
    // Gilded: bevelled gold with a ruby set every half cell.
    float t = u * 2 - 1;
    ag_rgba c = ag_mix(ag_hex(0x8A5A10), ag_hex(0xFFE080), 0.5f + 0.5f * std::cos(t * 3.0f + 0.8f));
    c = ag_shade(c, (ag_fbm(u * 10, v / 6, 2, 80, 0) - 0.5f) * 0.15f);
    float gv = std::fmod(v, 32.0f) - 16;
    float gd = std::hypot(gv / 7.0f, t / 0.32f);
    if (gd < 1) c = ag_mix(ag_hex(0x900818), ag_hex(0xFF8090), ag_clamp(1 - gd) * (gv < 0 ? 1.0f : 0.5f));
    else if (gd < 1.25f) c = ag_hex(0x6A4208);
    if (std::fabs(t) > 0.9f) c = ag_shade(c, -0.35f);
    return c;
}

ag_image border_top(int type, char side, int frame)
{
    ag_image img = ag_image_make(TS, TS);
    for (int y = 0; y < TS; y++)
        for (int x = 0; x < TS; x++) {
            float fx = (x + 0.5f) / TS, fy = (y + 0.5f) / TS;
            float u = side == 'l' ? fx : side == 'r' ? 1 - fx : fy;
            float v = side == 't' ? x + 0.5f : y + 0.5f;
            ag_rgba c = border_pixel(type, u, v, frame);
            c.a = 1;
            img.at(x, y) = c;
        }
    return img;
}

ag_image border_side(int type, int frame)
{
    ag_image img = ag_image_make(TS, TS);
    for (int y = 0; y < TS; y++)
        for (int x = 0; x < TS; x++) {
            float fy = (y + 0.5f) / TS;
            ag_rgba c = border_pixel(type, 0.15f + fy * 0.7f, x + 0.5f, frame);
            c = ag_scale(c, 0.85f - fy * 0.25f);
            if (y < 3) c = ag_shade(c, 0.3f);
            if (y > TS - 3) c = ag_shade(c, -0.5f);
            c.a = 1;
            img.at(x, y) = c;
        }
    return img;
}

// ---- scenery blocks beside the field ----

ag_image pylon_top()
{
    ag_image img = ag_image_make(TS, TS);
    for (int y = 0; y < TS; y++)
        for (int x = 0; x < TS; x++) {
            float fx = x + 0.5f, fy = y + 0.5f;
            vec3 n = bevel_normal(fx, fy, TS, 10, 0.9f);
            ag_rgba c = lit(ag_hex(0x3A4050), n, 0.4f, 0.4f, 20);
            float d = ag_sd_circle(fx, fy, 32, 32, 12);
            c = ag_mix(c, ag_hex(0x60FFE0), ag_cover(d) * (0.6f + 0.4f * ag_clamp(-d / 12)));
            float ring = std::fabs(ag_sd_circle(fx, fy, 32, 32, 17)) - 1.5f;
            c = ag_mix(c, ag_hex(0x1A1E28), ag_cover(ring));
            c.a = 1;
            img.at(x, y) = c;
        }
    return img;
}

ag_image pylon_side()
{
    ag_image img = ag_image_make(TS, TS);
    for (int y = 0; y < TS; y++)
        for (int x = 0; x < TS; x++) {
            float n = ag_fbm(x / 20.0f, y / 2.0f, 3, 90, 0);
            ag_rgba c = ag_shade(ag_hex(0x383E4C), (n - 0.5f) * 0.3f);
            if (x < 3 || x > TS - 4) c = ag_shade(c, -0.4f);
            if ((y / 8) % 2 == 0 && x > 26 && x < 38) c = ag_mix(c, ag_hex(0x60FFE0), 0.8f);
            c.a = 1;
            img.at(x, y) = c;
        }
    return img;
}

ag_image under_face()
{
    ag_image img = ag_image_make(TS, TS);
    for (int y = 0; y < TS; y++)
        for (int x = 0; x < TS; x++) {
            ag_rgba c = ag_shade(ag_hex(0x202228), (ag_fbm(x / 8.0f, y / 8.0f, 3, 95, 8) - 0.5f) * 0.4f);
            c.a = 1;
            img.at(x, y) = c;
        }
    return img;
}

// ---- generator ----

int gen_tiles(const std::string &, const std::string &out)
{
    int err = 0;
    auto put = [&](const std::string &name, const ag_image &img) { err |= ag_write_png(out, "gfx\\tiles\\" + name + ".png", img); };
    for (int i = 0; i < 10; i++) {
        std::string d(1, static_cast<char>('0' + i));
        put("m" + d + "t", brick_top(ag_hex(METAL_COLOURS[i]), STYLE_METAL, 100 + i));
        put("m" + d + "s", brick_side(ag_hex(METAL_COLOURS[i]), STYLE_METAL, 100 + i));
    }
    for (int i = 0; i < 26; i++) {
        std::string l(1, static_cast<char>('a' + i));
        put("s" + l + "t", brick_top(ag_hex(LETTER_COLOURS[i]), STYLE_ONE, 200 + i));
        put("s" + l + "s", brick_side(ag_hex(LETTER_COLOURS[i]), STYLE_ONE, 200 + i));
        put("t" + l + "t", brick_top(ag_shade(ag_hex(LETTER_COLOURS[i]), -0.12f), STYLE_TWO, 300 + i));
        put("t" + l + "s", brick_side(ag_shade(ag_hex(LETTER_COLOURS[i]), -0.12f), STYLE_TWO, 300 + i));
    }
    for (int type = 1; type <= 4; type++) {
        ag_image base = floor_base(type);
        for (int v = 0; v <= 6; v++) put("fl" + std::to_string(type) + std::to_string(v), floor_variant(base, v));
        put("fl" + std::to_string(type) + "s", floor_side(type));
        std::string t = std::to_string(type);
        if (type == 3) {
            // The neon borders pulse: four frames of each face, played as animated bitmaps.
            for (int f = 0; f < 4; f++) {
                std::string fs = std::to_string(f);
                put("bd3l" + fs, border_top(3, 'l', f));
                put("bd3r" + fs, border_top(3, 'r', f));
                put("bd3t" + fs, border_top(3, 't', f));
                put("bd3s" + fs, border_side(3, f));
            }
        } else {
            put("bd" + t + "l", border_top(type, 'l', 0));
            put("bd" + t + "r", border_top(type, 'r', 0));
            put("bd" + t + "t", border_top(type, 't', 0));
            put("bd" + t + "s", border_side(type, 0));
        }
    }
    put("pylont", pylon_top());
    put("pylons", pylon_side());
    put("under", under_face());
    return err;
}

} // namespace

AG_GENERATOR("tiles", gen_tiles);

ag_image ag_art_brick(int letter)
{
    int i = ((letter % 26) + 26) % 26;
    return brick_top(ag_hex(LETTER_COLOURS[i]), STYLE_ONE, 200 + i);
}
