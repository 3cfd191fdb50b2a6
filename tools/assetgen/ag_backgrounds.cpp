// assetgen generator "backgrounds": the eight level backgrounds "gfx\\backgrou\\1.png" .. "8.png"
// (each its own mood: deep space, synthwave dusk, under the sea, volcano, aurora, circuit board,
// desert moonrise, storm) and the splash picture "gfx\\splash.png".
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_draw.h"

#include <functional>

namespace {

// ---- helpers ----

constexpr int BW = 640, BH = 480;
constexpr float PI = 3.14159265f;

ag_rgba vgrad(const ag_rgba *stops, int n, float t)
{
    t = ag_clamp(t) * (n - 1);
    int i = std::min(static_cast<int>(t), n - 2);
    return ag_mix(stops[i], stops[i + 1], t - i);
}

void each(ag_image &img, const std::function<ag_rgba(float x, float y)> &fn)
{
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            ag_rgba c = fn(x + 0.5f, y + 0.5f);
            c.a = 1;
            img.at(x, y) = c;
        }
}

void stars(ag_image &img, uint64_t seed, int count, float max_y, float bright)
{
    ag_rng r{seed};
    for (int i = 0; i < count; i++) {
        float x = r.range(0, img.w), y = r.range(0, max_y);
        float b = std::pow(r.uniform(), 3.0f) * bright;
        float size = 0.6f + b * 1.6f;
        ag_rgba c = ag_mix(ag_rgb(0.7f, 0.8f, 1), ag_rgb(1, 0.9f, 0.75f), r.uniform());
        int ir = static_cast<int>(size) + 2;
        for (int j = -ir; j <= ir; j++)
            for (int k = -ir; k <= ir; k++) {
                float d = std::hypot(static_cast<float>(k), static_cast<float>(j));
                ag_add(img, static_cast<int>(x) + k, static_cast<int>(y) + j, c, (0.35f + b) * ag_clamp(1 - d / size));
            }
        if (b > 0.75f) {
            // The brightest get a four-point flare.
            for (int k = -12; k <= 12; k++) {
                float f = (0.6f * b) * (1 - std::fabs(static_cast<float>(k)) / 12);
                ag_add(img, static_cast<int>(x) + k, static_cast<int>(y), c, f);
                ag_add(img, static_cast<int>(x), static_cast<int>(y) + k, c, f);
            }
        }
    }
}

// A ridge line: the height at x above `base`, sharp peaks from folded (ridged) noise.
float ridge(float x, float base, float amp, uint32_t seed, float scale)
{
    float h = 0, a = 1, norm = 0;
    for (int o = 0; o < 5; o++) {
        float n = ag_noise(x / scale * static_cast<float>(1 << o), 0.5f + o, seed + o);
        h += a * (1 - std::fabs(n * 2 - 1));
        norm += a;
        a *= 0.45f;
    }
    return base - amp * std::pow(h / norm, 1.6f);
}

// ---- the eight moods ----

ag_image deep_space()
{
    ag_image img = ag_image_make(BW, BH);
    each(img, [](float x, float y) {
        ag_rgba c = ag_mix(ag_hex(0x02030C), ag_hex(0x0A0820), y / BH);
        float n = ag_fbm(x / 170, y / 170, 6, 1001);
        float m = ag_fbm(x / 90 + 7, y / 90, 5, 1002);
        float cloud = ag_smooth(0.45f, 0.8f, n);
        c = ag_mix(c, ag_mix(ag_hex(0x6020A0), ag_hex(0x1860C0), m), cloud * 0.8f);
        c = ag_mix(c, ag_hex(0xF070C0), ag_smooth(0.62f, 0.85f, n * m * 1.6f) * 0.5f);
        float dust = ag_smooth(0.55f, 0.7f, ag_fbm(x / 40, y / 40, 4, 1003));
        return ag_scale(c, 1 - dust * 0.5f * cloud);
    });
    stars(img, 11, 900, BH, 1.0f);
    return img;
}

