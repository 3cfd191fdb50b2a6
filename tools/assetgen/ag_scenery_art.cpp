// assetgen generator "scenery_art": the pictures of the two scenery worlds of the attract
// sequence. The station ("gfx\\scenery\\st_*"): deck plates, hull walls with flickering windows,
// runway lamps, solar panels, landing pads, see-through girders, a planet seen from orbit, a
// satellite and a shuttle. The garden ("gfx\\scenery\\gd_*"): grass, flowers, stone paths, rock
// cliffs, rippling ponds, waterfalls, plank bridges, a sky above a sea of clouds, trees,
// butterflies and birds. Textures follow the brick world's conventions (64 x 64, top faces with
// the far side up, side faces painted for 12 x 6 unit walls and tiling downward).
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_draw.h"

#include <functional>

namespace {

// ---- helpers ----

constexpr int TS = 64;
constexpr float PI = 3.14159265f;

using pixel_fn = std::function<ag_rgba(float x, float y)>;

ag_image opaque(int w, int h, const pixel_fn &fn)
{
    ag_image img = ag_image_make(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            ag_rgba c = fn(x + 0.5f, y + 0.5f);
            c.a = 1;
            img.at(x, y) = c;
        }
    return img;
}

void glow(ag_image &img, float cx, float cy, float r, ag_rgba colour, float strength)
{
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / r;
            if (d < 1) ag_add(img, x, y, colour, strength * (1 - d) * (1 - d));
        }
}

// Distance to the nearest seam of a grid of `n` panels per side, in pixels.
float seam(float x, float y, int n)
{
    float p = static_cast<float>(TS) / n;
    float fx = std::fmod(x, p), fy = std::fmod(y, p);
    return std::min(std::min(fx, p - fx), std::min(fy, p - fy));
}

// Metal plate: brushed noise, panel seams with a lit and a shaded lip, rivets near the corners.
ag_rgba metal(float x, float y, ag_rgba base, int panels, uint32_t seed)
{
    float n = ag_fbm(x / 16, y / 4, 3, seed, 4);
    ag_rgba c = ag_shade(base, (n - 0.5f) * 0.25f);
    float s = seam(x, y, panels);
    if (s < 1.0f) c = ag_scale(c, 0.45f);
    else if (s < 2.0f) c = ag_shade(c, 0.18f);
    float p = static_cast<float>(TS) / panels;
    float rx = std::fmod(x, p), ry = std::fmod(y, p);
    for (float ax : {4.0f, p - 4.0f})
        for (float ay : {4.0f, p - 4.0f}) {
            float d = std::hypot(rx - ax, ry - ay);
            if (d < 1.6f) c = ag_shade(base, 0.35f - d * 0.3f);
        }
    return c;
}

// ---- the station ----

const ag_rgba DECK = ag_hex(0x7C8898), HULL = ag_hex(0x5A6474);

ag_image st_deck()
{
    return opaque(TS, TS, [](float x, float y) {
        return metal(x, y, DECK, 2, 301);
    });
}

ag_image st_deck_side()
{
    return opaque(TS, TS, [](float x, float y) {
        ag_rgba c = metal(x, y, ag_scale(DECK, 0.75f), 1, 302);
        if (y > 26 && y < 38) c = ag_scale(c, 0.6f);
        if (y > 30 && y < 34 && std::fmod(x, 16) < 6) c = ag_hex(0x60D0FF);
        return c;
    });
}

// Hull wall with two rows of three windows; each frame lights a different set, some steady.
ag_image st_windows(int frame)
{
    return opaque(TS, TS, [frame](float x, float y) {
        ag_rgba c = metal(x, y, HULL, 1, 303);
        int col = static_cast<int>(x / (TS / 3.0f)), row = static_cast<int>(y / 32);
        float wx = std::fmod(x, TS / 3.0f) - TS / 6.0f, wy = std::fmod(y, 32.0f) - 16;
        float d = ag_sd_box(wx, wy, 0, 0, 6.5f, 8, 2);
        if (d < 1.5f) c = ag_scale(c, 0.4f);
        if (d < 0) {
            uint32_t h = ag_hash(col, row, 304);
            bool steady = h % 3 != 0;
            bool lit = steady ? (h & 8) != 0 : ((h >> 4) + frame) % 4 < 2;
            ag_rgba on = (h & 16) ? ag_hex(0xFFE0A0) : ag_hex(0xA0E0FF);
            c = lit ? ag_shade(on, -0.25f * ag_clamp(-wy / 8)) : ag_hex(0x141C28);
        }
        return c;
    });
}

