// Particle effects: sparks, smoke and bursts described in a text file ("data\\part_fx.txt").
// An effect is a list of emitter definitions: emitters started with the effect, particle
// templates, and sub-emitters that an emitter creates as if they were particles. A pool of
// emitter slots runs them; everything is drawn as textured quads in thousandths of OpenGL units
// at depth -1, under whatever matrices the caller has set.
//
// Movement types (#G):
//   0  still.
//   1  angle, speed, acceleration, x acceleration, y acceleration: a straight line that speeds
//      up along the angle and drifts with the extra accelerations.
//   2  radius, angular speed, start angle: a circle around the start point, the angular speed in
//      thousandths of a degree per ms.
//   3  angle, speed, amplitude, period, phase: a straight line at the speed along the angle that
//      sways sideways as a sine wave of that amplitude (thousandths of a unit) and period (ms),
//      starting at the phase (degrees).
//   4  angle, speed, drag: a straight line slowed by drag thousandths of its speed per ms (a
//      puff that stops); missing values count as 0.
//   5  x jitter, y jitter: a random walk, each step moving up to that many thousandths of a unit
//      per ms in x and y; missing values count as 0.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr int PARTICLE_MAX_BITMAPS = 128;
constexpr int PARTICLE_TEXTURES = 128;
constexpr int PARTICLE_MAX_FRAMES = 255;
constexpr int PARTICLE_LINE = 4096;
constexpr int PARTICLE_MAX_EFFECTS = 4096;      // the most effects an @ line may declare
constexpr int PARTICLE_MAX_SLOTS = 4096;        // the most live particles one emitter may have
constexpr int PARTICLE_MOVE_VALUES = 5;
constexpr int PARTICLE_LOOK_VALUES = 11;

enum : uint8_t {
    PARTICLE_ROLE_EMITTER = 0,    // started with the effect
    PARTICLE_ROLE_TEMPLATE = 1,   // what a created particle looks like and how it moves
    PARTICLE_ROLE_SUB = 2,        // an emitter created by another emitter
};

// Emitter lives.
constexpr int PARTICLE_LIFE_FOREVER = -1;
constexpr int PARTICLE_LIFE_UNTIL_DONE = -2;

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// A number or a range a#b drawn uniformly with both ends included.
struct PARTICLE_RANDOM {
    int8_t type;   // 0 fixed, 1 range
    int32_t a, b;
};

struct PARTICLE_LOOK {
    float age;
    float frame;           // current animation frame, -1 = not started
    float frame_left;      // time left on the frame
    float texture;         // 0 = nothing drawn
    float width, d_width;
    float height, d_height;
    float alpha, d_alpha;  // percent
    float angle, d_angle;  // degrees
    float visible_from, visible_until;
};

struct PARTICLE_MOVE {
    int type;
    float vx, vy;          // velocity, thousandths per ms
    float ax, ay;          // acceleration
    float p[PARTICLE_MOVE_VALUES];   // the drawn values
    float time;            // time since the start, for the periodic types
    float ox, oy;          // offset the periodic types last applied
};

// One emitter definition of an effect.
struct PARTICLE_DEF {
    uint8_t role;
    PARTICLE_RANDOM life;
    int32_t max_particles, total, interval;
    PARTICLE_RANDOM start_creating;
    int32_t move_type;
    PARTICLE_RANDOM move[PARTICLE_MOVE_VALUES];
    PARTICLE_RANDOM start_moving;
    PARTICLE_RANDOM creates;   // which definition created particles use
    PARTICLE_RANDOM x, y;
    PARTICLE_RANDOM look[PARTICLE_LOOK_VALUES];
};

struct PARTICLE_FX {
    uint8_t count;             // definitions
    PARTICLE_DEF *defs;        // null: the effect was never defined
};

struct PARTICLE_TEXTURE {
    int frames;                // -1 = not defined
    int16_t bitmap;            // a still texture's bitmap slot
    int16_t *frame_bitmaps;    // animations: bitmap slot and time of each frame
    float *frame_times;
};