ag_image synth_dusk()
{
    ag_image img = ag_image_make(BW, BH);
    const float horizon = BH * 0.62f;
    const ag_rgba sky[] = {ag_hex(0x140830), ag_hex(0x5A1870), ag_hex(0xE04880), ag_hex(0xFFA040)};
    each(img, [&](float x, float y) {
        if (y < horizon) {
            ag_rgba c = vgrad(sky, 4, y / horizon);
            // Striped sun sinking behind the hills.
            float d = std::hypot(x - BW / 2, y - horizon + 30);
            if (d < 110) {
                float band = std::fmod(horizon - y, 18.0f);
                bool cut = y > horizon - 95 && band < (horizon - y < 60 ? 8 : 4) * (1 - (horizon - y) / 120);
                if (!cut) c = ag_mix(ag_hex(0xFFE060), ag_hex(0xFF3080), ag_clamp((y - (horizon - 140)) / 140));
            } else {
                c = ag_mix(c, ag_hex(0xFF80A0), ag_clamp(1 - (d - 110) / 120) * 0.35f);
            }
            float hill = ridge(x, horizon, 70, 2001, 140);
            if (y > hill) c = ag_mix(ag_hex(0x200A38), ag_hex(0x401050), (y - hill) / 70);
            return c;
        }
        // The neon grid floor, in perspective.
        float depth = (y - horizon) / (BH - horizon);
        float z = 1 / (depth + 0.02f);
        float gx = (x - BW / 2) * z / 60, gz = z * 3;
        float lx = std::fabs(gx - std::round(gx)), lz = std::fabs(gz - std::round(gz));
        float line = std::max(ag_clamp(1 - lx / (0.04f * z)), ag_clamp(1 - lz / (0.02f * z * z)));
        ag_rgba c = ag_mix(ag_hex(0x0C0418), ag_hex(0x2A0A40), depth);
        c = ag_mix(c, ag_hex(0xFF40E0), ag_clamp(line) * ag_clamp(depth * 3));
        return ag_mix(c, ag_hex(0xFF80C0), ag_clamp(1 - depth * 8) * 0.6f);
    });
    stars(img, 22, 120, horizon * 0.5f, 0.6f);
    return img;
}

ag_image under_sea()
{
    ag_image img = ag_image_make(BW, BH);
    each(img, [](float x, float y) {
        const ag_rgba water[] = {ag_hex(0x40C8D8), ag_hex(0x107890), ag_hex(0x043048), ag_hex(0x021420)};
        ag_rgba c = vgrad(water, 4, y / BH);
        // Caustics: bright where two cells meet.
        float second;
        float d1 = ag_cells(x / 48 + ag_fbm(x / 60, y / 60, 2, 3001) * 1.2f, y / 36, 3002, 0, &second);
        float caustic = ag_clamp(1 - (second - d1) * 6) * ag_clamp(1.2f - y / BH * 1.4f);
        c = ag_shade(c, caustic * 0.35f);
        // Shafts of light slanting down from the surface.
        float ray = std::sin((x + y * 0.35f) / 38) * std::sin((x + y * 0.35f) / 91 + 1.3f);
        c = ag_shade(c, ag_clamp(ray) * 0.18f * (1 - y / BH));
        // Kelp silhouettes and sand at the bottom.
        float sand = BH - 30 - 18 * ag_fbm(x / 80, 0.3f, 3, 3003);
        if (y > sand) c = ag_mix(ag_hex(0x1C3038), ag_hex(0x304848), ag_fbm(x / 6, y / 6, 2, 3004));
        for (int k = 0; k < 9; k++) {
            float kx = 40 + k * 71 + 20 * std::sin(k * 3.1f);
            float sway = std::sin(y / 40 + k) * 12 * (BH - y) / BH;
            float top = BH * (0.35f + 0.1f * (k % 3));
            if (y > top && std::fabs(x - kx - sway) < 5 * (y - top) / (BH - top) + 1.5f) c = ag_mix(c, ag_hex(0x0A2A20), 0.85f);
        }
        return c;
    });
    ag_rng r{33};
    for (int i = 0; i < 70; i++) {
        float bx = r.range(0, BW), by = r.range(40, BH - 40), br = r.range(1.5f, 6);
        for (int j = -8; j <= 8; j++)
            for (int k = -8; k <= 8; k++) {
                float d = std::hypot(static_cast<float>(k), static_cast<float>(j));
                float rim = ag_clamp(1 - std::fabs(d - br) / 1.2f) * 0.6f + (d < br ? 0.08f : 0);
                ag_add(img, static_cast<int>(bx) + k, static_cast<int>(by) + j, ag_rgb(0.8f, 1, 1), rim);
            }
    }
    return img;
}

