// assetgen drawing kit: float RGBA images, anti-aliased shapes from distance functions, tileable
// noise, colour helpers, FreeType glyph masks and the PNG writer shared by the art generators.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ---- types ----

struct ag_rgba {
    float r, g, b, a;
};

struct ag_image {
    int w = 0, h = 0;
    std::vector<ag_rgba> p;
    ag_rgba &at(int x, int y) { return p[static_cast<size_t>(y) * w + x]; }
    const ag_rgba &at(int x, int y) const { return p[static_cast<size_t>(y) * w + x]; }
};

// A coverage mask (0..1 per pixel), used for glyphs and shapes.
struct ag_mask {
    int w = 0, h = 0;
    std::vector<float> v;
    float at(int x, int y) const { return x < 0 || y < 0 || x >= w || y >= h ? 0.0f : v[static_cast<size_t>(y) * w + x]; }
};

// ---- colours ----

inline ag_rgba ag_rgb(float r, float g, float b, float a = 1.0f) { return {r, g, b, a}; }
inline ag_rgba ag_hex(uint32_t rgb, float a = 1.0f)
{
    return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, a};
}
inline float ag_clamp(float v, float lo = 0.0f, float hi = 1.0f) { return v < lo ? lo : (v > hi ? hi : v); }
inline float ag_smooth(float e0, float e1, float x)
{
    float t = ag_clamp((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}
inline ag_rgba ag_mix(ag_rgba a, ag_rgba b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
inline ag_rgba ag_scale(ag_rgba c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }
inline ag_rgba ag_alpha(ag_rgba c, float a) { return {c.r, c.g, c.b, a}; }
ag_rgba ag_hsv(float h, float s, float v, float a = 1.0f);
// Lightens towards white (k > 0) or darkens towards black (k < 0).
ag_rgba ag_shade(ag_rgba c, float k);

// ---- images ----

ag_image ag_image_make(int w, int h, ag_rgba fill = {0, 0, 0, 0});
// Source-over blend of c (straight alpha) scaled by coverage.
void ag_blend(ag_image &img, int x, int y, ag_rgba c, float coverage = 1.0f);
// Additive light: adds c * k to the colour and raises alpha.
void ag_add(ag_image &img, int x, int y, ag_rgba c, float k);
// Draws src onto dst with its top-left corner at (x, y).
void ag_paste(ag_image &dst, const ag_image &src, int x, int y);
// Nearest/box resample to a new size.
ag_image ag_resize(const ag_image &src, int w, int h);
ag_image ag_flip_x(const ag_image &src);

// ---- shapes (signed distances in pixels; negative inside) ----

float ag_sd_circle(float x, float y, float cx, float cy, float r);
float ag_sd_box(float x, float y, float cx, float cy, float hw, float hh, float radius);
float ag_sd_segment(float x, float y, float ax, float ay, float bx, float by, float r);
float ag_sd_ellipse(float x, float y, float cx, float cy, float rx, float ry);
// Anti-aliased coverage from a signed distance.
inline float ag_cover(float d) { return ag_clamp(0.5f - d); }

// ---- noise (deterministic, integer hashed) ----

uint32_t ag_hash(int x, int y, uint32_t seed);
float ag_rand01(int x, int y, uint32_t seed);
// Smooth value noise in 0..1; with period > 0 it tiles every `period` lattice cells.
float ag_noise(float x, float y, uint32_t seed, int period = 0);
// Fractal sum of `octaves` noise layers, normalised to 0..1.
float ag_fbm(float x, float y, int octaves, uint32_t seed, int period = 0);
// Cellular (Worley) distance to the nearest feature point, tiling every `period` cells when > 0.
float ag_cells(float x, float y, uint32_t seed, int period, float *second = nullptr, uint32_t *id = nullptr);

// A small deterministic generator for scattering things (stars, sparks).
struct ag_rng {
    uint64_t s;
    uint32_t next();
    float uniform() { return (next() >> 8) * (1.0f / 16777216.0f); }
    float range(float a, float b) { return a + (b - a) * uniform(); }
};

// ---- glyphs (FreeType, DejaVu) ----

// Renders text in the named DejaVu face (e.g. "DejaVuSans-Bold.ttf") at pixel height px into a mask
// just large enough to hold it, plus a margin. Returns an empty mask on failure (after a message).
// When baseline is given it receives the row of the text's baseline inside the mask.
ag_mask ag_text_mask(const char *face, const std::string &text, int px, int margin, int *baseline = nullptr);
// Grows (r > 0) a mask by r pixels with a soft edge; used for outlines and glows.
ag_mask ag_mask_dilate(const ag_mask &m, float r);
ag_mask ag_mask_blur(const ag_mask &m, int r);

// ---- output ----

// PNG bytes: 8-bit RGB when every pixel is opaque, else 8-bit RGBA; no interlace.
std::vector<uint8_t> ag_png_encode(const ag_image &img);
// Writes a PNG under its game name and remembers it for the contact sheets (group = folder).
int ag_write_png(const std::string &out, const std::string &game_name, const ag_image &img);

// A shader gives the colour and coverage (0..1) of a point; ag_paint runs it at the centre of
// every pixel and blends what it covers.
using ag_shader = std::function<void(float x, float y, ag_rgba &out, float &cover)>;
void ag_paint(ag_image &img, const ag_shader &fn);

// Writes pictures into one game folder (e.g. "gfx\\sprites\\"), remembering whether any failed.
struct ag_png_writer {
    const std::string &out;
    std::string folder;
    int err = 0;
    void one(const std::string &name, const ag_image &img);
    // Frames prefix00, prefix01, ... made by `make(frame)`.
    void frames(const std::string &prefix, int n, const std::function<ag_image(int)> &make);
};

struct ag_sheet_entry {
    std::string group;
    std::string name;
    ag_image img;
};
// Every PNG written in this run, in writing order (read by the contact-sheet generator).
std::vector<ag_sheet_entry> &ag_sheet_entries();