// Roof of a tower: dark plating with a beacon that blinks red.
ag_image st_roof(int frame)
{
    ag_image img = opaque(TS, TS, [](float x, float y) { return metal(x, y, ag_scale(HULL, 0.7f), 2, 305); });
    float b = frame == 0 ? 1.0f : 0.15f;
    glow(img, 32, 32, 20, ag_hex(0xFF3020), 0.8f * b);
    ag_paint(img, [b](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(ag_sd_circle(x, y, 32, 32, 4));
        c = ag_mix(ag_hex(0x501010), ag_hex(0xFFB0A0), b);
    });
    return img;
}

// Deck with a lamp that runs toward the camera: frame k lights the lamp in the k-th quarter.
ag_image st_lamps(int frame)
{
    ag_image img = opaque(TS, TS, [](float x, float y) { return metal(x, y, ag_scale(DECK, 0.8f), 2, 306); });
    for (int k = 0; k < 4; k++) {
        float cy = 8 + 16 * k, on = k == frame ? 1.0f : 0.12f;
        for (float cx : {10.0f, 54.0f}) {
            glow(img, cx, cy, 12, ag_hex(0x40A0FF), 0.9f * on);
            ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
                cov = ag_cover(ag_sd_circle(x, y, cx, cy, 3));
                c = ag_mix(ag_hex(0x102030), ag_hex(0xD0F0FF), on);
            });
        }
    }
    return img;
}

ag_image st_solar()
{
    return opaque(TS, TS, [](float x, float y) {
        float s = seam(x, y, 4);
        if (s < 1.5f) return ag_hex(0xB8C0C8);
        float n = ag_fbm(x / 8, y / 8, 2, 307, 8);
        // A diagonal sheen across the cells.
        float sheen = ag_smooth(0.0f, 1.0f, 1 - std::fabs((x + y) / TS - 1.0f) * 3);
        return ag_shade(ag_mix(ag_hex(0x102868), ag_hex(0x2050B0), n), sheen * 0.35f);
    });
}

ag_image st_frame_side()
{
    return opaque(TS, TS, [](float x, float y) {
        ag_rgba c = ag_hex(0xA0A8B0);
        if (y > 20) c = ag_scale(c, 0.5f + 0.2f * ag_noise(x / 8, y / 8, 308, 8));
        return c;
    });
}

// Landing pad: a ring and a bar on dark plating, with lights at the rim.
ag_image st_pad()
{
    ag_image img = opaque(TS, TS, [](float x, float y) {
        ag_rgba c = metal(x, y, ag_hex(0x3A4250), 1, 309);
        float r = std::hypot(x - 32, y - 32);
        if (std::fabs(r - 22) < 2.5f) c = ag_hex(0xF0C030);
        if (std::fabs(x - 32) < 3 && std::fabs(y - 32) < 13) c = ag_hex(0xF0F0F0);
        if (std::fabs(y - 32) < 2 && std::fabs(x - 32) < 9) c = ag_hex(0xF0F0F0);
        return c;
    });
    for (int k = 0; k < 4; k++) glow(img, 32 + 28 * std::cos(k * PI / 2 + PI / 4), 32 + 28 * std::sin(k * PI / 2 + PI / 4), 7, ag_hex(0x40FF80), 0.7f);
    return img;
}

// Girder: a lattice with open gaps, for see-through walls and grating tops.
ag_image st_truss(bool top)
{
    ag_image img = ag_image_make(TS, TS);
    ag_paint(img, [top](float x, float y, ag_rgba &c, float &cov) {
        float d = std::min(std::min(x, TS - x), std::min(y, TS - y)) - 4;
        float diag = std::fabs(std::fabs(x - 32) - std::fabs(y - 32)) - 2.5f;
        if (top) diag = std::min(diag, std::fabs(std::fmod(y, 16.0f) - 8) - 1.2f);
        cov = ag_cover(std::min(d, diag));
        c = ag_shade(ag_hex(0x98A0AC), 0.25f * (1 - y / TS) - 0.15f);
    });
    return img;
}