ag_image volcano()
{
    ag_image img = ag_image_make(BW, BH);
    each(img, [](float x, float y) {
        const ag_rgba sky[] = {ag_hex(0x0A0406), ag_hex(0x301010), ag_hex(0x902810), ag_hex(0xFF7020)};
        float horizon = BH * 0.78f;
        ag_rgba c = vgrad(sky, 4, y / horizon);
        float smoke = ag_fbm(x / 120 + y / 300, y / 90, 6, 4001);
        c = ag_mix(c, ag_hex(0x1A1214), ag_smooth(0.4f, 0.75f, smoke) * 0.85f);
        // The cone with a glowing crater and lava rivers.
        float cone = BH * 0.42f + std::fabs(x - BW * 0.58f) * 0.75f - 40 * ag_fbm(x / 50, 1.5f, 3, 4002);
        if (y > cone) {
            c = ag_mix(ag_hex(0x140C0C), ag_hex(0x2A1A16), ag_fbm(x / 20, y / 20, 3, 4003));
            float river = std::fabs(x - BW * 0.58f - 60 * std::sin(y / 50) * (y - BH * 0.42f) / BH) - 3 - (y - cone) * 0.02f;
            if (river < 4) c = ag_mix(c, ag_hex(0xFFA020), ag_clamp(1 - river / 4));
        }
        float crater = std::hypot((x - BW * 0.58f) / 60, (y - BH * 0.42f) / 30);
        c = ag_mix(c, ag_hex(0xFF9030), ag_clamp(1 - crater) * 0.9f);
        float ground = BH * 0.86f - 25 * ag_fbm(x / 90, 2.5f, 4, 4004);
        if (y > ground) c = ag_mix(ag_hex(0x080404), ag_hex(0x401008), ag_clamp((y - ground) / 80) * ag_fbm(x / 15, y / 15, 3, 4005));
        return c;
    });
    ag_rng r{44};
    for (int i = 0; i < 160; i++) {
        float ex = r.range(BW * 0.3f, BW * 0.9f), ey = r.range(0, BH * 0.5f);
        float b = r.uniform();
        for (int j = -3; j <= 3; j++)
            for (int k = -3; k <= 3; k++)
                ag_add(img, static_cast<int>(ex) + k, static_cast<int>(ey) + j, ag_hex(0xFFC040), (0.3f + b * 0.7f) * ag_clamp(1 - std::hypot(static_cast<float>(k), static_cast<float>(j)) / (1 + b * 2)));
    }
    return img;
}

ag_image aurora()
{
    ag_image img = ag_image_make(BW, BH);
    each(img, [](float x, float y) {
        const ag_rgba sky[] = {ag_hex(0x020612), ag_hex(0x061830), ag_hex(0x0C2A40)};
        ag_rgba c = vgrad(sky, 3, y / (BH * 0.75f));
        for (int k = 0; k < 3; k++) {
            // Curtains: a wavy line with light hanging below it.
            float line = BH * (0.18f + 0.1f * k) + 40 * std::sin(x / (130 + 40 * k) + k * 2) + 25 * ag_fbm(x / 80, k * 3.0f, 3, 5001 + k);
            float below = y - line;
            float fade = below > 0 ? std::exp(-below / (60 + 30 * k)) : std::exp(below / 8);
            float streak = 0.6f + 0.4f * ag_fbm(x / 6, k * 1.7f, 2, 5010 + k);
            ag_rgba col = k == 1 ? ag_hex(0x60FFB0) : k == 0 ? ag_hex(0x30E080) : ag_hex(0xB060FF);
            c = ag_mix(c, col, ag_clamp(fade * streak * 0.75f));
        }
        // Snowy peaks in two layers.
        float far = ridge(x, BH * 0.82f, 150, 5020, 120);
        float near = ridge(x, BH * 0.98f, 120, 5021, 90);
        if (y > far) {
            float snow = ag_clamp((BH * 0.62f - y) / 60 + 0.8f - (y - far) / 70);
            float lit_side = ag_fbm(x / 25, y / 25, 3, 5022);
            c = ag_mix(ag_hex(0x142030), ag_hex(0xC8DCF0), ag_smooth(0.3f, 0.6f, snow * lit_side * 1.6f));
        }
        if (y > near) c = ag_mix(ag_hex(0x060C14), ag_hex(0x708CA8), ag_clamp(1 - (y - near) / 20) * 0.6f);
        return c;
    });
    stars(img, 55, 500, BH * 0.7f, 0.8f);
    return img;
}

