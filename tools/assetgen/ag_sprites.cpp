// assetgen generator "sprites": every sprite picture of the brick world: paddles and the paddle
// shadow, balls, shots, the four enemy families with their moving parts, bonus capsules, floating
// score signs, the menu highlight, the title logo, the score and lives words, the sprite alphabet
// and the scenery sprites. Animated sprites are written as numbered frames "<prefix>NN.png",
// which the world definition reads with its numbered-sequence lines.
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_art.h"
#include "tools/assetgen/ag_draw.h"

#include <array>
#include <cstring>
#include <functional>

namespace {

// ---- helpers ----

constexpr float PI = 3.14159265f;

// A lit sphere of radius r: light from the upper left, with a specular spot.
ag_rgba sphere_colour(ag_rgba base, float dx, float dy, float r)
{
    float nx = dx / r, ny = dy / r;
    float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
    float diff = ag_clamp(-0.45f * nx - 0.5f * ny + 0.74f * nz);
    float spec = std::pow(ag_clamp(-0.35f * nx - 0.45f * ny + 0.82f * nz), 30.0f);
    ag_rgba c = ag_scale(base, 0.25f + 0.85f * diff);
    return ag_shade(c, spec * 0.8f);
}

void sphere(ag_image &img, float cx, float cy, float r, ag_rgba base)
{
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(ag_sd_circle(x, y, cx, cy, r));
        if (cov > 0) c = sphere_colour(base, x - cx, y - cy, r);
    });
}

void glow(ag_image &img, float cx, float cy, float r, ag_rgba colour, float strength)
{
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / r;
            if (d < 1) ag_add(img, x, y, colour, strength * (1 - d) * (1 - d));
        }
}

// A dark rim around everything drawn so far: keeps small sprites readable on any floor.
void outline(ag_image &img, ag_rgba colour, float r)
{
    ag_mask m;
    m.w = img.w;
    m.h = img.h;
    m.v.resize(img.p.size());
    for (size_t i = 0; i < img.p.size(); i++) m.v[i] = img.p[i].a;
    ag_mask grown = ag_mask_dilate(m, r);
    ag_image under = ag_image_make(img.w, img.h);
    for (size_t i = 0; i < img.p.size(); i++) under.p[i] = ag_alpha(colour, grown.v[i] * colour.a);
    ag_paste(under, img, 0, 0);
    img = under;
}

// Draws a mask in a vertical gradient with an outline, its top-left corner at (x, y).
void text_fill(ag_image &img, const ag_mask &m, int x, int y, ag_rgba top, ag_rgba bottom, ag_rgba rim, float rim_r)
{
    ag_mask grown = ag_mask_dilate(m, rim_r);
    for (int j = 0; j < m.h; j++)
        for (int i = 0; i < m.w; i++) ag_blend(img, x + i, y + j, rim, grown.at(i, j));
    for (int j = 0; j < m.h; j++)
        for (int i = 0; i < m.w; i++) {
            float t = m.h > 1 ? static_cast<float>(j) / (m.h - 1) : 0;
            ag_blend(img, x + i, y + j, ag_mix(top, bottom, t), m.at(i, j));
        }
}

// Centres a text mask in an image.
void text_centred(ag_image &img, const char *face, const std::string &text, int px, ag_rgba top, ag_rgba bottom, ag_rgba rim, float rim_r, int dy = 0)
{
    ag_mask m = ag_text_mask(face, text, px, static_cast<int>(rim_r) + 1);
    if (m.w > img.w - 2) {
        // Too wide: squeeze horizontally.
        ag_mask s;
        s.w = img.w - 2;
        s.h = m.h;
        s.v.resize(static_cast<size_t>(s.w) * s.h);
        for (int j = 0; j < s.h; j++)
            for (int i = 0; i < s.w; i++) {
                float sx = (i + 0.5f) * m.w / s.w;
                s.v[static_cast<size_t>(j) * s.w + i] = m.at(static_cast<int>(sx), j);
            }
        m = s;
    }
    text_fill(img, m, (img.w - m.w) / 2, (img.h - m.h) / 2 + dy, top, bottom, rim, rim_r);
}

// ---- paddles ----

