// The world model: the cell grid, tiles, bitmaps, sprites, animations, moving cells, animated
// objects and the objects placed in the world, as the definition (.def) and map (.map) files of
// one world fill them. One world is loaded at a time; every table is process-wide.
#pragma once

#include <cstdint>

#include "kx/kx_bit/kx_bit.h"

// ---------------------------------------------------------------------------------------------
// Limits
// ---------------------------------------------------------------------------------------------

constexpr int WORLD_TILES = 300;            // tile numbers 1-299
constexpr int WORLD_SPRITES = 300;          // sprite numbers 0-298
constexpr int WORLD_SPRITE_LAST = 298;
constexpr int WORLD_BITMAPS = 1000;         // at most 999 used
constexpr int WORLD_SPRITE_BITMAPS = 1500;  // at most 1499 used
constexpr int WORLD_ANIMATIONS = 300;       // at most 299 used
constexpr int WORLD_ANIMATION_FRAMES = 40;
constexpr int WORLD_MOV_CELLS = 200;
constexpr int WORLD_MOV_FRAMES = 30;
constexpr int WORLD_ANI_OBJECTS = 200;
constexpr int WORLD_ANI_FRAMES = 30;
constexpr int WORLD_OBJECTS = 1000;         // record 0 unused, 999 the screen scratch record
constexpr int WORLD_OBJECT_SCRATCH = 999;
constexpr int WORLD_OBJECT_LIMIT = 998;     // the first object number that cannot be created
constexpr int WORLD_CELL_OBJECTS = 15;
constexpr int WORLD_NAME_MAX = 40;          // 39 characters and the terminator
constexpr int WORLD_LINE_BUFFER = 11000;
constexpr int16_t WORLD_UNLINKED = -9999;
constexpr double WORLD_NOT_STARTED = -9999.0;
constexpr double WORLD_PARKED = 9999.0;     // where the game keeps objects it does not use

// Sizes of the records in a map file.
constexpr int WORLD_CELL_BYTES = 22;
constexpr int WORLD_OBJECT_BYTES = 59;
constexpr int16_t WORLD_MAP_MARKER = -1100;

// Results of Load_Level.
enum : uint8_t {
    WORLD_LOADED = 0,
    WORLD_NO_FILE = 1,   // the definition file cannot be opened; nothing else happened
    WORLD_FAILED = 2,    // a fatal error was reported; nothing is left loaded
};

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// World parameters, set by the @a-@j lines; they keep their values from one world to the next.
struct WORLD_PARAMS {
    int width;          // a: cells in x (columns)
    int depth;          // b: cells in z (rows)
    int cell;           // c: cell size in world units
    int floor_unit;     // d: pixels of a floor/wall texture unit
    int wall_width;     // e: width of a $ bitmap
    int wall_height;    // f: height of a $ bitmap
    int g, h;           // stored only
    int distance;       // i: read by the renderer
    int background_hor, background_ver;   // j: background scales in percent
};

// One cell of the grid (22 bytes in the map file). Corners: (-x,+z), (-x,-z), (+x,+z), (+x,-z).
struct WORLD_CELL {
    int16_t tile;        // 0 = empty
    uint8_t reserved[2];
    int16_t up[4];       // altitudes of the up face's corners
    int16_t down[4];     // altitudes of the down face's corners
    int8_t tint;         // 0-15
    int8_t light;        // 0-15, 15 = full light
};

// Face order in WORLD_TILE::face: the % line's names 1, 2, 6, 4, 3, 5.
enum : int {
    WORLD_FACE_UP = 0,      // name 1
    WORLD_FACE_DOWN = 1,    // name 2
    WORLD_FACE_BACK = 2,    // name 6, drawn before the floors
    WORLD_FACE_NEAR = 3,    // name 4, the +z wall
    WORLD_FACE_LEFT = 4,    // name 3, the -x wall
    WORLD_FACE_RIGHT = 5,   // name 5, the +x wall
};

struct WORLD_TILE {
    uint8_t defined;
    int16_t face[6];        // bitmap index, -1 = not drawn
    int16_t property[4];    // the "!" flag of names 3, 4, 5, 6
};

struct WORLD_BITMAP {
    char name[WORLD_NAME_MAX];
    uint32_t atlas;         // position in the texture atlas buffer
    uint8_t flag;           // 0 when loaded; handed to the face drawing
    uint8_t percent;        // the %N suffix of the file name
    uint8_t hash;           // the # suffix of the file name
    uint32_t texture;
    // The same picture repeated across, when its left and right edge columns are the same (so that
    // it repeats as it clamps): a run of flat faces in a row is drawn with it as one quad. 0: none.
    uint32_t texture_run;
};