ag_image circuit()
{
    ag_image img = ag_image_make(BW, BH);
    const int G = 20;
    each(img, [&](float x, float y) {
        ag_rgba c = ag_mix(ag_hex(0x040A14), ag_hex(0x0A1A28), ag_fbm(x / 200, y / 200, 3, 6001));
        int gx = static_cast<int>(x) / G, gy = static_cast<int>(y) / G;
        float lx = x - gx * G - G / 2.0f, ly = y - gy * G - G / 2.0f;
        uint32_t h = ag_hash(gx, gy, 6002);
        float trace = 1e9f;
        // Each grid node links right and/or down; a few links bend diagonally.
        if (h & 1) trace = std::min(trace, std::max(std::fabs(ly), -lx) - 1.2f);
        if (h & 2) trace = std::min(trace, std::max(std::fabs(lx), -ly) - 1.2f);
        uint32_t hl = ag_hash(gx - 1, gy, 6002), hu = ag_hash(gx, gy - 1, 6002);
        if (hl & 1) trace = std::min(trace, std::max(std::fabs(ly), lx) - 1.2f);
        if (hu & 2) trace = std::min(trace, std::max(std::fabs(lx), ly) - 1.2f);
        bool node = (h & 12) == 12;
        float pad = std::hypot(lx, ly) - 3.5f;
        bool chip = (ag_hash(gx / 4, gy / 4, 6003) & 15) == 0 && (gx % 4) != 0 && (gy % 4) != 0;
        float energy = ag_fbm(x / 90, y / 90, 3, 6004);
        ag_rgba glowc = ag_mix(ag_hex(0x0090C0), ag_hex(0x40FFE0), energy);
        if (chip) {
            c = ag_mix(ag_hex(0x101418), ag_hex(0x20262E), ag_fbm(x / 3, y / 3, 2, 6005));
            if (std::fmod(x, 6.0f) < 1 || std::fmod(y, 6.0f) < 1) c = ag_shade(c, 0.1f);
        } else {
            c = ag_mix(c, glowc, ag_cover(trace) * (0.4f + 0.6f * energy));
            c = ag_mix(c, glowc, ag_clamp(1 - trace / 5) * 0.15f);
            if (node) c = ag_mix(c, ag_hex(0xC0FFFF), ag_cover(pad) * energy);
        }
        return c;
    });
    return img;
}

ag_image desert()
{
    ag_image img = ag_image_make(BW, BH);
    each(img, [](float x, float y) {
        const ag_rgba sky[] = {ag_hex(0x281850), ag_hex(0x804070), ag_hex(0xF08060), ag_hex(0xFFC080)};
        ag_rgba c = vgrad(sky, 4, y / (BH * 0.6f));
        float moon = std::hypot(x - BW * 0.72f, y - BH * 0.22f);
        if (moon < 44) {
            float crater = ag_fbm(x / 14, y / 14, 3, 7001);
            c = ag_mix(ag_hex(0xFFF0D0), ag_hex(0xD8C8B0), ag_smooth(0.5f, 0.7f, crater));
        } else {
            c = ag_mix(c, ag_hex(0xFFE0C0), ag_clamp(1 - (moon - 44) / 90) * 0.4f);
        }
        // Three rows of dunes, nearer ones darker and larger.
        for (int k = 0; k < 3; k++) {
            float base = BH * (0.6f + 0.13f * k);
            float crest = base - (40 + 25 * k) * (0.5f + 0.5f * std::sin(x / (110 + 50 * k) + k * 1.7f)) - 15 * ag_fbm(x / 60, k * 5.0f, 3, 7010 + k);
            if (y > crest) {
                float slope = std::cos(x / (110 + 50 * k) + k * 1.7f);
                ag_rgba sand = k == 0 ? ag_hex(0xC07050) : k == 1 ? ag_hex(0x9A4C3C) : ag_hex(0x6A3028);
                c = ag_shade(sand, slope * 0.25f - (y - crest) / 900);
                float ripple = std::sin((y - crest) * 0.9f + x * 0.05f + 3 * ag_fbm(x / 30, y / 30, 2, 7020));
                c = ag_shade(c, ripple * 0.04f);
            }
        }
        return c;
    });
    stars(img, 77, 120, BH * 0.3f, 0.5f);
    return img;
}

