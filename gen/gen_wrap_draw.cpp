// gen_wrap drawing primitives: points, lines, rectangles and circles drawn on the screen in
// picture coordinates, and pixels read back from the frame being drawn. Each operation is picked
// per depth of the bitmap it is given; the 4-bit variants were never made.
#include "gen/gen_wrap.h"

#include "gen/gen_bit.h"
#include "gen/gen_queue.h"
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_dsp/kx_dsp.h"

#include <GL/gl.h>

#include <cmath>

// ---------------------------------------------------------------------------------------------
// Types and helpers
// ---------------------------------------------------------------------------------------------

namespace {

using PIXEL_FN = int (*)(KX_BITMAP *bitmap, int x, int y, uint32_t color);
using GET_FN = uint32_t (*)(KX_BITMAP *bitmap, int x, int y);

constexpr int CIRCLE_SEGMENTS = 64;

// Queues an untextured primitive of `count` vertices in one colour (0xRRGGBB), positions to
// be filled in by the caller.
GEN_VERTEX *shape(uint32_t mode, int count, uint32_t color)
{
    const GEN_COLOR c = {static_cast<float>((color >> 16) & 255) / 255.0f, static_cast<float>((color >> 8) & 255) / 255.0f,
                         static_cast<float>(color & 255) / 255.0f, 1.0f};
    GEN_VERTEX *v = gen_queue_add(mode, 0, c, GEN_BLEND_OPAQUE, GEN_SPACE_PICTURE, count);
    if (!v) return nullptr;
    for (int i = 0; i < count; i++) v[i] = {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    return v;
}

void at(GEN_VERTEX *v, float x, float y)
{
    v->x = x;
    v->y = y;
}

// The area a drawing on `bitmap` may touch: the bitmap's size, or the picture for none.
void bounds(const KX_BITMAP *bitmap, int *width, int *height)
{
    if (bitmap) {
        *width = bitmap->width;
        *height = bitmap->height;
    } else {
        KX_RECT v;
        gen_wrap_viewport_get(&v);
        *width = v.width;
        *height = v.height;
    }
}

int pixel_gl(KX_BITMAP *bitmap, int x, int y, uint32_t color)
{
    int w, h;
    bounds(bitmap, &w, &h);
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    if (GEN_VERTEX *v = shape(GL_POINTS, 1, color)) at(v, x + 0.5f, y + 0.5f);
    return 1;
}

uint32_t get_gl(KX_BITMAP *bitmap, int x, int y)
{
    int w, h;
    bounds(bitmap, &w, &h);
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    int gl_x, gl_y;
    gen_wrap_window_point(x, y, &gl_x, &gl_y);
    gen_queue_flush();
    GLubyte rgb[3] = {0, 0, 0};
    if (!gen_wrap_pixels_read(gl_x, gl_y, 1, 1, rgb)) return 0;
    return static_cast<uint32_t>(rgb[0]) << 16 | static_cast<uint32_t>(rgb[1]) << 8 | rgb[2];
}

struct DEPTH_OPS {
    int depth;
    PIXEL_FN pixel;
    GET_FN get;
};

constexpr DEPTH_OPS depth_ops[] = {
    {KX_BIT_BPP4, gen_draw_pixel_04, gen_get_pixel_04}, {KX_BIT_BPP8, pixel_gl, get_gl},
    {KX_BIT_BPP15, pixel_gl, get_gl},                   {KX_BIT_BPP16, pixel_gl, get_gl},
    {KX_BIT_BPP24, pixel_gl, get_gl},                   {KX_BIT_BPP32, pixel_gl, get_gl},
};

const DEPTH_OPS *ops_for(const KX_BITMAP *bitmap)
{
    static constexpr DEPTH_OPS screen = {0, pixel_gl, get_gl};
    if (!bitmap) return &screen;
    for (const DEPTH_OPS &o : depth_ops)
        if (o.depth == bitmap->depth) return &o;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int gen_draw_pixel_04(KX_BITMAP *, int, int, uint32_t)
{
    kx_dsp_alert("Function not created yet", nullptr, 0);
    return 0;
}

uint32_t gen_get_pixel_04(KX_BITMAP *, int, int)
{
    kx_dsp_alert("Function not created yet", nullptr, 0);
    return 0;
}

int gen_draw_pixel(KX_BITMAP *bitmap, int x, int y, uint32_t color)
{
    const DEPTH_OPS *o = ops_for(bitmap);
    if (!o || !gen_gl_ready()) return 0;
    return o->pixel(bitmap, x, y, color);
}

uint32_t gen_get_pixel(KX_BITMAP *bitmap, int x, int y)
{
    const DEPTH_OPS *o = ops_for(bitmap);
    if (!o || !gen_gl_ready()) return 0;
    return o->get(bitmap, x, y);
}

int gen_draw_line(KX_BITMAP *, int x1, int y1, int x2, int y2, uint32_t color)
{
    if (!gen_gl_ready()) return 0;
    if (GEN_VERTEX *v = shape(GL_LINES, 2, color)) {
        at(&v[0], x1 + 0.5f, y1 + 0.5f);
        at(&v[1], x2 + 0.5f, y2 + 0.5f);
    }
    // Lines leave out their last pixel; the ends are drawn as points.
    if (GEN_VERTEX *v = shape(GL_POINTS, 1, color)) at(v, x2 + 0.5f, y2 + 0.5f);
    return 1;
}

int gen_draw_rectangle(KX_BITMAP *, KX_RECT *rect, uint32_t color, int filled)
{
    if (!rect || rect->width <= 0 || rect->height <= 0 || !gen_gl_ready()) return 0;
    float x0 = rect->x, y0 = rect->y, x1 = rect->x + rect->width, y1 = rect->y + rect->height;
    GEN_VERTEX *v = shape(filled ? GL_TRIANGLE_STRIP : GL_LINE_LOOP, 4, color);
    if (!v) return 1;
    if (filled) {
        at(&v[0], x0, y0);
        at(&v[1], x1, y0);
        at(&v[2], x0, y1);
        at(&v[3], x1, y1);
    } else {
        // The outline runs through the centres of the border pixels.
        at(&v[0], x0 + 0.5f, y0 + 0.5f);
        at(&v[1], x1 - 0.5f, y0 + 0.5f);
        at(&v[2], x1 - 0.5f, y1 - 0.5f);
        at(&v[3], x0 + 0.5f, y1 - 0.5f);
    }
    return 1;
}

int gen_draw_circle(KX_BITMAP *, int x, int y, int radius, uint32_t color, int filled)
{
    if (radius < 0 || !gen_gl_ready()) return 0;
    float cx = x + 0.5f, cy = y + 0.5f;
    // Filled: the centre, then the rim closed on its first point; outlined: the rim as a loop.
    const int rim = filled ? CIRCLE_SEGMENTS + 1 : CIRCLE_SEGMENTS;
    GEN_VERTEX *v = shape(filled ? GL_TRIANGLE_FAN : GL_LINE_LOOP, rim + (filled ? 1 : 0), color);
    if (!v) return 1;
    if (filled) at(v++, cx, cy);
    for (int i = 0; i < rim; i++) {
        double a = 2.0 * M_PI * i / CIRCLE_SEGMENTS;
        at(&v[i], cx + static_cast<float>(radius * std::cos(a)), cy + static_cast<float>(radius * std::sin(a)));
    }
    return 1;
}