ag_image st_under()
{
    return opaque(TS, TS, [](float x, float y) { return metal(x, y, ag_hex(0x2A303A), 2, 310); });
}

// The planet from orbit: stars above, the curve of a lit ocean world with clouds below, a thin
// atmosphere rim, city lights on the night side, and a small moon.
ag_image st_background()
{
    constexpr int W = 640, H = 480;
    const float cx = 260, cy = 1180, R = 900;
    ag_image img = opaque(W, H, [&](float x, float y) {
        ag_rgba c = ag_mix(ag_hex(0x01020A), ag_hex(0x060A22), y / H);
        float r = std::hypot(x - cx, y - cy);
        if (r < R) {
            // A point on the sphere: latitude/longitude from the offset, lit from the upper left.
            float nx = (x - cx) / R, ny = (y - cy) / R, nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
            float u = std::atan2(nx, nz) * 3, v = ny * 6;
            float land = ag_fbm(u * 2 + 5, v * 2, 6, 311);
            float cloud = ag_fbm(u * 4, v * 8 + 3, 5, 312);
            ag_rgba ground = land > 0.55f ? ag_mix(ag_hex(0x3A6A30), ag_hex(0xA09060), ag_smooth(0.6f, 0.75f, land))
                                          : ag_mix(ag_hex(0x06204A), ag_hex(0x1050A0), land / 0.55f);
            ground = ag_mix(ground, ag_hex(0xF4F8FF), ag_smooth(0.5f, 0.75f, cloud) * 0.9f);
            float lit = ag_clamp(-0.75f * nx - 0.35f * ny + 0.55f * nz + 0.2f);
            c = ag_scale(ground, 0.08f + 0.95f * lit);
            if (land > 0.58f && lit < 0.15f && ag_rand01(static_cast<int>(x), static_cast<int>(y), 313) > 0.9f)
                c = ag_mix(c, ag_hex(0xFFC060), (0.15f - lit) * 5);
            c = ag_mix(c, ag_hex(0x70B0FF), ag_smooth(R - 40, R, r) * 0.8f * (0.3f + lit));
        } else {
            c = ag_mix(c, ag_hex(0x4080E0), ag_clamp(1 - (r - R) / 28) * 0.7f);
        }
        return c;
    });
    ag_rng rng{314};
    for (int i = 0; i < 700; i++) {
        float x = rng.range(0, W), y = rng.range(0, H), b = std::pow(rng.uniform(), 3.0f);
        if (std::hypot(x - cx, y - cy) < R + 10) continue;
        glow(img, x, y, 1.5f + 2.5f * b, ag_mix(ag_rgb(0.75f, 0.85f, 1), ag_rgb(1, 0.9f, 0.8f), rng.uniform()), 0.5f + b);
    }
    ag_paint(img, [](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(ag_sd_circle(x, y, 520, 70, 22));
        float k = ag_clamp(0.2f + (520 - x + 70 - y) / 30);
        c = ag_scale(ag_mix(ag_hex(0x9A9488), ag_hex(0xD8D2C8), ag_fbm(x / 9, y / 9, 3, 315)), 0.15f + 0.85f * k);
    });
    return img;
}

ag_image satellite(int frame)
{
    ag_image img = ag_image_make(64, 32);
    float turn = std::cos(frame * 2 * PI / 8);
    float wing = 22 * std::fabs(turn) + 2;
    for (float side : {-1.0f, 1.0f})
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            float wx = 32 + side * (9 + wing / 2);
            cov = ag_cover(ag_sd_box(x, y, wx, 16, wing / 2, 7, 0.5f));
            c = seam(std::fabs(x - wx) * 8, y * 4, 4) < 3 ? ag_hex(0xA0A8B0) : ag_shade(ag_hex(0x2050B0), turn * 0.3f);
        });
    ag_paint(img, [](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(std::min(ag_sd_box(x, y, 32, 16, 7, 9, 2), ag_sd_segment(x, y, 32, 7, 32, 1, 1)));
        c = ag_shade(ag_hex(0xC8A040), (16 - y) / 30);
    });
    glow(img, 32, 2, 4, ag_hex(0xFF4030), frame % 4 == 0 ? 1.0f : 0.2f);
    return img;
}