struct WORLD_SPRITE_BITMAP {
    char name[WORLD_NAME_MAX];
    uint8_t percent;
    int16_t tex_height, tex_width;   // texture size (powers of two when loaded)
    int16_t height, width;           // image size as loaded
    int16_t animation;               // the animated bitmap that drives this entry, or -1
    uint8_t flag;
    uint32_t texture;
};

enum : uint8_t {
    WORLD_ANIM_BITMAPS = 0,          // frames are bitmaps (> line)
    WORLD_ANIM_SPRITE_BITMAPS = 1,   // frames are sprite bitmaps (< line)
};

struct WORLD_ANIMATION {
    uint8_t active;
    int16_t loops;          // remaining repetitions, -1 = endless
    uint8_t kind;           // WORLD_ANIM_*
    int16_t target;         // entry that shows the current frame
    int8_t frame_count;     // 1-40
    int8_t frame;
    int16_t frames[WORLD_ANIMATION_FRAMES];
    int16_t delays[WORLD_ANIMATION_FRAMES];
    double timer;           // time left on the current frame
    int16_t object;         // object owning this copy, -1 = none
    uint8_t ping_pong;
    uint8_t direction;      // 0 forward, 1 backward
};

struct WORLD_SPRITE {
    uint8_t defined;
    int16_t sprite_bitmap;
    int16_t height, width;  // world units
    uint8_t transparency;   // parameter 3, in quarters
    int16_t param[8];       // parameters 4-11
};

// One placed object (59 bytes in the map file).
struct WORLD_OBJECT {
    int16_t sprite;
    int16_t sprite_bitmap;
    int16_t height, width;
    int16_t linked_width;   // width when it was last linked into the cell lists
    uint8_t transparency;   // quarters, 0-3
    uint8_t mirror_x, mirror_y;
    int16_t param[8];       // sprite parameters 4-11
    double x, y, z;
    int16_t link_x;         // first column of the cell run, WORLD_UNLINKED = none
    int16_t link_z;         // row of the cell run
    int8_t tint, light;
};

// The objects listed in one cell.
struct WORLD_CELL_LIST {
    int8_t count;
    int16_t object[WORLD_CELL_OBJECTS];
};

// An object's own copy of an animation.
struct WORLD_OBJECT_ESTUFF {
    int16_t sprite_bitmap;  // own sprite-bitmap entry, -1 = none
    int16_t animation;      // own animated-bitmap entry
    int16_t loops;          // remaining loops of the own animation
};

enum : uint8_t {
    WORLD_MOVE_BLOCK = 0,   // the whole block moves
    WORLD_MOVE_UP = 1,      // only the up face moves
    WORLD_MOVE_DOWN = 2,    // only the down face moves
};

struct WORLD_MOV_CELL {
    int16_t x, z;
    int16_t tile;
    int16_t up, down;
    uint8_t mode;           // WORLD_MOVE_*
    uint8_t frame_count;    // 2-30
    uint8_t frame;
    int16_t target[WORLD_MOV_FRAMES];
    int16_t speed[WORLD_MOV_FRAMES];
    int16_t delay[WORLD_MOV_FRAMES];
    double altitude;        // WORLD_NOT_STARTED before the first update
    double timer;           // delay left; WORLD_NOT_STARTED while moving
};

struct WORLD_ANI_OBJECT {
    int16_t sprite;         // the sprite, then the number of the object made for it
    uint8_t frame_count;    // 1-30
    uint8_t frame;
    int16_t x[WORLD_ANI_FRAMES], y[WORLD_ANI_FRAMES], z[WORLD_ANI_FRAMES];
    int16_t speed[WORLD_ANI_FRAMES], delay[WORLD_ANI_FRAMES];
    double step_x[WORLD_ANI_FRAMES], step_y[WORLD_ANI_FRAMES], step_z[WORLD_ANI_FRAMES];
    double travel[WORLD_ANI_FRAMES];   // time to reach the next frame
    double timer;           // delay left; WORLD_NOT_STARTED at start
    double travel_left;
};

struct WORLD_COUNTS {
    int bitmaps;
    int sprite_bitmaps;
    int animations;
    int mov_cells;
    int ani_objects;
    int hash_lines;         // # lines of the definition file (first pass)
    int dollar_lines;       // $ lines
    int ani_objects_made;   // 1 once objects stand for the animated objects
};