// style: 1 player, 2 follower (ghost), 3 weapon, 4 catch, 5 sweeper.
ag_image paddle(int style, int frame)
{
    const int W = 96, H = 24;
    ag_image img = ag_image_make(W, H);
    static const uint32_t body[6] = {0, 0xB8C4D8, 0xF0A040, 0xC8B8B8, 0xA8C8A8, 0xB8A8D8};
    static const uint32_t accent[6] = {0, 0x30A0FF, 0xFFB030, 0xFF3020, 0x40FF60, 0xC060FF};
    float pulse = 0.6f + 0.4f * std::cos(frame * PI / 2);
    const float cy = 15, r = 7.5f;
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(ag_sd_segment(x, y, 10, cy, W - 10, cy, r));
        if (cov <= 0) return;
        float t = (y - cy) / r;
        // Chrome ramp across the capsule: sky reflection above, dark horizon, ground bounce below.
        float k = t < -0.2f ? 1.1f - 0.3f * (t + 1) : t < 0.15f ? 0.45f : 0.55f + 0.4f * (t - 0.15f);
        c = ag_scale(ag_hex(body[style]), k);
        float end = std::min(x - 2, W - 2 - x);
        if (end < 14) {
            ag_rgba a = ag_hex(accent[style]);
            c = ag_mix(c, ag_shade(a, 0.3f * pulse - 0.15f * std::fabs(t)), 0.85f);
            if (end > 12) c = ag_shade(c, -0.5f);
        }
        if (std::fabs(t) < 0.12f && end >= 14) c = ag_mix(c, ag_hex(accent[style]), 0.5f * pulse);
    });
    if (style == 3) {
        // Twin cannons above the body.
        for (float gx : {26.0f, W - 26.0f})
            ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
                cov = ag_cover(ag_sd_box(x, y, gx, 5.5f, 3, 5, 1));
                c = ag_shade(ag_hex(0x707888), (gx - x) * 0.08f);
                if (y < 2.5f) c = ag_hex(0xFF6040);
            });
    }
    if (style == 4) {
        // Sticky goo along the top with drips that sway.
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            float top = cy - r + 1.5f + 1.2f * std::sin(x * 0.35f + frame * PI / 2);
            float d = std::max(top - 2.5f - y, y - (cy - r + 4.5f));
            cov = x > 14 && x < W - 14 ? ag_cover(d) : 0;
            c = ag_hex(0x70FF70, 0.9f);
        });
    }
    glow(img, 8, cy, 8 + 3 * pulse, ag_hex(accent[style]), 0.5f);
    glow(img, W - 8, cy, 8 + 3 * pulse, ag_hex(accent[style]), 0.5f);
    outline(img, ag_hex(0x101018, 0.8f), 1.0f);
    if (style == 2) {
        for (ag_rgba &p : img.p) p.a *= 0.85f;
    }
    return img;
}

ag_image paddle_shadow()
{
    ag_image img = ag_image_make(64, 16);
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        float d = std::hypot((x - 32) / 30, (y - 8) / 6);
        cov = ag_clamp(1.2f - d) * 0.9f;
        c = ag_rgb(0, 0, 0);
    });
    return img;
}

// ---- balls and shots ----

ag_image ball(bool weak, int frame)
{
    const int S = 32;
    ag_image img = ag_image_make(S, S);
    float ph = frame * 2 * PI / 8;
    if (!weak) {
        // A bright core in a dark ring inside a strong halo: it reads on light and dark floors
        // alike and stays visible at the far rows.
        glow(img, 16, 16, 16.0f, ag_hex(0x40C0FF), 0.95f + 0.05f * std::sin(ph));
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            cov = ag_cover(ag_sd_circle(x, y, 16, 16, 11.0f)) * 0.85f;
            c = ag_hex(0x0A1830);
        });
        sphere(img, 16, 16, 9.0f, ag_hex(0xFFF6D8));
        // A glint that rotates around the rim.
        float gx = 16 + 8 * std::cos(ph), gy = 16 + 8 * std::sin(ph);
        glow(img, gx, gy, 4, ag_rgb(1, 1, 1), 0.9f);
    } else {
        glow(img, 16, 16, 14, ag_hex(0xFF4020), 0.25f + 0.2f * (frame % 2));
        sphere(img, 16, 16, 9.5f, ag_hex(0x8A8078));
        // Cracks in the shell.
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            float d = std::min(std::min(ag_sd_segment(x, y, 10, 12, 16, 17, 0.6f), ag_sd_segment(x, y, 16, 17, 14, 24, 0.6f)),
                               ag_sd_segment(x, y, 16, 17, 23, 14, 0.6f));
            cov = ag_cover(d) * (ag_sd_circle(x, y, 16, 16, 9) < 0 ? 1.0f : 0.0f);
            c = ag_hex(0xFF5020);
        });
    }
    return img;
}