ag_image shuttle(int frame)
{
    ag_image img = ag_image_make(64, 32);
    float flame = 0.7f + 0.3f * std::sin(frame * 2 * PI / 4);
    glow(img, 32, 26, 10 * flame, ag_hex(0x60A0FF), 0.9f);
    ag_paint(img, [](float x, float y, ag_rgba &c, float &cov) {
        float body = ag_sd_ellipse(x, y, 32, 16, 10, 9);
        float wings = ag_sd_box(x, y, 32, 19, 26 - std::fabs(y - 19) * 2, 2.5f, 1);
        cov = ag_cover(std::min(body, wings));
        c = ag_shade(ag_hex(0xD8DCE4), (16 - y) / 24 - 0.1f);
        if (ag_sd_ellipse(x, y, 32, 12, 5, 3) < 0) c = ag_hex(0x203850);
    });
    for (float ex : {27.0f, 37.0f}) glow(img, ex, 25, 4, ag_hex(0xC0E0FF), flame);
    return img;
}

// ---- the garden ----

ag_image gd_grass(bool flowers)
{
    ag_image img = opaque(TS, TS, [](float x, float y) {
        float n = ag_fbm(x / 16, y / 16, 4, 401, 4), blades = ag_rand01(static_cast<int>(x), static_cast<int>(y), 402);
        ag_rgba c = ag_mix(ag_hex(0x3C7A28), ag_hex(0x78B040), n);
        return ag_shade(c, (blades - 0.5f) * 0.25f);
    });
    if (flowers) {
        ag_rng rng{403};
        const uint32_t colours[] = {0xF8F0F8, 0xF8D040, 0xF070A0, 0xA080F0};
        for (int i = 0; i < 14; i++) {
            float x = rng.range(5, TS - 5), y = rng.range(5, TS - 5);
            ag_rgba col = ag_hex(colours[rng.next() % 4]);
            for (int k = 0; k < 5; k++) {
                float a = k * 2 * PI / 5;
                ag_paint(img, [&](float px, float py, ag_rgba &c, float &cov) {
                    cov = ag_cover(ag_sd_circle(px, py, x + 2 * std::cos(a), y + 2 * std::sin(a), 1.6f));
                    c = col;
                });
            }
            ag_paint(img, [&](float px, float py, ag_rgba &c, float &cov) {
                cov = ag_cover(ag_sd_circle(px, py, x, y, 1.1f));
                c = ag_hex(0xF0B020);
            });
        }
    }
    return img;
}

ag_image gd_path()
{
    return opaque(TS, TS, [](float x, float y) {
        float second = 0;
        float d = ag_cells(x / 16, y / 16, 404, 4, &second);
        float edge = second - d;
        ag_rgba stone = ag_mix(ag_hex(0x9A9080), ag_hex(0xC8BCA8), ag_fbm(x / 8, y / 8, 3, 405, 8));
        if (edge < 0.12f) return ag_mix(ag_hex(0x406828), ag_hex(0x5A4A38), ag_rand01(static_cast<int>(x), static_cast<int>(y), 406));
        return ag_shade(stone, (0.3f - d) * 0.4f);
    });
}

// Rock strata with hanging moss; tiles downward so that cliffs of any height repeat it.
ag_image gd_cliff()
{
    return opaque(TS, TS, [](float x, float y) {
        float strata = std::sin((y + 6 * ag_noise(x / 16, 0, 407, 4)) * 2 * PI / 16);
        ag_rgba c = ag_mix(ag_hex(0x5A4636), ag_hex(0x8A7058), 0.5f + 0.35f * strata);
        c = ag_shade(c, (ag_fbm(x / 8, y / 8, 3, 408, 8) - 0.5f) * 0.5f);
        float moss = ag_fbm(x / 8, y / 4, 3, 409, 8) - y / TS * 0.6f;
        if (moss > 0.35f) c = ag_mix(c, ag_hex(0x3C7028), ag_smooth(0.35f, 0.45f, moss));
        return c;
    });
}