// Sizes that load_texture reports.
struct WORLD_TEXTURE_INFO {
    int16_t tex_width, tex_height;
    int16_t width, height;
};

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

extern WORLD_PARAMS world_param;
extern WORLD_CELL *world_cells;                  // a x b, row-major
extern WORLD_CELL_LIST *tiles_obj;            // a x b
extern WORLD_TILE *world_tiles;
extern WORLD_SPRITE *world_sprites;
extern WORLD_OBJECT *world_objects;
extern WORLD_OBJECT_ESTUFF *Object_EStuff;
extern WORLD_BITMAP *world_bitmaps;
extern WORLD_SPRITE_BITMAP *world_sprite_bitmaps;
extern WORLD_ANIMATION *world_animations;
extern WORLD_MOV_CELL *mov_cell_index;
extern WORLD_ANI_OBJECT *Ani_Objects_Index;
extern WORLD_COUNTS world_count;
extern int16_t world_max_object;                 // highest object number in use
extern uint8_t *world_atlas;                     // the texture atlas buffer
extern uint32_t world_atlas_size;
extern KX_BITMAP world_background;
extern int world_background_loaded;

// ---------------------------------------------------------------------------------------------
// Loading and saving
// ---------------------------------------------------------------------------------------------

// Loads a world; map_name may be null (empty cells, no objects). With make_objects, one object
// stands for each animated object. Result WORLD_LOADED, WORLD_NO_FILE or WORLD_FAILED.
uint8_t Load_Level(const char *def_name, const char *map_name, int make_objects);
// Writes a map file to disk. 1 written, 0 after the fatal "Cant create map file!".
int save_map(const char *file_name, const WORLD_CELL *cells, int16_t rows, int16_t columns,
             const WORLD_OBJECT *objects, int16_t highest);
void free_level();
void reset_world_tables();
// The parameters' first values (a fresh start; tests and tools).
void world_params_reset();

// Loads an image file as a texture whose sides are rounded up to powers of two. 1 or 0. A small
// texture shares a texture page with others, so that faces, sprites and particles drawn one after
// another need no change of texture: with `shared` its edges fade out (sprites and particles),
// without they are filtered as a texture of its own clamped to its edges (the world's faces).
// With `run`, a face's picture whose left and right edge columns are the same also becomes a
// texture of its own repeated across, in *run (0 for any other picture).
int load_texture(uint32_t *texture, const char *file_name, int flag, WORLD_TEXTURE_INFO *info = nullptr,
                 int shared = 0, uint32_t *run = nullptr);

// ---------------------------------------------------------------------------------------------
// Look-ups
// ---------------------------------------------------------------------------------------------

// Index of the named entry; -1 for the name NULL (any case), -10 when absent.
int search_bitmap(const char *name);
int search_sprite_bitmap(const char *name);
// Animation index of the named sprite bitmap, -1 when absent.
int sprite_bitmap_animation(const char *name);
// The cell at row z, column x, or null outside the grid.
WORLD_CELL *world_cell_at(int z, int x);

// ---------------------------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------------------------

int16_t create_object(int16_t sprite, double x, double y, double z);
void assign_sprite_to_object(int16_t object);
int place_object(int16_t object, double x, double y, double z);
void relink_objects(int16_t first);
void asign_animation_to_object(int16_t object, int16_t animation, int16_t loops, int16_t start);

// ---------------------------------------------------------------------------------------------
// Per-step updates (in this order, once per game step)
// ---------------------------------------------------------------------------------------------

void update_animated_bitmaps(double dt);
void update_moving_cells(double dt);
void update_animated_objects(double dt);

// ---------------------------------------------------------------------------------------------
// Fatal errors of the world
// ---------------------------------------------------------------------------------------------

// Receives the text of every fatal world error (without the "Error: " of the alert): the game
// installs its fatal error report, tools and tests their own. Null (the start) writes the text
// to standard error only.
using WORLD_ERROR_FN = void (*)(const char *message);
void world_error_hook_set(WORLD_ERROR_FN fn);
// Text added to every fatal world error until it is set again (null: none); the loader sets it
// while it reads a definition file whose line ends it cannot take.
void world_error_hint_set(const char *hint);
// Reports a fatal world error and remembers it.
void world_fatal(const char *format, ...) __attribute__((format(printf, 1, 2)));
// The last fatal world error ("" when none since world_error_clear).
const char *world_error_message();
void world_error_clear();
