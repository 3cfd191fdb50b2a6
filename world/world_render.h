// The world renderer: the loaded world drawn in perspective from a camera looking along -z, rows
// far to near, each cell as a textured block and its objects as upright sprites; the background,
// the colour codes, the transparency tables, the editor font, screen sprites and sprite text.
// Projection and clipping are ours; OpenGL only receives screen positions with a perspective
// weight, so that textures come out perspective-correct.
#pragma once

#include <cstdint>

struct WORLD_OBJECT;

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr double WORLD_NEAR = 5.0;              // nothing nearer than this is drawn
constexpr int WORLD_ROW_TABLE = 51;             // row distances 0-50 in the row width table
constexpr int WORLD_QUEUE_BYTES = 1000;         // the vertex queue "cua"
constexpr int WORLD_FONT_GLYPHS = 224;          // editor font: glyphs of 7 row bytes
constexpr int WORLD_FONT_ADVANCE = 6;
constexpr int WORLD_TABLE_BYTES = 65536;        // one transparency table
constexpr int WORLD_CODE_TABLE = 4;             // the transparency table behind the colour codes
constexpr uint32_t WORLD_CODE_WHITE = 3840;     // tint 0, light 15
constexpr int WORLD_SPRITE_TEXT_BASE = 170;     // sprites 200-287 are the sprite alphabet

// Face flags handed to the drawing of one face.
enum : int {
    WORLD_FACE_FAR = 1,          // farther than the world's @i distance: alpha-tested, not blended
    WORLD_FACE_SEE_THROUGH = 2,  // a wall with the "!" property
    WORLD_FACE_CUT = 4,          // cut by the near plane: a general polygon
};

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// View parameters. The first six are set by set_world_viewport; the game sets the others.
struct WORLD_VIEW {
    int width;             // W: screen x runs 0..W
    int height;            // H: screen y runs 0..H, downward
    int center_x;          // cx = (W + 1) / 2
    int horizon;           // cy = (H + 1) / 2
    int focal_x;           // fx = (W / 2) * 200 / 160
    int focal_y;           // fy = (H / 2) * 166 / 100
    int depth;             // rows drawn in front of the camera
    int horizon_shift;     // percent of H added to cy for one frame
    int falloff_start;     // rows beyond which cells and objects darken
    double falloff_rate;   // light levels lost per row beyond the start
    int cell_shading;      // use each cell's tint and light
    int object_shading;    // use each object's tint and light
    int draw_walls;        // faces of names 3-6
    int draw_floors;       // faces of names 1 and 2
    int editor_color[2];   // colours of the editor cursor lines
};

// One vertex on its way to OpenGL: screen position in pixels, distance from the camera in world
// units, texture coordinates 0..1.
struct WORLD_VERTEX {
    float x, y;
    float dist;
    float u, v;
};

// Where finished geometry goes. The OpenGL sink is the default; tests and the benchmark put their
// own in its place to look at the geometry without a driver.
struct WORLD_SINK {
    void (*begin)();                 // identity projection pushed, drawing state set
    void (*end)();                   // projection popped, colour back to white
    // A textured polygon; code is a colour code, alpha 0..1, flags WORLD_FACE_*.
    void (*polygon)(uint32_t texture, const WORLD_VERTEX *vertices, int count, uint32_t code, float alpha, int flags);
    // Editor marks: a white line and white points, in screen pixels.
    void (*line)(float x1, float y1, float x2, float y2);
    void (*points)(const float *xy, int count);
    // An untextured polygon of one colour (r, g, b, a in 0..1), blended by its alpha. A sink
    // without it gets such parts of sprites as textured polygons.
    void (*flat)(const WORLD_VERTEX *vertices, int count, const float rgba[4]);
};

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

extern WORLD_VIEW world_view;
extern uint8_t *world_row_width;          // WORLD_ROW_TABLE entries
extern int16_t world_sprite_font[256];    // character -> sprite number
extern uint8_t world_table_count;         // transparency tables loaded
extern uint8_t *world_tables;             // world_table_count x WORLD_TABLE_BYTES
extern uint8_t *world_editor_font;        // WORLD_FONT_GLYPHS x 7 bytes, null until loaded

// ---------------------------------------------------------------------------------------------
// Set-up
// ---------------------------------------------------------------------------------------------

// Shading off, horizon shift 0, fall-off from row 8, the sprite font table, the vertex queue and
// the row width table. Called after Load_Level (the table depends on the cell size). 1 or 0.
int init_3d_engine();
void deinit_3d_engine();
// H = bottom, W = right, and the values that follow from them (the row width table with them).
void set_world_viewport(int bottom, int right);
// Rebuilds the row width table for the current W, fx and cell size.
void world_row_width_build();
// Null restores the OpenGL sink.
void world_sink_set(const WORLD_SINK *sink);
const WORLD_SINK *world_sink_gl();

int load_transparency_tables(const char *file_name);
void free_transparency_tables();
int load_editor_font(const char *file_name);
void free_editor_font();
// Glyph of the editor font for a character, -1 for none.
int world_font_glyph(unsigned char ch);

// ---------------------------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------------------------

// Colour code of a tint and a light level (both clamped to 0-15), and its colour.
uint32_t world_color_code(int tint, int light);
void world_code_color(uint32_t code, float rgb[3]);
// Light level after the fall-off for something d rows in front of the camera's row.
int world_light_falloff(int light, int rows);

// Projects a point to OpenGL's -1..1 range, with the horizon shift that render_world uses. 0 (outputs untouched) when the point is not in front
// of the camera.
int project_point(float x, float y, float z, float cam_x, float cam_y, float cam_z, float *sx, float *sy);
// Up-face (down-face) altitude under the point, -9999.0 outside the grid or over an empty cell.
double floor_altitude(double x, double z);
double floor_down_altitude(double x, double z);

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

void render_world(double cam_x, double cam_y, double cam_z, uint8_t editor);
// Draws an object seen from the camera, clipped to the window (world units) left..right,
// bottom..top at the object's distance. 1 when something was handed to the sink.
int draw_object(const WORLD_OBJECT *object, double cam_x, double cam_y, double cam_z, double left, double right,
                double bottom, double top, uint32_t code);
void draw_background();
// Replaces the world's background picture (the old one and its textures are freed). 1 when the
// new picture loaded; 0 leaves no background.
int world_background_set(const char *file_name);
// Particle effects are started at projected points scaled by 1000 with this offset (times 1000)
// added to y; world_particles_draw advances and draws a pool by ms under the matching matrices.
constexpr float WORLD_PARTICLE_Y_OFFSET = 1.5f;
struct PARTICLE_POOL;
void world_particles_draw(PARTICLE_POOL *pool, float ms);
// Darkens the whole picture by alpha (0 nothing, 1 black).
void world_fade(float alpha);
// A level sprite as an overlay: its top-left corner at (x * fx / 100, y * fy / 100) pixels.
void draw_screen_sprite(int sprite, double x, double y, int tint, int light, int transparency, double height,
                        double width, int mirror_x, int mirror_y);
void draw_sprite_char(unsigned char ch, double x, double y, int tint, int light, int transparency, double height,
                      double width);
void draw_sprite_text(const char *text, double x, double y, int tint, int light, int transparency, double height,
                      double width, double advance);
// Draws a text of the editor font at a screen position (pixels), as white points.
void world_font_text(const char *text, int x, int y);

// Reads the rectangle (x, y, width, height; y from the top) of the picture being drawn as 8-bit
// RGB rows, top row first, into rgb (width * height * 3 bytes). 1, or 0 without a context.
int world_render_read(int x, int y, int width, int height, uint8_t *rgb);