ag_image gd_water(int frame)
{
    return opaque(TS, TS, [frame](float x, float y) {
        float t = frame * 2 * PI / 4;
        float w = std::sin(x * 2 * PI / 32 + t) + std::sin((x + y) * 2 * PI / 64 - t) + std::sin(y * 2 * PI / 21.333f + t);
        ag_rgba c = ag_mix(ag_hex(0x1A5A88), ag_hex(0x3A9AC8), 0.5f + w / 6);
        return ag_shade(c, ag_smooth(2.2f, 2.9f, w) * 0.6f);
    });
}

// Falling water: streaks that move down a quarter of the tile each frame.
ag_image gd_fall(int frame)
{
    return opaque(TS, TS, [frame](float x, float y) {
        float yy = y - frame * 16.0f;
        float streak = 0.5f + 0.5f * std::sin(yy * 2 * PI / 64 + 6 * ag_noise(x / 4, 0.5f, 410, 16)) * ag_noise(x / 4, 3.5f, 412, 16);
        float foam = ag_noise(x / 8, yy / 8, 411, 8);
        ag_rgba c = ag_mix(ag_hex(0x2C78B0), ag_hex(0xA8DCF8), streak);
        return ag_shade(c, ag_smooth(0.6f, 0.8f, foam) * 0.5f);
    });
}

ag_image gd_planks(bool side)
{
    return opaque(TS, TS, [side](float x, float y) {
        float across = side ? x : y;
        int plank = static_cast<int>(across / 16);
        ag_rgba c = ag_shade(ag_hex(0x8A6038), (ag_rand01(plank, 0, 412) - 0.5f) * 0.3f);
        c = ag_shade(c, (ag_fbm((side ? y : x) / 16, across / 4, 3, 413 + plank, 4) - 0.5f) * 0.3f);
        if (std::fmod(across, 16) < 1.2f) c = ag_scale(c, 0.4f);
        return c;
    });
}

ag_image gd_under()
{
    return opaque(TS, TS, [](float x, float y) { return ag_mix(ag_hex(0x2A2018), ag_hex(0x4A3A2A), ag_fbm(x / 8, y / 8, 3, 414, 8)); });
}

// A sky over a sea of clouds: the sun low on the right, warm near the horizon.
ag_image gd_background()
{
    constexpr int W = 640, H = 480;
    const float sx = 470, sy = 200, horizon = 250;
    ag_image img = opaque(W, H, [&](float x, float y) {
        ag_rgba c;
        if (y < horizon) {
            float t = y / horizon;
            c = ag_mix(ag_hex(0x3A78C8), ag_hex(0xF8C8A0), t * t);
            float cl = ag_fbm(x / 140, y / 50, 5, 415);
            c = ag_mix(c, ag_mix(ag_hex(0xFFFFFF), ag_hex(0xF0A080), t), ag_smooth(0.55f, 0.75f, cl) * 0.8f);
        } else {
            float t = (y - horizon) / (H - horizon);
            float depth = 1 + t * 6;
            float cl = ag_fbm(x / (90 / depth) + 11, (y - horizon) / (25 / depth * 2), 5, 416);
            c = ag_mix(ag_hex(0xF4D0C0), ag_hex(0xFFFFFF), ag_smooth(0.3f, 0.7f, cl));
            c = ag_shade(c, -0.35f * (1 - cl) * t);
            c = ag_mix(c, ag_hex(0xF8B890), ag_clamp(1 - t * 4) * 0.5f);
        }
        float d = std::hypot(x - sx, y - sy);
        c = ag_shade(c, ag_clamp(1 - d / 220) * 0.5f);
        if (d < 26) c = ag_mix(c, ag_hex(0xFFF8E0), ag_clamp(26 - d));
        return c;
    });
    // Far islands resting on the haze: a green cap over a rock that narrows to a point.
    for (int k = 0; k < 5; k++) {
        float ix = 50.0f + k * 135 + (k % 2) * 30, iy = horizon - 14 + (k % 3) * 9, iw = 16.0f + (k * 13) % 14;
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            float dx = std::fabs(x - ix) / iw;
            float top = iy - 3 * ag_noise(x / 5, 0.5f, 417 + k), bottom = iy + iw * 1.3f * (1 - dx) * (1 - dx);
            cov = dx < 1 && y > top && y < bottom ? 0.7f * ag_clamp(1 - dx * dx) + 0.2f : 0.0f;
            c = y < top + 3 ? ag_hex(0x7A9A70) : ag_mix(ag_hex(0x9A8A98), ag_hex(0xC8B0B8), (y - top) / (bottom - top + 1));
        });
    }
    return img;
}