ag_image shot(bool volley, int frame)
{
    const int W = 16, H = 32;
    ag_image img = ag_image_make(W, H);
    ag_rgba col = volley ? ag_hex(0x40A0FF) : ag_hex(0xFF5020);
    float flick = 0.8f + 0.2f * ((frame * 3) % 4) / 3.0f;
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        float d = ag_sd_segment(x, y, 8, 6, 8, 26, volley ? 4.5f : 3.5f);
        cov = ag_clamp(0.8f - d / 4) * flick;
        c = col;
    });
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(ag_sd_segment(x, y, 8, 7, 8, 25, volley ? 2.0f : 1.5f));
        c = ag_shade(col, 0.8f);
    });
    if (volley) glow(img, 8, 8 + frame * 4.0f, 5, ag_rgb(1, 1, 1), 0.8f);
    return img;
}

// ---- enemies (32 x 32, eight frames, moving parts) ----

ag_rgba enemy_colour(int type, int variant)
{
    static const float hues[4] = {190, 20, 290, 110};
    return ag_hsv(hues[type - 1] + variant * 47.0f, 0.65f, 0.95f);
}

ag_image enemy(int type, int variant, int frame)
{
    const int S = 32;
    ag_image img = ag_image_make(S, S);
    ag_rgba col = enemy_colour(type, variant);
    ag_rgba dark = ag_shade(col, -0.55f);
    float ph = frame * 2 * PI / 8;
    if (type == 1) {
        // Orbiter: an eye in a shell with three satellites circling on a tilted ring.
        for (int pass = 0; pass < 2; pass++)
            for (int k = 0; k < 3; k++) {
                float a = ph + k * 2 * PI / 3;
                bool behind = std::sin(a) < 0;
                if (behind != (pass == 0)) continue;
                sphere(img, 16 + 12 * std::cos(a), 16 + 4.5f * std::sin(a), 3.2f, ag_shade(col, 0.3f));
                if (pass == 0) sphere(img, 16, 16, 8.5f, col);
            }
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            cov = ag_cover(ag_sd_ellipse(x, y, 16, 16, 4.5f, 3.2f + 0.8f * std::cos(ph * 2)));
            c = ag_rgb(1, 1, 1);
        });
        sphere(img, 16 + std::cos(ph) * 1.5f, 16, 1.8f, ag_hex(0x101020));
    } else if (type == 2) {
        // Crawler: a beetle whose six legs step in two tripods and whose pincers snap.
        for (int side : {-1, 1})
            for (int k = 0; k < 3; k++) {
                bool tripod = ((k + (side > 0 ? 1 : 0)) % 2) == 0;
                float swing = std::sin(ph + (tripod ? 0 : PI)) * 3;
                float ax = 16 + side * 5.0f, ay = 13 + k * 5.0f;
                float kx = 16 + side * 11.0f, ky = 10 + k * 6.0f + swing * 0.5f;
                float fx = 16 + side * 14.0f, fy = 15 + k * 6.0f + swing;
                ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
                    float d = std::min(ag_sd_segment(x, y, ax, ay, kx, ky, 1.2f), ag_sd_segment(x, y, kx, ky, fx, fy, 1.0f));
                    cov = ag_cover(d);
                    c = dark;
                });
            }
        float snap = 2.5f + 2.0f * std::sin(ph * 2);
        for (int side : {-1, 1})
            ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
                float d = std::min(ag_sd_segment(x, y, 16 + side * 3.0f, 8, 16 + side * snap, 2, 1.4f), ag_sd_segment(x, y, 16 + side * snap, 2, 16 + side * (snap - 2.5f), 1, 1.1f));
                cov = ag_cover(d);
                c = ag_shade(col, -0.2f);
            });
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            cov = ag_cover(ag_sd_ellipse(x, y, 16, 17, 7.5f, 10));
            float nx = (x - 16) / 7.5f, ny = (y - 17) / 10;
            c = sphere_colour(col, nx * 7.5f, ny * 7.5f, 8.0f);
            if (std::fabs(x - 16) < 0.6f && y > 11) c = dark; // wing seam
        });
        sphere(img, 13, 9, 1.6f, ag_hex(0xFFF060));
        sphere(img, 19, 9, 1.6f, ag_hex(0xFFF060));
    } else if (type == 3) {
        // Jelly: a pulsing bell trailing waving tentacles.
        float pulse = 1 + 0.12f * std::sin(ph);
        for (int k = 0; k < 5; k++) {
            float bx = 8 + k * 4.0f;
            ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
                if (y < 14 || y > 31) return;
                float wave = std::sin(y * 0.45f - ph * 1.0f + k) * 2.2f * (y - 14) / 17;
                float d = std::fabs(x - bx - wave) - 1.0f + (y - 14) / 30.0f;
                cov = ag_cover(d) * ag_clamp((31 - y) / 6);
                c = ag_shade(col, 0.2f);
                c.a = 0.85f;
            });
        }
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            float rx = 12 * pulse, ry = 10 / pulse;
            float d = std::max(ag_sd_ellipse(x, y, 16, 15, rx, ry), y - 15.5f);
            cov = ag_cover(d);
            float t = ag_clamp((y - 5) / 10);
            c = ag_mix(ag_shade(col, 0.45f), col, t);
            c.a = 0.9f;
        });
        glow(img, 16, 10, 7, ag_rgb(1, 1, 1), 0.45f + 0.25f * std::sin(ph));
    } else {
        // Spinner: a faceted core with a rotor on top and a blinking eye.
        float blade = std::cos(ph * 2);
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            float d = ag_sd_box(x, y, 16, 5, 13 * std::fabs(blade) + 1.5f, 1.3f, 1.2f);
            cov = ag_cover(d);
            c = ag_hex(0xC8CCD8);
        });
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            cov = ag_cover(ag_sd_box(x, y, 16, 8, 1.5f, 3, 0.5f));
            c = ag_hex(0x606878);
        });
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            float dx = x - 16, dy = y - 19;
            float d = (std::fabs(dx) + std::fabs(dy)) / 1.41f - 8.5f;
            cov = ag_cover(d);
            float facet = dx < 0 ? (dy < 0 ? 0.35f : 0.0f) : (dy < 0 ? 0.1f : -0.35f);
            c = ag_shade(col, facet);
        });
        bool open = frame % 4 != 3;
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            cov = ag_cover(ag_sd_ellipse(x, y, 16, 19, 3.5f, open ? 2.8f : 0.6f));
            c = ag_hex(0xFF2020);
        });
        if (open) glow(img, 16, 19, 6, ag_hex(0xFF4040), 0.6f);
    }
    outline(img, ag_hex(0x080810, 0.85f), 1.0f);
    return img;
}

