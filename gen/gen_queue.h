// gen_queue: a frame's drawing, held until the frame ends. Every primitive the back end and the
// world renderer draw (faces, sprites, particles, pictures, text, points and lines) is queued as
// vertices with its texture, colour, blending and coordinate space; quads, points and lines that
// follow one another with the same four form one run, drawn from vertex arrays in one call.
// At the end of the frame only what changed since the frame on show is drawn: nothing for a
// still picture, the changed parts of the picture where the driver keeps the back buffer's
// pixels across a swap, else all of it.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types and constants
// ---------------------------------------------------------------------------------------------

struct GEN_VERTEX {
    float x, y, z, w;    // position: picture pixels, or clip coordinates
    float s, t;          // texture coordinates
    // Colour: the queue gives every vertex its primitive's when it draws (callers leave it).
    float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
};

// One colour for a whole primitive (the driver then takes it as it is, with nothing to
// interpolate across the primitive).
struct GEN_COLOR {
    float r, g, b, a;
};

// How a primitive's pixels meet the picture.
enum : uint32_t {
    GEN_BLEND_OPAQUE = 0,   // written as they are
    GEN_BLEND_ALPHA = 1,    // source alpha over one minus source alpha
    GEN_BLEND_KEYED = 2,    // alpha 0 left out, the rest blended as GEN_BLEND_ALPHA
    GEN_BLEND_CUT = 3,      // alpha 0.5 or less left out, the rest written as it is
};

// What a primitive's positions are given in.
enum : uint32_t {
    GEN_SPACE_PICTURE = 0,  // picture pixels, through the viewport's projection (gen_wrap_resize)
    GEN_SPACE_CLIP = 1,     // clip coordinates (x, y, z, w), no projection
};

// Beyond this many vertices a frame is drawn in parts (and then always shown in full).
constexpr int GEN_QUEUE_VERTICES_MAX = 1 << 20;

// Side in pixels of the square blocks a picture is compared in.
constexpr int GEN_BLOCK = 16;

// What gen_queue_frame_end did.
enum : int {
    GEN_FRAME_NONE = 0,     // the picture on show is this frame already: nothing drawn
    GEN_FRAME_PATCHED = 1,  // the changed parts drawn over the kept picture; the rest is as shown
    GEN_FRAME_FULL = 2,     // the whole back buffer drawn anew
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Room for the `count` vertices of one primitive of OpenGL mode `mode` (GL_QUADS,
// GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_POINTS, GL_LINES, GL_LINE_LOOP), to be filled by the
// caller before the next call. Texture 0 draws untextured. Null when the queue cannot grow: the
// primitive is then left out.
GEN_VERTEX *gen_queue_add(uint32_t mode, uint32_t texture, GEN_COLOR color, uint32_t blend, uint32_t space, int count);
// Runs queued between gen_queue_backdrop(1) and gen_queue_backdrop(0) are the backdrop, drawn
// under a world: at the frame's end it is drawn through a scissor that leaves out the rows that
// solid faces queued after it cover from side to side.
void gen_queue_backdrop(int on);
// The blending to queue for `wanted` with a colour of this alpha: a texture without transparent
// pixels (or none) under alpha 1 comes out the same written as it is, which costs less.
uint32_t gen_queue_blend(uint32_t texture, float alpha, uint32_t wanted);

// The picture's viewport in window pixels, OpenGL's way (x, y of its bottom left corner).
void gen_queue_viewport(int x, int y, int width, int height);
// Draws what is queued now, in order, on a cleared back buffer: before pixels are read back, a
// texture changes or goes, or the viewport moves. The frame is then drawn in full.
void gen_queue_flush();
// Forgets what is queued; gen_queue_cleared tells that the whole back buffer was just cleared
// (the screen is cleared over the queue).
void gen_queue_discard();
void gen_queue_cleared();
// Ends the frame: draws what it must (GEN_FRAME_*). When the window menu changed, or a changed
// part reaches up to `menu_floor` (the lowest window row the menu draws, as OpenGL counts rows),
// the frame is drawn in full (and the menu then goes over it again).
int gen_queue_frame_end(int menu_changed, int menu_floor);
// After the frame was shown: what the back buffer holds now depends on whether it is kept.
void gen_queue_swapped();
// Whether the driver keeps the back buffer's pixels across a swap: -1 not known, 0 or 1. Any
// news draws the next frame in full.
void gen_queue_kept_set(int kept);
int gen_queue_kept();
// 1 while part of the frame is drawn already (the back buffer holds it).
int gen_queue_started();
// The next frame is drawn in full whatever it holds (the picture on show was lost or changed).
void gen_queue_invalidate();
// Frees the queue's memory (back end shut-down).
void gen_queue_free();

// Draw calls since start, and what the last gen_queue_frame_end did, for tests and measurements.
long gen_queue_draw_count();
int gen_queue_last_frame();
