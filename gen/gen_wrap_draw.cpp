// gen_wrap drawing primitives: points, lines, rectangles and circles drawn on the screen in
// picture coordinates, and pixels read back from the frame being drawn. Each operation is picked
// per depth of the bitmap it is given; the 4-bit variants were never made.
#include "gen/gen_wrap.h"

#include "gen/gen_bit.h"
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

void color_set(uint32_t color)
{
    glDisable(GL_TEXTURE_2D);
    glColor3ub(static_cast<GLubyte>(color >> 16), static_cast<GLubyte>(color >> 8), static_cast<GLubyte>(color));
}

void color_reset()
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
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
    color_set(color);
    glBegin(GL_POINTS);
    glVertex2f(x + 0.5f, y + 0.5f);
    glEnd();
    color_reset();
    return 1;
}

uint32_t get_gl(KX_BITMAP *bitmap, int x, int y)
{
    int w, h;
    bounds(bitmap, &w, &h);
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    int gl_x, gl_y;
    gen_wrap_window_point(x, y, &gl_x, &gl_y);
    GLubyte rgb[3] = {0, 0, 0};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(gl_x, gl_y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
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
    color_set(color);
    glBegin(GL_LINES);
    glVertex2f(x1 + 0.5f, y1 + 0.5f);
    glVertex2f(x2 + 0.5f, y2 + 0.5f);
    glEnd();
    // Lines leave out their last pixel; the ends are drawn as points.
    glBegin(GL_POINTS);
    glVertex2f(x2 + 0.5f, y2 + 0.5f);
    glEnd();
    color_reset();
    return 1;
}

int gen_draw_rectangle(KX_BITMAP *, KX_RECT *rect, uint32_t color, int filled)
{
    if (!rect || rect->width <= 0 || rect->height <= 0 || !gen_gl_ready()) return 0;
    float x0 = rect->x, y0 = rect->y, x1 = rect->x + rect->width, y1 = rect->y + rect->height;
    color_set(color);
    if (filled) {
        glBegin(GL_TRIANGLE_STRIP);
        glVertex2f(x0, y0);
        glVertex2f(x1, y0);
        glVertex2f(x0, y1);
        glVertex2f(x1, y1);
        glEnd();
    } else {
        // The outline runs through the centres of the border pixels.
        glBegin(GL_LINE_LOOP);
        glVertex2f(x0 + 0.5f, y0 + 0.5f);
        glVertex2f(x1 - 0.5f, y0 + 0.5f);
        glVertex2f(x1 - 0.5f, y1 - 0.5f);
        glVertex2f(x0 + 0.5f, y1 - 0.5f);
        glEnd();
    }
    color_reset();
    return 1;
}

int gen_draw_circle(KX_BITMAP *, int x, int y, int radius, uint32_t color, int filled)
{
    if (radius < 0 || !gen_gl_ready()) return 0;
    color_set(color);
    float cx = x + 0.5f, cy = y + 0.5f;
    glBegin(filled ? GL_TRIANGLE_FAN : GL_LINE_LOOP);
    if (filled) glVertex2f(cx, cy);
    for (int i = 0; i <= CIRCLE_SEGMENTS; i++) {
        if (!filled && i == CIRCLE_SEGMENTS) break;
        double a = 2.0 * M_PI * i / CIRCLE_SEGMENTS;
        glVertex2f(cx + static_cast<float>(radius * std::cos(a)), cy + static_cast<float>(radius * std::sin(a)));
    }
    glEnd();
    color_reset();
    return 1;
}