struct PARTICLE_BITMAP {
    uint32_t texture;
    char *name;                // null = free slot
};

struct PARTICLE {
    uint8_t live;
    PARTICLE_LOOK look;
    float x, y;
    PARTICLE_MOVE move;
    float life, age;
};

struct PARTICLE_EMITTER {
    uint8_t live;
    int tag;
    int fx;
    int generation;            // of the effects tables it was started from
    const PARTICLE_DEF *def;
    PARTICLE_LOOK look;
    float x, y;
    PARTICLE_MOVE move;
    float life, age;
    float create_timer;
    float start_creating;      // age at which creating starts
    float start_moving;        // age at which the emitter starts moving
    int live_particles, most_live, created;
    int slots;
    PARTICLE *particles;
};

struct PARTICLE_POOL {
    int count;
    PARTICLE_EMITTER *emitters;
};

// What the drawing of one quad receives: texture, centre and size in thousandths, angle in
// degrees, alpha 0..1.
using PARTICLE_DRAW_FN = void (*)(uint32_t texture, float x, float y, float width, float height, float angle,
                                  float alpha);
// Receives the text of every particle error instead of the fatal gen_error (tests, tools).
using PARTICLE_ERROR_FN = void (*)(const char *message);
// Loads a particle bitmap file as a texture; 1 or 0 (load_texture by default).
using PARTICLE_LOAD_FN = int (*)(uint32_t *texture, const char *file_name);

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

extern int particle_fx_count;                  // effects declared by the @ line, -1 before init
extern PARTICLE_FX *particle_fx_table;
extern PARTICLE_TEXTURE *particle_textures;    // PARTICLE_TEXTURES entries
extern PARTICLE_BITMAP *particle_bitmaps;      // PARTICLE_MAX_BITMAPS entries

// ---------------------------------------------------------------------------------------------
// The effects file
// ---------------------------------------------------------------------------------------------

// Reads the effects file through kx_io. 1, or 0 after an error (fatal unless a hook is set).
int particle_fx_init(const char *file_name);
// The same over text in memory; name is used in messages.
int particle_fx_init_text(const char *name, const char *text, long size);
void particle_fx_deinit();

// ---------------------------------------------------------------------------------------------
// Emitters
// ---------------------------------------------------------------------------------------------

PARTICLE_POOL *particle_fx_pool_create(int count);
void particle_fx_pool_free(PARTICLE_POOL *pool);
// Advances and draws every live emitter and particle by dt ms.
void particle_fx_pool_update(PARTICLE_POOL *pool, float dt);
// Ends every emitter of the tag, with its particles.
void particle_fx_pool_stop_tag(PARTICLE_POOL *pool, int tag);
int particle_fx_pool_live(const PARTICLE_POOL *pool);
// Starts one emitter for each role-0 definition of the effect at (x, y). 1 or 0.
int particle_fx_start(PARTICLE_POOL *pool, int fx, float x, float y, int tag);

// ---------------------------------------------------------------------------------------------
// Bitmaps, random values, hooks
// ---------------------------------------------------------------------------------------------

int particle_fx_bitmap_add(const char *file_name, uint32_t texture);
int particle_fx_bitmap_search(const char *file_name);

int particle_mov_get_num(const PARTICLE_RANDOM *value);
void particle_random_seed(uint32_t seed);

void particle_fx_error_hook_set(PARTICLE_ERROR_FN fn);
void particle_fx_draw_set(PARTICLE_DRAW_FN fn);      // null: OpenGL quads
// The view the OpenGL quads are drawn in: OpenGL's own (0) or one whose centre lies `center_y`
// OpenGL units up, as the world's particle view (world_particles_draw) has.
void particle_fx_view_set(float center_y);
void particle_fx_loader_set(PARTICLE_LOAD_FN fn);    // null: load_texture
// The last error text ("" when none since the last init).
const char *particle_fx_error_message();
