// Objects as upright sprites: draw_object with its clip window and mirrored texture coordinates,
// over only the visible part of their texture; and the overlays drawn through the scratch object:
// screen sprites and sprite text.
#include "world/world_render.h"
#include "world/world_render_local.h"

#include "gen/gen_bit.h"
#include "world/world.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float TEX_MAX = 0.99f;
// Pixels a side from which a sprite's one-coloured middle is drawn flat: below it the four more
// quads around it cost more than the sampling they save.
constexpr double CORE_SIDE_MIN = 32.0;

double clampd(double v, double lo, double hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int draw_object(const WORLD_OBJECT *object, double cam_x, double cam_y, double cam_z, double left, double right,
                double bottom, double top, uint32_t code)
{
    if (!object) return 0;
    const double dist = cam_z - object->z;
    if (!(dist >= WORLD_NEAR)) return 0;
    const double fx = world_view.focal_x, fy = world_view.focal_y;
    const double cx = world_view.center_x, cy = world_view.horizon;
    // The sprite: its bottom edge at the object's altitude, centred on its x.
    const double sh = object->height * fy / dist;
    const double sw = std::trunc(object->width * fx / dist);
    const double sl = std::trunc((object->x - cam_x) * fx / dist) - std::trunc(sw / 2) + cx;
    const double st = cy - std::trunc((object->y - cam_y) * fy / dist) - sh;
    if (sw <= 0.0 || sh <= 0.0) return 0;
    // The clip window, projected at the object's distance and kept on the screen.
    const double W = world_view.width, H = world_view.height;
    double wl = clampd(std::trunc((left - cam_x) * fx / dist) + cx, 0.0, W);
    double wr = clampd(std::trunc((right - cam_x) * fx / dist) + cx, 0.0, W);
    double wt = clampd(cy - std::trunc((top - cam_y) * fy / dist), 0.0, H);
    double wb = clampd(cy - std::trunc((bottom - cam_y) * fy / dist), 0.0, H);
    double x0 = std::max(sl, wl), x1 = std::min(sl + sw, wr);
    double y0 = std::max(st, wt), y1 = std::min(st + sh, wb);
    if (x0 >= x1 || y0 >= y1) return 0;

    const int16_t bitmap = object->sprite_bitmap;
    if (!world_sprite_bitmaps || bitmap < 0 || bitmap >= WORLD_SPRITE_BITMAPS) return 0;
    const uint32_t texture = world_sprite_bitmaps[bitmap].texture;
    // Where the part p0..p1 of the texture (0..1 across) falls along an edge from `start`, `size`
    // long; mirrored textures run backwards.
    auto span = [](double start, double size, float p0, float p1, bool mirror, double *lo, double *hi) {
        const double a = mirror ? TEX_MAX - p1 : p0, b = mirror ? TEX_MAX - p0 : p1;
        *lo = start + a / TEX_MAX * size, *hi = start + b / TEX_MAX * size;
    };
    // Only the texture's visible part is drawn: its transparent margins would cost the rasteriser
    // as much as its picture and change no pixel.
    float part[4];
    if (gen_texture_bounds(texture, part)) {
        double lo, hi;
        span(sl, sw, part[0], part[2], object->mirror_x, &lo, &hi);
        x0 = std::max(x0, lo), x1 = std::min(x1, hi);
        span(st, sh, part[1], part[3], object->mirror_y, &lo, &hi);
        y0 = std::max(y0, lo), y1 = std::min(y1, hi);
        if (x0 >= x1 || y0 >= y1) return 0;
    }
    // Texture coordinates follow the cut linearly; mirrored ones run backwards.
    auto u_at = [&](double x) {
        float u = static_cast<float>((x - sl) / sw * TEX_MAX);
        return object->mirror_x ? TEX_MAX - u : u;
    };
    auto v_at = [&](double y) {
        float v = static_cast<float>((y - st) / sh * TEX_MAX);
        return object->mirror_y ? TEX_MAX - v : v;
    };
    const float d = static_cast<float>(dist);
    auto corners = [&](double l, double t, double r, double b, WORLD_VERTEX quad[4]) {
        const float fl = static_cast<float>(l), ft = static_cast<float>(t);
        const float fr = static_cast<float>(r), fb = static_cast<float>(b);
        quad[0] = {fl, ft, d, u_at(l), v_at(t)};
        quad[1] = {fr, ft, d, u_at(r), v_at(t)};
        quad[2] = {fr, fb, d, u_at(r), v_at(b)};
        quad[3] = {fl, fb, d, u_at(l), v_at(b)};
    };
    const float alpha = object->transparency ? 1.0f - 0.25f * object->transparency : 1.0f;
    const WORLD_SINK *sink = world_sink();
    auto textured = [&](double l, double t, double r, double b) {
        if (l >= r || t >= b) return;
        WORLD_VERTEX quad[4];
        corners(l, t, r, b, quad);
        sink->polygon(texture, quad, 4, code, alpha, 0);
    };
    // A sprite drawn large whose middle is one colour (a panel) gets that middle as a flat quad and
    // its texture around it: the pixels are those the texture gives, for about half the
    // rasteriser's work; a see-through middle is not drawn at all.
    float rgba[4];
    if (sink->flat && gen_texture_core(texture, part, rgba)) {
        double cx0, cx1, cy0, cy1;
        span(sl, sw, part[0], part[2], object->mirror_x, &cx0, &cx1);
        span(st, sh, part[1], part[3], object->mirror_y, &cy0, &cy1);
        cx0 = std::max(cx0, x0), cx1 = std::min(cx1, x1), cy0 = std::max(cy0, y0), cy1 = std::min(cy1, y1);
        if (cx1 - cx0 >= CORE_SIDE_MIN && cy1 - cy0 >= CORE_SIDE_MIN) {
            textured(x0, y0, x1, cy0);
            textured(x0, cy0, cx0, cy1);
            float rgb[3];
            world_code_color(code, rgb);
            const float color[4] = {rgb[0] * rgba[0], rgb[1] * rgba[1], rgb[2] * rgba[2], alpha * rgba[3]};
            WORLD_VERTEX quad[4];
            corners(cx0, cy0, cx1, cy1, quad);
            sink->flat(quad, 4, color);
            textured(cx1, cy0, x1, cy1);
            textured(x0, cy1, x1, y1);
            return 1;
        }
    }
    textured(x0, y0, x1, y1);
    return 1;
}

void draw_screen_sprite(int sprite, double x, double y, int tint, int light, int transparency, double height,
                        double width, int mirror_x, int mirror_y)
{
    if (!world_objects || !world_sprites || sprite < 0 || sprite > WORLD_SPRITE_LAST || !world_sprites[sprite].defined)
        return;
    if (world_view.focal_x <= 0 || world_view.focal_y <= 0) return;
    WORLD_OBJECT *obj = &world_objects[WORLD_OBJECT_SCRATCH];
    const WORLD_SPRITE &s = world_sprites[sprite];
    obj->sprite = static_cast<int16_t>(sprite);
    obj->sprite_bitmap = s.sprite_bitmap;
    for (int i = 0; i < 8; i++) obj->param[i] = s.param[i];
    // Seen from (0, 0, 100) this puts the top-left corner at (x * fx / 100, y * fy / 100).
    obj->x = -world_view.center_x * 100.0 / world_view.focal_x + x + width / 2;
    obj->y = world_view.horizon * 100.0 / world_view.focal_y - y - height;
    obj->z = 0.0;
    obj->transparency = static_cast<uint8_t>(std::clamp(transparency, 0, 3));
    obj->mirror_x = mirror_x ? 1 : 0;
    obj->mirror_y = mirror_y ? 1 : 0;
    obj->height = static_cast<int16_t>(std::clamp(height, -32768.0, 32767.0));
    obj->width = static_cast<int16_t>(std::clamp(width, -32768.0, 32767.0));
    const WORLD_SINK *sink = world_sink();
    sink->begin();
    draw_object(obj, 0.0, 0.0, 100.0, -1500.0, 1500.0, -100.0, 100.0, world_color_code(tint, light));
    sink->end();
}

void draw_sprite_char(unsigned char ch, double x, double y, int tint, int light, int transparency, double height,
                      double width)
{
    if (ch == ' ') return;
    // The alphabet holds capitals only: a small letter is a smaller capital on the same base
    // line, so that a name reads as written; "_" is the dash on the base line.
    const bool small = (ch >= 'a' && ch <= 'z') || (ch >= 224 && ch != 247 && ch != 255);
    if (small || ch == '_') {
        const double h = small ? height * 0.75 : height;
        draw_screen_sprite(world_sprite_font[small ? ch : '-'], x, y + (small ? height - h : height * 0.45), tint,
                           light, transparency, h, small ? width * 0.85 : width, 0, 0);
        return;
    }
    draw_screen_sprite(world_sprite_font[ch], x, y, tint, light, transparency, height, width, 0, 0);
}

void draw_sprite_text(const char *text, double x, double y, int tint, int light, int transparency, double height,
                      double width, double advance)
{
    if (!text) return;
    for (; *text; text++, x += advance)
        draw_sprite_char(static_cast<unsigned char>(*text), x, y, tint, light, transparency, height, width);
}
