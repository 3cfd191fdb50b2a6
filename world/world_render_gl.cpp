// The renderer's OpenGL sink: screen-space polygons sent with a perspective weight, so that
// (X·w, Y·w, Z·w, w) gives perspective-correct textures; the editor's lines and points; and the
// level background drawn through the 3D interface's bitmap operation.
#include "world/world_render.h"
#include "world/world_render_local.h"

#include "gen/gen_bit.h"
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
int depth_test_was_on;

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

void gl_begin()
{
    if (!gen_gl_ready()) return;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    depth_test_was_on = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void gl_end()
{
    if (!gen_gl_ready()) return;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    if (depth_test_was_on) glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void gl_polygon(uint32_t texture, const WORLD_VERTEX *v, int count, uint32_t code, float alpha, int flags)
{
    if (!gen_gl_ready() || count < 3) return;
    if (texture) {
        glEnable(GL_TEXTURE_2D);
        bind_texture(GL_TEXTURE_2D, texture);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    // Far faces are opaque enough to skip blending; their see-through pixels are cut instead.
    if (flags & WORLD_FACE_FAR) {
        glDisable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.5f);
    }
    float rgb[3];
    world_code_color(code, rgb);
    glColor4f(rgb[0], rgb[1], rgb[2], alpha);
    glBegin(count == 4 && !(flags & WORLD_FACE_CUT) ? GL_QUADS : GL_TRIANGLE_FAN);
    for (int i = 0; i < count; i++) {
        double w = 0.0256 * v[i].dist, z = v[i].dist / 2560.0 - 1.0;
        glTexCoord2f(v[i].u, v[i].v);
        glVertex4d(ndc_x(v[i].x) * w, ndc_y(v[i].y) * w, z * w, w);
    }
    glEnd();
    if (flags & WORLD_FACE_FAR) {
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_BLEND);
    }
}

void gl_line(float x1, float y1, float x2, float y2)
{
    if (!gen_gl_ready()) return;
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex3d(ndc_x(x1), ndc_y(y1), -1.0);
    glVertex3d(ndc_x(x2), ndc_y(y2), -1.0);
    glEnd();
}

void gl_points(const float *xy, int count)
{
    if (!gen_gl_ready() || count <= 0) return;
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_POINTS);
    // Points sit on pixel centres.
    for (int i = 0; i < count; i++) glVertex3d(ndc_x(xy[2 * i] + 0.5), ndc_y(xy[2 * i + 1] + 0.5), -1.0);
    glEnd();
}

constexpr WORLD_SINK gl_sink = {gl_begin, gl_end, gl_polygon, gl_line, gl_points};

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
    ops->put(&world_background, &dest, &src, GEN_PUT_STRETCH);
}

int world_render_read(int x, int y, int width, int height, uint8_t *rgb)
{
    if (!gen_gl_ready() || !rgb || width <= 0 || height <= 0) return 0;
    int gl_x = 0, gl_y = 0;
    gen_wrap_window_point(x, y + height - 1, &gl_x, &gl_y);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(gl_x, gl_y, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
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
