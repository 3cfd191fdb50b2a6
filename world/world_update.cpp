// The world's per-step updates: animated bitmaps (forward, looping, ping-pong), moving cells
// and animated objects, each advanced by the elapsed time of one game step.
#include "world/world.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

namespace {

int16_t to_i16(double v)
{
    if (!(v > -32768.0)) return -32768;
    if (!(v < 32767.0)) return 32767;
    return static_cast<int16_t>(v);
}

// One loop of an animation is over: count it down, and tell the owning object.
void loop_done(WORLD_ANIMATION &a)
{
    if (a.loops <= 0) return;
    a.loops--;
    if (a.object >= 0 && a.object < WORLD_OBJECTS && Object_EStuff) Object_EStuff[a.object].loops = a.loops;
}

// The target entry takes the appearance of the current frame.
void show_frame(const WORLD_ANIMATION &a)
{
    int16_t f = a.frames[a.frame];
    if (a.kind == WORLD_ANIM_SPRITE_BITMAPS) {
        if (f < 0 || f >= world_count.sprite_bitmaps || a.target < 0 || a.target >= world_count.sprite_bitmaps) return;
        const WORLD_SPRITE_BITMAP &from = world_sprite_bitmaps[f];
        WORLD_SPRITE_BITMAP &to = world_sprite_bitmaps[a.target];
        to.percent = from.percent;
        to.tex_height = from.tex_height;
        to.tex_width = from.tex_width;
        to.texture = from.texture;
    } else {
        if (f < 0 || f >= world_count.bitmaps || a.target < 0 || a.target >= world_count.bitmaps) return;
        const WORLD_BITMAP &from = world_bitmaps[f];
        WORLD_BITMAP &to = world_bitmaps[a.target];
        to.percent = from.percent;
        to.hash = from.hash;
        to.atlas = from.atlas;
        to.texture = from.texture;
    }
}

void animation_step(WORLD_ANIMATION &a, double dt)
{
    if (a.timer - dt >= 0.0) {
        a.timer -= dt;
        return;
    }
    int count = std::clamp<int>(a.frame_count, 1, WORLD_ANIMATION_FRAMES);
    int next = a.direction ? a.frame - 1 : a.frame + 1;
    if (next < count && next < 0) {
        // A ping-pong animation is back at its start. Once its loops are used up it stays
        // there, facing backward, so that it does not set off again.
        loop_done(a);
        if (a.loops != 0) a.direction = 0;
        next = a.loops != 0 ? 1 : 0;
        if (next >= count) next = 0;
    }
    if (next >= count) {
        if (a.ping_pong) {
            a.direction = 1;
            next = std::max(count - 2, 0);
        } else {
            loop_done(a);
            next = a.loops != 0 ? 0 : count - 1;
        }
    }
    a.frame = static_cast<int8_t>(next);
    a.timer = a.delays[next] - (a.timer - dt);
    show_frame(a);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void update_animated_bitmaps(double dt)
{
    if (!world_animations) return;
    for (int i = 0; i < world_count.animations && i < WORLD_ANIMATIONS; i++)
        if (world_animations[i].active) animation_step(world_animations[i], dt);
}

void update_moving_cells(double dt)
{
    if (!mov_cell_index) return;
    for (int i = 0; i < world_count.mov_cells && i < WORLD_MOV_CELLS; i++) {
        WORLD_MOV_CELL &m = mov_cell_index[i];
        WORLD_CELL *cell = world_cell_at(m.z, m.x);
        if (!cell || m.frame_count == 0) continue;
        if (m.timer != WORLD_NOT_STARTED) {
            m.timer -= dt;
            if (m.timer < 0.0) {
                m.frame = static_cast<uint8_t>((m.frame + 1) % m.frame_count);
                m.timer = WORLD_NOT_STARTED;
            }
            continue;
        }
        cell->tile = m.tile;
        if (m.altitude == WORLD_NOT_STARTED) {
            m.altitude = m.mode == WORLD_MOVE_DOWN ? m.down : m.up;
            for (int c = 0; c < 4; c++) {
                cell->up[c] = m.up;
                cell->down[c] = m.down;
            }
            continue;
        }
        double target = m.target[m.frame];
        double step = std::fabs(static_cast<double>(m.speed[m.frame])) * dt / 10.0;
        double altitude = m.altitude;
        if (altitude < target)
            altitude = std::min(altitude + step, target);
        else
            altitude = std::max(altitude - step, target);
        if (altitude == target) m.timer = m.delay[m.frame];
        if (m.mode == WORLD_MOVE_BLOCK || m.mode == WORLD_MOVE_UP)
            for (int c = 0; c < 4; c++) cell->up[c] = to_i16(altitude);
        if (m.mode == WORLD_MOVE_BLOCK || m.mode == WORLD_MOVE_DOWN) {
            int thickness = m.up - m.down;
            if (thickness < 0) {
                world_fatal("The height of a moving cell is wrong!");
                return;
            }
            for (int c = 0; c < 4; c++) cell->down[c] = to_i16(altitude - thickness);
        }
        m.altitude = altitude;
    }
}

void update_animated_objects(double dt)
{
    if (!Ani_Objects_Index || !world_count.ani_objects_made) return;
    for (int i = 0; i < world_count.ani_objects && i < WORLD_ANI_OBJECTS; i++) {
        WORLD_ANI_OBJECT &a = Ani_Objects_Index[i];
        if (a.frame_count == 0) continue;
        if (a.timer != 0.0 && a.timer != WORLD_NOT_STARTED) {
            a.timer = std::max(a.timer - dt, 0.0);
            continue;
        }
        if (!world_objects || a.sprite <= 0 || a.sprite >= WORLD_OBJECTS) continue;
        const WORLD_OBJECT *o = &world_objects[a.sprite];
        a.travel_left -= dt;
        if (a.travel_left > 0.0) {
            int f = a.frame;
            place_object(a.sprite, o->x + a.step_x[f] * dt, o->y + a.step_y[f] * dt, o->z + a.step_z[f] * dt);
            continue;
        }
        a.timer = a.delay[a.frame];
        a.frame = static_cast<uint8_t>((a.frame + 1) % a.frame_count);
        a.travel_left = a.travel[a.frame];
        place_object(a.sprite, a.x[a.frame], a.y[a.frame], a.z[a.frame]);
    }
}