// ---- bonus capsules ----

struct bonus_look {
    const char *label;
    uint32_t colour;
};

const std::array<bonus_look, 16> BONUSES = {{
    {"D", 0x20C8E0},   // 80 follower paddle
    {"L", 0xF04020},   // 81 weapon
    {"3", 0x3068F0},   // 82 three balls
    {"10", 0x2040C0},  // 83 ten balls
    {"C", 0x30C040},   // 84 catch
    {"V", 0xF08020},   // 85 volley
    {"F", 0xE8D020},   // 86 fast paddle
    {"W", 0x707070},   // 87 weak balls (a bad one: grey)
    {"Z", 0x9040E0},   // 88 far view
    {"1K", 0xD8A820},  // 89 1000 points
    {"2K5", 0xE09018}, // 90 2500 points
    {"10K", 0xF06010}, // 91 10000 points
    {"X", 0xE02080},   // 92 enemies destroyed
    {"*", 0x80D8FF},   // 93 enemies frozen
    {"S", 0xB060F0},   // 94 sweeping paddle
    {"1UP", 0xF05080}, // 95 extra life
}};

ag_image bonus(int index, int frame)
{
    const int W = 48, H = 24;
    ag_image img = ag_image_make(W, H);
    ag_rgba col = ag_hex(BONUSES[index].colour);
    // The capsule turns: a bright band slides across it.
    float band = -10 + frame * (W + 20) / 6.0f;
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(ag_sd_segment(x, y, 12, 12, W - 12, 12, 10));
        float t = (y - 12) / 10;
        float k = 1.15f - 0.55f * (t + 1) * 0.5f - (t > 0.6f ? 0.2f : 0.0f);
        c = ag_scale(col, k);
        if (t < -0.5f) c = ag_shade(c, 0.35f * (-0.5f - t) * 2);
        float b = std::fabs(x - band - (y - 12) * 0.5f);
        c = ag_shade(c, ag_clamp(1 - b / 5) * 0.5f);
        // End caps in metal.
        if (x < 9 || x > W - 9) c = ag_shade(ag_hex(0xB0B8C8), -0.3f * (t + 1) * 0.5f + (t < -0.4f ? 0.3f : 0.0f));
    });
    text_centred(img, "DejaVuSans-Bold.ttf", BONUSES[index].label, BONUSES[index].label[1] ? 15 : 17, ag_rgb(1, 1, 1), ag_rgb(0.85f, 0.9f, 1), ag_hex(0x101018), 1.3f, 1);
    outline(img, ag_hex(0x080810, 0.9f), 1.0f);
    return img;
}