ag_image storm()
{
    ag_image img = ag_image_make(BW, BH);
    each(img, [](float x, float y) {
        float n = ag_fbm(x / 160, y / 110, 6, 8001);
        float m = ag_fbm(x / 50 + 3, y / 40, 4, 8002);
        ag_rgba c = ag_mix(ag_hex(0x0C0C16), ag_hex(0x4A4A60), ag_smooth(0.3f, 0.75f, n));
        c = ag_mix(c, ag_hex(0x8880A8), ag_smooth(0.6f, 0.9f, n * 0.6f + m * 0.5f) * 0.6f);
        // Light behind the clouds around the strike.
        float flash = std::hypot(x - BW * 0.35f, y - BH * 0.25f);
        c = ag_shade(c, ag_clamp(1 - flash / 300) * 0.35f * n);
        float sea = BH * 0.8f;
        if (y > sea) {
            float wave = ag_fbm(x / 40, y / 6, 3, 8003);
            c = ag_mix(ag_hex(0x080A12), ag_hex(0x303848), wave * (1 - (y - sea) / (BH - sea) * 0.5f));
        }
        return c;
    });
    // The lightning bolt: a jagged walk down to the sea, with a forked branch.
    ag_rng r{88};
    auto bolt = [&](float x, float y, float end_y, float width) {
        while (y < end_y) {
            float nx = x + r.range(-14, 14), ny = y + r.range(8, 22);
            for (float t = 0; t < 1; t += 0.05f) {
                float px = x + (nx - x) * t, py = y + (ny - y) * t;
                for (int j = -8; j <= 8; j++)
                    for (int k = -8; k <= 8; k++) {
                        float d = std::hypot(static_cast<float>(k), static_cast<float>(j));
                        ag_add(img, static_cast<int>(px) + k, static_cast<int>(py) + j, ag_hex(0xC0C8FF), ag_clamp(1 - d / 8) * 0.06f);
                        if (d < width) ag_add(img, static_cast<int>(px) + k, static_cast<int>(py) + j, ag_rgb(1, 1, 1), 0.9f);
                    }
            }
            x = nx;
            y = ny;
        }
    };
    bolt(BW * 0.35f, BH * 0.2f, BH * 0.8f, 1.6f);
    bolt(BW * 0.3f, BH * 0.45f, BH * 0.65f, 0.9f);
    // Rain: long faint slanted streaks.
    for (int i = 0; i < 1400; i++) {
        float rx = r.range(-100, BW), ry = r.range(0, BH), len = r.range(10, 24);
        for (float t = 0; t < len; t += 1)
            ag_add(img, static_cast<int>(rx + t * 0.3f), static_cast<int>(ry + t), ag_hex(0xA0A8C0), 0.12f);
    }
    return img;
}

ag_image splash()
{
    ag_image img = ag_image_make(400, 200);
    each(img, [](float x, float y) {
        float n = ag_fbm(x / 90, y / 90, 5, 9001);
        ag_rgba c = ag_mix(ag_hex(0x040414), ag_hex(0x201048), y / 200);
        return ag_mix(c, ag_hex(0x3050C0), ag_smooth(0.5f, 0.8f, n) * 0.6f);
    });
    stars(img, 99, 160, 200, 0.7f);
    ag_mask m = ag_text_mask("DejaVuSans-Bold.ttf", "VELTRAMONDO", 46, 4);
    ag_mask halo = ag_mask_blur(ag_mask_dilate(m, 3), 3);
    ag_mask rim = ag_mask_dilate(m, 2);
    int ox = (img.w - m.w) / 2, oy = 50;
    for (int j = 0; j < m.h; j++)
        for (int i = 0; i < m.w; i++) {
            ag_add(img, ox + i, oy + j, ag_hex(0x40C0FF), halo.at(i, j));
            ag_blend(img, ox + i, oy + j, ag_hex(0x080C20), rim.at(i, j));
            float t = static_cast<float>(j) / m.h;
            ag_rgba c = t < 0.5f ? ag_mix(ag_hex(0xFFFFFF), ag_hex(0x7090D0), t * 2) : ag_mix(ag_hex(0x302040), ag_hex(0xF0B060), (t - 0.5f) * 2);
            ag_blend(img, ox + i, oy + j, c, m.at(i, j));
        }
    // A row of bricks under the title.
    const uint32_t cols[] = {0xE02828, 0xF0B020, 0x30B040, 0x28D0E0, 0x2850E0, 0xB030B0};
    for (int b = 0; b < 6; b++)
        for (int j = 0; j < 14; j++)
            for (int i = 0; i < 44; i++) {
                ag_rgba c = ag_hex(cols[b]);
                if (j < 3) c = ag_shade(c, 0.4f);
                if (j > 10 || i > 40) c = ag_shade(c, -0.4f);
                img.at(68 + b * 44 + i, 130 + j) = c;
            }
    return img;
}

int gen_backgrounds(const std::string &, const std::string &out)
{
    using maker = ag_image (*)();
    const maker moods[8] = {deep_space, synth_dusk, under_sea, volcano, aurora, circuit, desert, storm};
    int err = 0;
    for (int i = 0; i < 8; i++) err |= ag_write_png(out, "gfx\\backgrou\\" + std::to_string(i + 1) + ".png", moods[i]());
    err |= ag_write_png(out, "gfx\\splash.png", splash());
    return err;
}

} // namespace

AG_GENERATOR("backgrounds", gen_backgrounds);
