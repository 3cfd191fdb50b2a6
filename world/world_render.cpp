// render_world: the rows in front of the camera, far to near, each half-row from its outer end
// toward the camera's column; every cell as a block of up to six faces (cut at the near plane,
// turned away or hidden by a neighbour faces are left out), then the cell's objects far to near.
//
// Choices of ours where the world files leave the picture open:
// - Walls are textured across the cell edge (u 0..1) and downward from their upper edge in bands
//   of c * f / (2 * e) world units (@c, @e, @f): a wall texture e x f pixels covers a wall c wide
//   and half as high, as brick sides are; taller walls repeat it downward.
// - A face whose nearest point lies beyond @i world units is drawn alpha-tested instead of blended
//   (far faces are opaque enough; their see-through pixels are simply cut).
// - A wall with the "!" property is see-through: it is drawn from both sides and never hidden by
//   its neighbour, so that what lies behind a grille or a window shows through.
// - Flat top faces met one after another along a row, of one picture that repeats as it clamps
//   (its left and right edge columns the same) and one colour, are drawn as one quad with the
//   picture repeated: the same pixels from one primitive instead of many, which a software
//   rasteriser pays for by the primitive.
#include "world/world_render.h"
#include "world/world_render_local.h"

#include "world/world.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

namespace {

// One projected corner of a cell.
struct CORNER {
    float x, y;    // screen pixels
    float dist;    // distance from the camera
    float alt;     // altitude, world units
};

// What one frame needs again and again.
struct FRAME {
    double cam_x, cam_y, cam_z;
    int c;
    long cam_row, cam_col;
    double far_distance;   // @i, 0 = no far faces
    double band;           // wall texture band height
};

// Property flags of a tile, by wall name 3-6.
enum : int { PROP_NAME3 = 0, PROP_NAME4 = 1, PROP_NAME5 = 2, PROP_NAME6 = 3 };

constexpr int WALL_BANDS_MAX = 32;

// Top faces waiting to be drawn as one quad: those of the columns first to last of a row, met one
// after another, with nothing drawn between them. A single face keeps its own picture.
struct FACE_RUN {
    int faces;   // 0: none waiting
    long row, first, last;
    uint32_t texture, texture_run, code;
    int flags;
    WORLD_VERTEX v[4];   // far-left, far-right, near-right, near-left
};

FACE_RUN face_run;

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

CORNER project(const FRAME &f, double x, double alt, double dist)
{
    CORNER p;
    p.x = static_cast<float>(world_view.center_x + (x - f.cam_x) * world_view.focal_x / dist);
    p.y = static_cast<float>(world_view.horizon - (alt - f.cam_y) * world_view.focal_y / dist);
    p.dist = static_cast<float>(dist);
    p.alt = static_cast<float>(alt);
    return p;
}

WORLD_VERTEX vertex(const CORNER &p, float u, float v)
{
    return {p.x, p.y, p.dist, u, v};
}

const WORLD_TILE *tile_of(const WORLD_CELL *cell)
{
    if (!cell || cell->tile <= 0 || cell->tile >= WORLD_TILES) return nullptr;
    const WORLD_TILE *tile = &world_tiles[cell->tile];
    return tile->defined ? tile : nullptr;
}

uint32_t face_texture(int16_t bitmap)
{
    return world_bitmaps && bitmap >= 0 && bitmap < WORLD_BITMAPS ? world_bitmaps[bitmap].texture : 0;
}

int face_flags(const FRAME &f, const WORLD_VERTEX *v, int count, bool cut)
{
    float nearest = v[0].dist;
    for (int i = 1; i < count; i++) nearest = std::min(nearest, v[i].dist);
    int flags = cut ? WORLD_FACE_CUT : 0;
    if (f.far_distance > 0.0 && nearest > f.far_distance) flags |= WORLD_FACE_FAR;
    return flags;
}

// Hands a polygon to the sink: cut faces through the vertex queue as general polygons.
void sink_polygon(uint32_t texture, const WORLD_VERTEX *v, int count, uint32_t code, int flags)
{
    if (flags & WORLD_FACE_CUT) {
        if (count > world_queue_size) return;
        std::copy(v, v + count, world_queue);
        world_sink()->polygon(texture, world_queue, count, code, 1.0f, flags);
    } else {
        world_sink()->polygon(texture, v, count, code, 1.0f, flags);
    }
}

// Draws the waiting top faces: one of them as it is, more as one quad over the picture repeated
// once a column.
void run_flush()
{
    FACE_RUN &r = face_run;
    if (r.faces == 1) {
        sink_polygon(r.texture, r.v, 4, r.code, r.flags);
    } else if (r.faces > 1) {
        WORLD_VERTEX v[4] = {r.v[0], r.v[1], r.v[2], r.v[3]};
        v[0].u = v[3].u = 0.0f;
        v[1].u = v[2].u = static_cast<float>(r.faces);
        sink_polygon(r.texture_run, v, 4, r.code, r.flags);
    }
    r.faces = 0;
}

// Draws a polygon after the waiting top faces.
void emit(uint32_t texture, const WORLD_VERTEX *v, int count, uint32_t code, int flags)
{
    run_flush();
    sink_polygon(texture, v, count, code, flags);
}

bool same_corner(const WORLD_VERTEX &a, const WORLD_VERTEX &b)
{
    return a.x == b.x && a.y == b.y && a.dist == b.dist;
}

// A flat top face (corners as in FACE_RUN, u 0 to 1 across): joins the waiting ones when it
// continues them in their row with the same picture, colour and flags, else waits on its own.
void top_face(uint32_t texture, uint32_t texture_run, const WORLD_VERTEX *v, uint32_t code, int flags, long row,
              long col)
{
    FACE_RUN &r = face_run;
    const bool joins = r.faces > 0 && texture_run && r.texture_run == texture_run && r.row == row &&
                       r.code == code && r.flags == flags;
    if (joins && col == r.last + 1 && same_corner(v[0], r.v[1]) && same_corner(v[3], r.v[2])) {
        r.v[1] = v[1], r.v[2] = v[2];
        r.last = col;
        r.faces++;
        return;
    }
    if (joins && col == r.first - 1 && same_corner(v[1], r.v[0]) && same_corner(v[2], r.v[3])) {
        r.v[0] = v[0], r.v[3] = v[3];
        r.first = col;
        r.faces++;
        return;
    }
    run_flush();
    r = {1, row, col, col, texture, texture_run, code, flags, {v[0], v[1], v[2], v[3]}};
}

// Twice the signed area of a projected polygon (positive when clockwise on screen).
float screen_area(const WORLD_VERTEX *v, int count)
{
    float a = 0.0f;
    for (int i = 0; i < count; i++) {
        const WORLD_VERTEX &p = v[i], &q = v[(i + 1) % count];
        a += p.x * q.y - q.x * p.y;
    }
    return a;
}

// A vertical wall between two ends (left and right as seen from the face's front), each end with
// its upper and lower corner; u_left and u_right place the ends along the texture.
void draw_wall(const FRAME &f, int16_t bitmap, const CORNER &top_l, const CORNER &bot_l, const CORNER &top_r,
               const CORNER &bot_r, float u_left, float u_right, uint32_t code, int flags_extra, bool cut)
{
    if (bitmap < 0) return;
    double height_l = top_l.alt - bot_l.alt, height_r = top_r.alt - bot_r.alt;
    if (height_l <= 0.0 && height_r <= 0.0) return;
    int bands = static_cast<int>(std::ceil(std::max(height_l, height_r) / f.band));
    bands = std::clamp(bands, 1, WALL_BANDS_MAX);
    uint32_t texture = face_texture(bitmap);
    // Screen y of an altitude at one end (the x and distance of an end stay the same).
    auto at = [&](const CORNER &top, double alt) {
        CORNER p = top;
        p.y = static_cast<float>(world_view.horizon - (alt - f.cam_y) * world_view.focal_y / top.dist);
        p.alt = static_cast<float>(alt);
        return p;
    };
    for (int k = 0; k < bands; k++) {
        double lt = std::max(top_l.alt - k * f.band, static_cast<double>(bot_l.alt));
        double lb = std::max(top_l.alt - (k + 1) * f.band, static_cast<double>(bot_l.alt));
        double rt = std::max(top_r.alt - k * f.band, static_cast<double>(bot_r.alt));
        double rb = std::max(top_r.alt - (k + 1) * f.band, static_cast<double>(bot_r.alt));
        WORLD_VERTEX v[4] = {
            vertex(at(top_l, lt), u_left, 0.0f),
            vertex(at(top_r, rt), u_right, 0.0f),
            vertex(at(top_r, rb), u_right, static_cast<float>((rt - rb) / f.band)),
            vertex(at(top_l, lb), u_left, static_cast<float>((lt - lb) / f.band)),
        };
        emit(texture, v, 4, code, face_flags(f, v, 4, cut) | flags_extra);
    }
}

// True when the neighbour's block covers this cell's wall on the shared edge: mine[0..1] are this
// cell's corners on the edge, theirs[0..1] the neighbour's matching corners.
bool wall_hidden(const WORLD_CELL *cell, const WORLD_CELL *neighbour, int mine0, int mine1, int theirs0, int theirs1)
{
    const WORLD_TILE *tile = tile_of(neighbour);
    if (!tile || tile->face[WORLD_FACE_UP] < 0) return false;
    return neighbour->up[theirs0] >= cell->up[mine0] && neighbour->up[theirs1] >= cell->up[mine1] &&
           neighbour->down[theirs0] <= cell->down[mine0] && neighbour->down[theirs1] <= cell->down[mine1];
}

uint32_t cell_code(const FRAME &f, const WORLD_CELL *cell, long row)
{
    if (!world_view.cell_shading) return WORLD_CODE_WHITE;
    int light = world_light_falloff(cell->light, static_cast<int>(f.cam_row - row));
    return world_color_code(cell->tint, light);
}

void draw_faces(const FRAME &f, const WORLD_CELL *cell, const WORLD_TILE *tile, long row, long col)
{
    const double c = f.c;
    const double x_left = col * c, x_right = (col + 1) * c;
    const double dist_far = f.cam_z - row * c;
    double dist_near = f.cam_z - (row + 1) * c;
    // t: how far along the cell (from its -z edge) the drawn part reaches.
    const bool cut = dist_near < WORLD_NEAR;
    const double t = cut ? (dist_far - WORLD_NEAR) / c : 1.0;
    if (cut) dist_near = WORLD_NEAR;
    auto near_alt = [&](int near_corner, int far_corner, const int16_t *alt) {
        return alt[far_corner] + (alt[near_corner] - alt[far_corner]) * t;
    };
    // Corners: 0 (-x,+z), 1 (-x,-z), 2 (+x,+z), 3 (+x,-z), up face then down face.
    CORNER up[4], down[4];
    up[0] = project(f, x_left, near_alt(0, 1, cell->up), dist_near);
    up[1] = project(f, x_left, cell->up[1], dist_far);
    up[2] = project(f, x_right, near_alt(2, 3, cell->up), dist_near);
    up[3] = project(f, x_right, cell->up[3], dist_far);
    down[0] = project(f, x_left, near_alt(0, 1, cell->down), dist_near);
    down[1] = project(f, x_left, cell->down[1], dist_far);
    down[2] = project(f, x_right, near_alt(2, 3, cell->down), dist_near);
    down[3] = project(f, x_right, cell->down[3], dist_far);

    const uint32_t code = cell_code(f, cell, row);
    const float tv = static_cast<float>(t);
    const bool no_floor = tile->face[WORLD_FACE_UP] < 0 || tile->face[WORLD_FACE_DOWN] < 0;
    auto see_through = [&](int prop) { return tile->property[prop] ? WORLD_FACE_SEE_THROUGH : 0; };

    // The back wall (name 6), seen from inside the block, before the floors.
    if (world_view.draw_walls)
        draw_wall(f, tile->face[WORLD_FACE_BACK], up[1], down[1], up[3], down[3], 0.0f, 1.0f, code,
                  see_through(PROP_NAME6), false);

    if (world_view.draw_floors) {
        // Far-left, far-right, near-right, near-left: clockwise on screen seen from above.
        WORLD_VERTEX top[4] = {vertex(up[1], 0, 0), vertex(up[3], 1, 0), vertex(up[2], 1, tv), vertex(up[0], 0, tv)};
        const int16_t face = tile->face[WORLD_FACE_UP];
        const bool flat = cell->up[0] == cell->up[1] && cell->up[1] == cell->up[2] && cell->up[2] == cell->up[3];
        if (face >= 0 && screen_area(top, 4) > 0.0f) {
            const uint32_t run = flat && world_bitmaps && face < WORLD_BITMAPS ? world_bitmaps[face].texture_run : 0;
            if (run) top_face(face_texture(face), run, top, code, face_flags(f, top, 4, cut), row, col);
            else emit(face_texture(face), top, 4, code, face_flags(f, top, 4, cut));
        }
        WORLD_VERTEX bottom[4] = {vertex(down[1], 0, 0), vertex(down[3], 1, 0), vertex(down[2], 1, tv),
                                  vertex(down[0], 0, tv)};
        if (tile->face[WORLD_FACE_DOWN] >= 0 && screen_area(bottom, 4) < 0.0f)
            emit(face_texture(tile->face[WORLD_FACE_DOWN]), bottom, 4, code, face_flags(f, bottom, 4, cut));
    }

    if (!world_view.draw_walls) return;
    const long width = world_param.width, depth = world_param.depth;
    auto neighbour = [&](long r, long cl) -> const WORLD_CELL * {
        if (r < 0 || r >= depth || cl < 0 || cl >= width) return nullptr;
        return &world_cells[r * width + cl];
    };
    // -x wall (name 3), seen from -x: far corner left, near corner right.
    bool glass = tile->property[PROP_NAME3] != 0;
    if (glass || ((col > f.cam_col || no_floor) && !wall_hidden(cell, neighbour(row, col - 1), 0, 1, 2, 3)))
        draw_wall(f, tile->face[WORLD_FACE_LEFT], up[1], down[1], up[0], down[0], 0.0f, tv, code,
                  see_through(PROP_NAME3), cut);
    // +x wall (name 5), seen from +x: near corner left, far corner right.
    glass = tile->property[PROP_NAME5] != 0;
    if (glass || ((col < f.cam_col || no_floor) && !wall_hidden(cell, neighbour(row, col + 1), 2, 3, 0, 1)))
        draw_wall(f, tile->face[WORLD_FACE_RIGHT], up[2], down[2], up[3], down[3], 1.0f - tv, 1.0f, code,
                  see_through(PROP_NAME5), cut);
    // +z wall (name 4), facing the camera, only when the near edge is whole.
    glass = tile->property[PROP_NAME4] != 0;
    if (!cut && (glass || !wall_hidden(cell, neighbour(row + 1, col), 0, 2, 1, 3)))
        draw_wall(f, tile->face[WORLD_FACE_NEAR], up[0], down[0], up[2], down[2], 0.0f, 1.0f, code,
                  see_through(PROP_NAME4), false);
}

void draw_cell_objects(const FRAME &f, const WORLD_CELL_LIST *list, long col)
{
    run_flush();
    int count = std::clamp<int>(list->count, 0, WORLD_CELL_OBJECTS);
    int16_t order[WORLD_CELL_OBJECTS];
    int n = 0;
    for (int i = 0; i < count; i++) {
        int16_t o = list->object[i];
        if (o > 0 && o < WORLD_OBJECTS) order[n++] = o;
    }
    // Far to near: z ascending (insertion sort; at most 15).
    for (int i = 1; i < n; i++) {
        int16_t o = order[i];
        int j = i - 1;
        for (; j >= 0 && world_objects[order[j]].z > world_objects[o].z; j--) order[j + 1] = order[j];
        order[j + 1] = o;
    }
    for (int i = 0; i < n; i++) {
        const WORLD_OBJECT *obj = &world_objects[order[i]];
        uint32_t code = WORLD_CODE_WHITE;
        if (world_view.object_shading) {
            long obj_row = static_cast<long>(std::trunc(obj->z / f.c));
            code = world_color_code(obj->tint, world_light_falloff(obj->light, static_cast<int>(f.cam_row - obj_row)));
        }
        draw_object(obj, f.cam_x, f.cam_y, f.cam_z, col * f.c, (col + 1) * f.c, -1.0e6, 1.0e6, code);
    }
}

// The editor's cursor: the cell four rows ahead in the camera's column, outlined, with the
// altitudes of its up corners printed beside them.
void draw_editor_cursor(const FRAME &f, const WORLD_CELL *cell, long row, long col)
{
    run_flush();
    double dist_far = f.cam_z - row * f.c, dist_near = f.cam_z - (row + 1) * f.c;
    if (dist_near < WORLD_NEAR) return;
    CORNER p[4] = {project(f, col * f.c, cell->up[0], dist_near), project(f, col * f.c, cell->up[1], dist_far),
                   project(f, (col + 1) * f.c, cell->up[2], dist_near), project(f, (col + 1) * f.c, cell->up[3], dist_far)};
    float x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (const CORNER &q : p) {
        x0 = std::min(x0, q.x), x1 = std::max(x1, q.x);
        y0 = std::min(y0, q.y), y1 = std::max(y1, q.y);
    }
    const WORLD_SINK *sink = world_sink();
    sink->line(x0, y0, x0, y1);
    sink->line(x1, y0, x1, y1);
    sink->line(x0, y0, x1, y0);
    sink->line(x0, y1, x1, y1);
    char text[16];
    for (int i = 0; i < 4; i++) {
        std::snprintf(text, sizeof text, "%d", cell->up[i]);
        world_font_text(text, static_cast<int>(p[i].x) + 2, static_cast<int>(p[i].y) + 2);
    }
}

void draw_editor_objects(const FRAME &f)
{
    if (!world_objects) return;
    char text[64];
    for (int o = 1; o <= world_max_object && o < WORLD_OBJECTS; o++) {
        const WORLD_OBJECT &obj = world_objects[o];
        double dist = f.cam_z - obj.z;
        if (obj.link_z != -100 || dist < WORLD_NEAR) continue;
        CORNER p = project(f, obj.x, obj.y, dist);
        std::snprintf(text, sizeof text, "%d %d %d", static_cast<int>(obj.x), static_cast<int>(obj.y), static_cast<int>(obj.z));
        world_font_text(text, static_cast<int>(p.x), static_cast<int>(p.y));
    }
}

void draw_cell(const FRAME &f, long row, long col, bool editor)
{
    if (row < 0 || row >= world_param.depth || col < 0 || col >= world_param.width) return;
    long index = row * world_param.width + col;
    const WORLD_CELL *cell = &world_cells[index];
    const WORLD_CELL_LIST *list = tiles_obj ? &tiles_obj[index] : nullptr;
    bool has_objects = list && list->count > 0 && world_objects;
    if (cell->tile != 0 || has_objects) {
        if (const WORLD_TILE *tile = tile_of(cell)) draw_faces(f, cell, tile, row, col);
        if (has_objects) draw_cell_objects(f, list, col);
    }
    if (editor && row == f.cam_row - 4 && col == f.cam_col) draw_editor_cursor(f, cell, row, col);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void render_world(double cam_x, double cam_y, double cam_z, uint8_t editor)
{
    if (!world_cells || !world_tiles || !world_row_width || world_param.width <= 0 || world_param.depth <= 0) return;
    FRAME f;
    f.cam_x = cam_x, f.cam_y = cam_y, f.cam_z = cam_z;
    f.c = world_param.cell > 0 ? world_param.cell : 1;
    f.cam_row = static_cast<long>(std::trunc(cam_z / f.c));
    f.cam_col = static_cast<long>(std::trunc(cam_x / f.c));
    f.far_distance = world_param.distance;
    f.band = (world_param.wall_width > 0 && world_param.wall_height > 0)
                 ? static_cast<double>(f.c) * world_param.wall_height / (2.0 * world_param.wall_width)
                 : f.c / 2.0;

    const WORLD_SINK *sink = world_sink();
    sink->begin();
    const int saved_horizon = world_view.horizon;
    world_view.horizon += world_view.height * world_view.horizon_shift / 100;

    const long depth = std::clamp(world_view.depth, 0, WORLD_ROW_TABLE - 1);
    for (long row = f.cam_row - depth; row <= f.cam_row; row++) {
        if (cam_z - row * f.c < WORLD_NEAR) continue;
        long n = world_row_width[f.cam_row - row];
        for (long col = f.cam_col - n; col < f.cam_col; col++) draw_cell(f, row, col, editor != 0);
        for (long col = f.cam_col + n; col >= f.cam_col; col--) draw_cell(f, row, col, editor != 0);
    }
    run_flush();
    if (editor) draw_editor_objects(f);

    world_view.horizon = saved_horizon;
    sink->end();
}