// ---- texts: signs, words, logo, alphabet ----

ag_image sign(const char *text, uint32_t colour, int frame)
{
    ag_image img = ag_image_make(64, 24);
    ag_rgba c = ag_hex(colour);
    ag_rgba top = ag_shade(c, 0.6f + 0.2f * std::sin(frame * PI / 2));
    text_centred(img, "DejaVuSans-Bold.ttf", text, 18, top, ag_shade(c, -0.1f), ag_hex(0x200808), 1.6f);
    return img;
}

ag_image word(const char *text, int w, int h, int px)
{
    ag_image img = ag_image_make(w, h);
    text_centred(img, "DejaVuSans-Bold.ttf", text, px, ag_hex(0xFFF4C0), ag_hex(0xE09020), ag_hex(0x301000), 1.6f);
    return img;
}

ag_image logo()
{
    ag_image img = ag_image_make(256, 64);
    glow(img, 128, 34, 110, ag_hex(0x4060FF), 0.35f);
    // The largest size that fits the picture with room for the glow.
    ag_mask m;
    for (int px = 40; px >= 12; px -= 2) {
        m = ag_text_mask("DejaVuSans-Bold.ttf", "VELTRAMONDO", px, 3);
        if (m.w <= img.w - 12 && m.h <= img.h - 8) break;
    }
    ag_mask halo = ag_mask_blur(ag_mask_dilate(m, 2.5f), 2);
    int ox = (img.w - m.w) / 2, oy = (img.h - m.h) / 2;
    for (int j = 0; j < m.h; j++)
        for (int i = 0; i < m.w; i++) ag_add(img, ox + i, oy + j, ag_hex(0x40C0FF), halo.at(i, j));
    // Chrome letters: sky above the middle line, dark horizon, warm ground below.
    ag_mask rim = ag_mask_dilate(m, 1.5f);
    for (int j = 0; j < m.h; j++)
        for (int i = 0; i < m.w; i++) {
            ag_blend(img, ox + i, oy + j, ag_hex(0x080C20), rim.at(i, j));
            float t = static_cast<float>(j) / m.h;
            ag_rgba c = t < 0.5f ? ag_mix(ag_hex(0xFFFFFF), ag_hex(0x7090D0), t * 2) : ag_mix(ag_hex(0x302040), ag_hex(0xF0B060), (t - 0.5f) * 2);
            ag_blend(img, ox + i, oy + j, c, m.at(i, j));
        }
    return img;
}

ag_image menu_highlight()
{
    ag_image img = ag_image_make(128, 16);
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        float d = ag_sd_box(x, y, 64, 8, 62, 6.5f, 6);
        cov = ag_cover(d);
        float t = std::fabs(y - 8) / 7;
        c = ag_mix(ag_hex(0x60C0FF), ag_hex(0x1030A0), t);
        c.a = 0.75f - 0.3f * std::fabs(x - 64) / 64;
    });
    return img;
}

