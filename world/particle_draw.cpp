// Drawing particles: a look (texture or animation frame, size, alpha, angle) advanced by the
// elapsed time and drawn as a textured quad facing the viewer at depth -1, in thousandths of
// OpenGL units, blending source alpha over one minus source alpha. The quads go to the back
// end's frame queue in clip coordinates of the current view.
#include "world/particle.h"
#include "world/particle_local.h"

#include "gen/gen_bit.h"
#include "gen/gen_queue.h"

#include <GL/gl.h>

#include <cmath>

namespace {

PARTICLE_DRAW_FN draw_hook;
float view_center_y;

// A quad of the view: x from -1 to 1, y from view_center_y - 1 to + 1, at a depth inside the
// clip volume (nothing is depth-tested).
void gl_quad(uint32_t texture, float x, float y, float width, float height, float angle, float alpha)
{
    if (!gen_gl_ready()) return;
    GEN_VERTEX *v = gen_queue_add(GL_QUADS, texture, {1.0f, 1.0f, 1.0f, alpha}, gen_queue_blend(texture, alpha, GEN_BLEND_ALPHA),
                                  GEN_SPACE_CLIP, 4);
    if (!v) return;
    const float hw = width / 2, hh = height / 2;
    const float corner[4][4] = {{-hw, hh, 0, 0}, {hw, hh, 1, 0}, {hw, -hh, 1, 1}, {-hw, -hh, 0, 1}};
    double c = 1.0, s = 0.0;
    if (angle != 0.0f) {
        double a = angle * 3.1415 / 180.0;
        c = std::cos(a), s = std::sin(a);
    }
    for (int i = 0; i < 4; i++) {
        const float *k = corner[i];
        const float px = static_cast<float>((x + k[0] * c - k[1] * s) * 0.001);
        const float py = static_cast<float>((y + k[0] * s + k[1] * c) * 0.001);
        v[i] = {px, py - view_center_y, 0.5f, 1.0f, k[2], k[3]};
    }
}

// The bitmap slot the look shows now; the frame advances by dt against the frame times.
int look_bitmap(PARTICLE_LOOK *look, const PARTICLE_TEXTURE &t, float dt)
{
    if (t.frames <= 1) return t.bitmap;
    if (look->frame < 0.0f) {
        look->frame = 0.0f;
        look->frame_left = t.frame_times[0];
    }
    int frame = static_cast<int>(look->frame);
    if (frame < 0 || frame >= t.frames) frame = 0;
    int shown = t.frame_bitmaps[frame];
    look->frame_left -= dt;
    if (look->frame_left <= 0.0f) {
        // Whole loops are skipped at once so that a long pause cannot spin here.
        float cycle = 0.0f;
        for (int i = 0; i < t.frames; i++) cycle += t.frame_times[i];
        if (-look->frame_left > cycle) look->frame_left = -std::fmod(-look->frame_left, cycle);
        while (look->frame_left <= 0.0f) {
            frame = (frame + 1) % t.frames;
            look->frame_left += t.frame_times[frame];
        }
    }
    look->frame = static_cast<float>(frame);
    return shown;
}

} // namespace

void particle_fx_draw_set(PARTICLE_DRAW_FN fn)
{
    draw_hook = fn;
}

void particle_fx_view_set(float center_y)
{
    view_center_y = center_y;
}

void particle_look_step(PARTICLE_LOOK *look, float x, float y, float dt)
{
    int number = static_cast<int>(look->texture);
    bool hidden = number <= 0 || number >= PARTICLE_TEXTURES ||
                  (look->visible_until > 0.0f && (look->age < look->visible_from || look->age > look->visible_until));
    if (hidden || !particle_textures) {
        look->age += dt;
        return;
    }
    const PARTICLE_TEXTURE &t = particle_textures[number];
    if (t.frames >= 1) {
        int slot = look_bitmap(look, t, dt);
        uint32_t texture = particle_bitmaps && slot >= 0 && slot < PARTICLE_MAX_BITMAPS ? particle_bitmaps[slot].texture : 0;
        float alpha = look->alpha < 0.0f ? 0.0f : look->alpha > 100.0f ? 1.0f : look->alpha / 100.0f;
        if (look->width > 0.0f && look->height > 0.0f && alpha > 0.0f)
            (draw_hook ? draw_hook : gl_quad)(texture, x, y, look->width, look->height, look->angle, alpha);
    }
    look->width += look->d_width * dt;
    look->height += look->d_height * dt;
    look->angle += look->d_angle * dt;
    look->alpha += look->d_alpha * dt;
    look->age += dt;
}
