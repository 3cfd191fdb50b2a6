// The renderer's OpenGL sink: screen-space polygons sent with a perspective weight, so that
// (X·w, Y·w, Z·w, w) gives perspective-correct textures; the editor's lines and points; and the
// level background drawn through the 3D interface's bitmap operation. Everything goes to the
// back end's frame queue in clip coordinates.
#include "world/world_render.h"
#include "world/world_render_local.h"

#include "gen/gen_bit.h"
#include "gen/gen_queue.h"
#include "gen/gen_wrap.h"
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "world/world.h"

#include <GL/gl.h>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

namespace {

const WORLD_SINK *current_sink;

// Normalised device position of a screen pixel.
inline double ndc_x(double x)
{
    return 2.0 * x / (world_view.width > 0 ? world_view.width : 1) - 1.0;
}

inline double ndc_y(double y)
{
    return -(2.0 * y / (world_view.height > 0 ? world_view.height : 1) - 1.0);
}

// ---------------------------------------------------------------------------------------------
// The OpenGL sink
// ---------------------------------------------------------------------------------------------

// Clip coordinates of screen vertices at their distances (w grows with the distance, so that the
// driver interpolates texture coordinates in perspective).
void clip_vertices(GEN_VERTEX *out, const WORLD_VERTEX *v, int count)
{
    for (int i = 0; i < count; i++) {
        double w = 0.0256 * v[i].dist, z = v[i].dist / 2560.0 - 1.0;
        out[i] = {static_cast<float>(ndc_x(v[i].x) * w), static_cast<float>(ndc_y(v[i].y) * w), static_cast<float>(z * w),
                  static_cast<float>(w), v[i].u, v[i].v};
    }
}

// The queue keeps its own state per primitive: nothing to set up or restore around a frame.
void gl_begin() {}
void gl_end() {}

void gl_polygon(uint32_t texture, const WORLD_VERTEX *v, int count, uint32_t code, float alpha, int flags)
{
    if (!gen_gl_ready() || count < 3) return;
    // Far faces are opaque enough to skip blending; their see-through pixels are cut instead.
    uint32_t blend = gen_queue_blend(texture, alpha, flags & WORLD_FACE_FAR ? GEN_BLEND_CUT : GEN_BLEND_ALPHA);
    float rgb[3];
    world_code_color(code, rgb);
    GEN_VERTEX *out = gen_queue_add(count == 4 && !(flags & WORLD_FACE_CUT) ? GL_QUADS : GL_TRIANGLE_FAN, texture,
                                    {rgb[0], rgb[1], rgb[2], alpha}, blend, GEN_SPACE_CLIP, count);
    if (out) clip_vertices(out, v, count);
}

void gl_flat(const WORLD_VERTEX *v, int count, const float rgba[4])
{
    if (!gen_gl_ready() || count < 3 || rgba[3] <= 0.0f) return;
    GEN_VERTEX *out = gen_queue_add(count == 4 ? GL_QUADS : GL_TRIANGLE_FAN, 0, {rgba[0], rgba[1], rgba[2], rgba[3]},
                                    gen_queue_blend(0, rgba[3], GEN_BLEND_ALPHA), GEN_SPACE_CLIP, count);
    if (out) clip_vertices(out, v, count);
}

constexpr GEN_COLOR WHITE = {1.0f, 1.0f, 1.0f, 1.0f};

// An editor mark at depth -1.
void gl_mark(GEN_VERTEX *v, double x, double y)
{
    *v = {static_cast<float>(ndc_x(x)), static_cast<float>(ndc_y(y)), -1.0f, 1.0f, 0.0f, 0.0f};
}

void gl_line(float x1, float y1, float x2, float y2)
{
    if (!gen_gl_ready()) return;
    GEN_VERTEX *v = gen_queue_add(GL_LINES, 0, WHITE, GEN_BLEND_OPAQUE, GEN_SPACE_CLIP, 2);
    if (!v) return;
    gl_mark(&v[0], x1, y1);
    gl_mark(&v[1], x2, y2);
}

void gl_points(const float *xy, int count)
{
    if (!gen_gl_ready() || count <= 0) return;
    GEN_VERTEX *v = gen_queue_add(GL_POINTS, 0, WHITE, GEN_BLEND_OPAQUE, GEN_SPACE_CLIP, count);
    if (!v) return;
    // Points sit on pixel centres.
    for (int i = 0; i < count; i++) gl_mark(&v[i], xy[2 * i] + 0.5, xy[2 * i + 1] + 0.5);
}

constexpr WORLD_SINK gl_sink = {gl_begin, gl_end, gl_polygon, gl_line, gl_points, gl_flat};

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

const WORLD_SINK *world_sink_gl()
{
    return &gl_sink;
}

void world_sink_set(const WORLD_SINK *sink)
{
    current_sink = sink;
}

const WORLD_SINK *world_sink()
{
    return current_sink ? current_sink : &gl_sink;
}

void draw_background()
{
    if (!world_background_loaded || !world_background.pixels) return;
    const KX_DSP_3D *ops = kx_dsp_3d();
    if (!ops || !ops->put) return;
    // Scales above 100 show a part of the picture (the rest lies beyond the viewport's edges).
    int hor = world_param.background_hor >= 100 ? world_param.background_hor : 100;
    int ver = world_param.background_ver >= 100 ? world_param.background_ver : 100;
    int16_t sw = static_cast<int16_t>(world_background.width * 100 / hor);
    int16_t sh = static_cast<int16_t>(world_background.height * 100 / ver);
    KX_RECT src = {static_cast<int16_t>((world_background.width - sw) / 2), static_cast<int16_t>((world_background.height - sh) / 2),
                   sw, sh};
    KX_RECT dest = {0, 0, static_cast<int16_t>(world_view.width + 1), static_cast<int16_t>(world_view.height + 1)};
    // As the backdrop, the rows that the world's floor covers from side to side are left out.
    gen_queue_backdrop(1);
    ops->put(&world_background, &dest, &src, GEN_PUT_STRETCH);
    gen_queue_backdrop(0);
}

int world_render_read(int x, int y, int width, int height, uint8_t *rgb)
{
    if (!gen_gl_ready() || !rgb || width <= 0 || height <= 0) return 0;
    int gl_x = 0, gl_y = 0;
    gen_wrap_window_point(x, y + height - 1, &gl_x, &gl_y);
    gen_queue_flush();
    glFinish();
    if (!gen_wrap_pixels_read(gl_x, gl_y, width, height, rgb)) return 0;
    // OpenGL counts rows from the bottom.
    const size_t row = static_cast<size_t>(width) * 3;
    for (int top = 0, bottom = height - 1; top < bottom; top++, bottom--)
        for (size_t i = 0; i < row; i++) {
            uint8_t t = rgb[top * row + i];
            rgb[top * row + i] = rgb[bottom * row + i];
            rgb[bottom * row + i] = t;
        }
    return 1;
}