// The dark panel behind the menu and the high-score table: drawn stretched, so its edge is a soft
// fade rather than a corner shape.
ag_image panel()
{
    constexpr float S = 128;
    ag_image img = ag_image_make(128, 128);
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        float edge = std::min(std::min(x, S - x), std::min(y, S - y));
        cov = 1;
        c = ag_hex(0x060A18);
        c.a = 0.82f * ag_clamp(edge / 3);
    });
    return img;
}

ag_image life_icon()
{
    ag_image img = ag_image_make(32, 16);
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(ag_sd_segment(x, y, 6, 9, 26, 9, 4.5f));
        float t = (y - 9) / 4.5f;
        c = ag_scale(ag_hex(0xB8C4D8), t < -0.2f ? 1.1f : t < 0.2f ? 0.5f : 0.75f);
        if (x < 9 || x > 23) c = ag_hex(0x30A0FF);
    });
    outline(img, ag_hex(0x101018, 0.9f), 1.0f);
    return img;
}

// Sprite alphabet: the character that each of sprites 200..287 shows (Latin-1 bytes), or 0 for
// the blank space glyph.
std::vector<int> alphabet()
{
    std::vector<int> chars;
    for (int c = 'A'; c <= 'Z'; c++) chars.push_back(c);
    for (int c = '0'; c <= '9'; c++) chars.push_back(c);
    const int rest[] = {0, '-', 255, '!', '#', '$', '%', '&', '\'', '(', ')', '@', '*', '\\', ':', ',', '=', '/', '+', '?', '"', ';', '.', 199, 213, 195, 201, 205, 218, 193};
    for (int c : rest) chars.push_back(c);
    // Sprites 266-287: the other letters and signs the six languages' messages use.
    const int more[] = {192, 194, 196, 200, 202, 203, 204, 206, 207, 209, 210, 211, 212, 214, 217, 219, 220, 223, 161, 191, 170, 186};
    for (int c : more) chars.push_back(c);
    return chars;
}

ag_image letter(int ch)
{
    ag_image img = ag_image_make(32, 32);
    if (ch == 0) return img;
    std::string s(1, static_cast<char>(ch));
    int base = 0;
    ag_mask m = ag_text_mask("DejaVuSans-Bold.ttf", s, 24, 2, &base);
    // Every glyph sits on the same baseline, five pixels above the bottom.
    int y = 27 - base;
    // Pale metal fill so that the tints of the colour codes show through.
    text_fill(img, m, (32 - m.w) / 2, y, ag_hex(0xFFFFFF), ag_hex(0xC8CCD8), ag_hex(0x101020), 1.5f);
    return img;
}

// ---- scenery sprites ----

ag_image beacon(int frame)
{
    ag_image img = ag_image_make(32, 64);
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(std::max(ag_sd_box(x, y, 16, 40, 3.5f, 24, 1), -ag_sd_box(x, y, 16, 40, 3.5f, 24, 1) - 30));
        c = sphere_colour(ag_hex(0x707888), (x - 16) * 2, 0, 8);
    });
    float b = 0.5f + 0.5f * std::cos(frame * 2 * PI / 6);
    glow(img, 16, 12, 15, ag_hex(0xFF9030), 0.3f + 0.6f * b);
    sphere(img, 16, 12, 4.5f, ag_mix(ag_hex(0x804010), ag_hex(0xFFE0A0), b));
    return img;
}

ag_image crystal(int frame)
{
    ag_image img = ag_image_make(32, 48);
    float turn = std::cos(frame * 2 * PI / 8);
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        float w = 10 * (1 - std::fabs(y - 24) / 22);
        float d = std::fabs(x - 16) - w;
        cov = ag_cover(std::max(d, std::fabs(y - 24) - 22));
        float side = (x - 16) / std::max(w, 0.5f);
        float facet = side < turn * 0.6f ? 0.35f : -0.15f;
        c = ag_shade(ag_hex(0x50E0C0), facet + (y < 24 ? 0.1f : -0.1f));
        c.a = 0.9f;
    });
    glow(img, 16, 24, 16, ag_hex(0x80FFE0), 0.35f);
    return img;
}