ag_image tree()
{
    ag_image img = ag_image_make(64, 96);
    ag_paint(img, [](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(ag_sd_box(x, y, 32, 78, 4 - (y - 60) / 12, 18, 1));
        c = ag_shade(ag_hex(0x6A4628), (32 - x) / 20);
    });
    ag_rng rng{418};
    for (int i = 0; i < 26; i++) {
        float a = rng.range(0, 2 * PI), r = rng.range(0, 18), bx = 32 + r * std::cos(a), by = 38 + r * 0.8f * std::sin(a);
        float br = rng.range(9, 14), tint = rng.uniform();
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            cov = ag_cover(ag_sd_circle(x, y, bx, by, br));
            float lit = ag_clamp(0.6f - (x - bx + y - by) / (br * 3));
            c = ag_mix(ag_mix(ag_hex(0x2C6A2A), ag_hex(0x58A040), tint), ag_hex(0xB8E070), lit * lit * 0.7f);
        });
    }
    return img;
}

ag_image butterfly(int frame)
{
    ag_image img = ag_image_make(32, 32);
    float open = std::fabs(std::cos(frame * PI / 4));
    for (float side : {-1.0f, 1.0f})
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            float wx = 16 + side * (2 + 6 * open);
            cov = ag_cover(std::min(ag_sd_ellipse(x, y, wx, 13, 6 * open + 1, 6), ag_sd_ellipse(x, y, wx, 21, 4 * open + 1, 4)));
            c = ag_mix(ag_hex(0xF08020), ag_hex(0x402010), ag_smooth(3, 5, std::fabs(x - wx) + std::fabs(y - 15) * 0.3f));
        });
    ag_paint(img, [](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(ag_sd_segment(x, y, 16, 9, 16, 24, 1.2f));
        c = ag_hex(0x201810);
    });
    return img;
}

ag_image bird(int frame)
{
    ag_image img = ag_image_make(48, 24);
    float lift = std::sin(frame * 2 * PI / 4) * 8;
    ag_paint(img, [lift](float x, float y, ag_rgba &c, float &cov) {
        float wl = ag_sd_segment(x, y, 24, 12, 6, 12 - lift, 1.6f), wr = ag_sd_segment(x, y, 24, 12, 42, 12 - lift, 1.6f);
        cov = ag_cover(std::min(std::min(wl, wr), ag_sd_ellipse(x, y, 24, 13, 4, 3)));
        c = ag_hex(0xF8F8F8);
    });
    return img;
}

int gen_scenery_art(const std::string &, const std::string &out)
{
    ag_png_writer w{out, "gfx\\scenery\\"};
    w.one("st_deck", st_deck());
    w.one("st_decks", st_deck_side());
    w.frames("st_win", 4, st_windows);
    w.frames("st_roof", 2, st_roof);
    w.frames("st_lamp", 4, st_lamps);
    w.one("st_solar", st_solar());
    w.one("st_frame", st_frame_side());
    w.one("st_pad", st_pad());
    w.one("st_trusst", st_truss(true));
    w.one("st_trusss", st_truss(false));
    w.one("st_under", st_under());
    w.one("st_sky", st_background());
    w.frames("st_sat", 8, satellite);
    w.frames("st_ship", 4, shuttle);
    w.one("gd_grass", gd_grass(false));
    w.one("gd_flower", gd_grass(true));
    w.one("gd_path", gd_path());
    w.one("gd_cliff", gd_cliff());
    w.frames("gd_water", 4, gd_water);
    w.frames("gd_fall", 4, gd_fall);
    w.one("gd_plankt", gd_planks(false));
    w.one("gd_planks", gd_planks(true));
    w.one("gd_under", gd_under());
    w.one("gd_sky", gd_background());
    w.one("gd_tree", tree());
    w.frames("gd_fly", 8, butterfly);
    w.frames("gd_bird", 4, bird);
    return w.err;
}

} // namespace

AG_GENERATOR("scenery_art", gen_scenery_art);