ag_image drone(int frame)
{
    ag_image img = ag_image_make(48, 32);
    float ph = frame * 2 * PI / 6;
    for (float rx : {8.0f, 40.0f})
        ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
            cov = ag_cover(ag_sd_box(x, y, rx, 6, 7 * std::fabs(std::cos(ph + rx)) + 1, 1, 1));
            c = ag_hex(0xD0D8E0, 0.8f);
        });
    ag_paint(img, [&](float x, float y, ag_rgba &c, float &cov) {
        cov = ag_cover(std::min(ag_sd_segment(x, y, 8, 8, 40, 8, 1.5f), ag_sd_box(x, y, 24, 16, 10, 6, 4)));
        c = sphere_colour(ag_hex(0x8090A8), (x - 24) / 2, (y - 14), 8);
    });
    glow(img, 24, 24, 7, ag_hex(0x40FF80), 0.5f + 0.4f * std::sin(ph));
    outline(img, ag_hex(0x080810, 0.8f), 1.0f);
    return img;
}

ag_image wisp(int frame)
{
    ag_image img = ag_image_make(32, 32);
    float ph = frame * 2 * PI / 6;
    glow(img, 16, 16, 15, ag_hex(0xFFE070), 0.5f + 0.2f * std::sin(ph));
    for (int k = 0; k < 4; k++) {
        float a = ph + k * PI / 2;
        glow(img, 16 + 6 * std::cos(a), 16 + 6 * std::sin(a), 4, ag_rgb(1, 1, 0.9f), 0.6f);
    }
    glow(img, 16, 16, 5, ag_rgb(1, 1, 1), 1.0f);
    return img;
}

// ---- generator ----

int gen_sprites(const std::string &, const std::string &out)
{
    ag_png_writer w{out, "gfx\\sprites\\"};
    for (int s = 1; s <= 5; s++) w.frames("pad" + std::to_string(s) + "_", 4, [&](int f) { return paddle(s, f); });
    w.one("pshadow", paddle_shadow());
    w.frames("ball_", 8, [](int f) { return ball(false, f); });
    w.frames("wball_", 8, [](int f) { return ball(true, f); });
    w.frames("shot_", 4, [](int f) { return shot(false, f); });
    w.frames("volley_", 4, [](int f) { return shot(true, f); });
    for (int t = 1; t <= 4; t++)
        for (int v = 0; v < 5; v++) w.frames("en" + std::to_string(t) + std::to_string(v) + "_", 8, [&](int f) { return enemy(t, v, f); });
    for (int b = 0; b < 16; b++) w.frames("bon" + std::to_string(80 + b) + "_", 6, [&](int f) { return bonus(b, f); });
    w.frames("sg1k_", 4, [](int f) { return sign("1000", 0xFFC020, f); });
    w.frames("sg2k5_", 4, [](int f) { return sign("2500", 0xFF7020, f); });
    w.frames("sg10k_", 4, [](int f) { return sign("10000", 0xFF40D0, f); });
    w.one("hilite", menu_highlight());
    w.one("logo", logo());
    w.one("life", life_icon());
    w.one("wlives", word("LIVES", 64, 20, 15));
    w.one("wscore", word("SCORE", 64, 20, 15));
    w.one("panel", panel());
    // The score and lives words of the six languages; six letters take a wider picture.
    const struct {
        const char *code, *score, *lives;
    } words[] = {{"en", "SCORE", "LIVES"}, {"de", "PUNKTE", "LEBEN"}, {"es", "PUNTOS", "VIDAS"},
                 {"fr", "SCORE", "VIES"},  {"it", "PUNTI", "VITE"},   {"pt", "PONTOS", "VIDAS"}};
    for (const auto &l : words) {
        w.one(std::string("wscore_") + l.code, word(l.score, std::strlen(l.score) > 5 ? 76 : 64, 20, 15));
        w.one(std::string("wlives_") + l.code, word(l.lives, 64, 20, 15));
    }
    std::vector<int> chars = alphabet();
    for (size_t i = 0; i < chars.size(); i++) w.one("ch" + std::to_string(200 + i), letter(chars[i]));
    w.frames("beacon_", 6, beacon);
    w.frames("crystal_", 8, crystal);
    w.frames("drone_", 6, drone);
    w.frames("wisp_", 6, wisp);
    return w.err;
}

} // namespace

AG_GENERATOR("sprites", gen_sprites);

ag_image ag_art_paddle()
{
    return paddle(1, 0);
}

ag_image ag_art_ball()
{
    return ball(false, 0);
}
