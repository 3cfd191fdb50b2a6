// The renderer's view: its parameters, the engine set-up (sprite font, vertex queue, row width
// table), the viewport, colour codes, point projection and the floor altitude under a point.
#include "world/world_render.h"
#include "world/world_render_local.h"

#include "world/world.h"
#include "kx/kx_mem/kx_mem.h"

#include <cmath>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

WORLD_VIEW world_view = {319, 199, 160, 100, 200, 166, 15, 0, 8, 1.0, 0, 0, 1, 1, {15, 15}};
uint8_t *world_row_width;
int16_t world_sprite_font[256];
WORLD_VERTEX *world_queue;
int world_queue_size;

namespace {

void sprite_font_build()
{
    for (int16_t &entry : world_sprite_font) entry = 66;
    for (int i = 0; i < 26; i++) world_sprite_font['A' + i] = static_cast<int16_t>(30 + i);
    for (int i = 0; i < 10; i++) world_sprite_font['0' + i] = static_cast<int16_t>(56 + i);
    world_sprite_font[' '] = 66;
    world_sprite_font['-'] = 67;
    world_sprite_font[255] = 68;
    const char signs[] = "!#$%&'()@*\\:,=/+?\";.";
    for (int i = 0; signs[i]; i++) world_sprite_font[static_cast<unsigned char>(signs[i])] = static_cast<int16_t>(69 + i);
    const unsigned char accented[] = {199, 213, 195, 201, 205, 218, 193};
    for (int i = 0; i < 7; i++) world_sprite_font[accented[i]] = static_cast<int16_t>(89 + i);
    // The rest of the Latin-1 capitals and signs that the six languages' messages use.
    const unsigned char more[] = {192, 194, 196, 200, 202, 203, 204, 206, 207, 209, 210,
                                  211, 212, 214, 217, 219, 220, 223, 161, 191, 170, 186};
    for (int i = 0; i < 22; i++) world_sprite_font[more[i]] = static_cast<int16_t>(96 + i);
    for (int16_t &entry : world_sprite_font) entry = static_cast<int16_t>(entry + WORLD_SPRITE_TEXT_BASE);
    // Lower case draws as upper case, Latin-1 letters included (but not the division sign).
    for (int i = 0; i < 26; i++) world_sprite_font['a' + i] = world_sprite_font['A' + i];
    for (int c = 224; c < 255; c++)
        if (c != 247) world_sprite_font[c] = world_sprite_font[c - 32];
}

int cell_size()
{
    return world_param.cell > 0 ? world_param.cell : 1;
}

// The cell under (x, z) or null; negative coordinates lie outside the grid.
const WORLD_CELL *cell_under(double x, double z)
{
    if (!world_cells || !(x >= 0.0) || !(z >= 0.0)) return nullptr;
    int c = cell_size();
    double row = std::trunc(z / c), col = std::trunc(x / c);
    if (row >= world_param.depth || col >= world_param.width) return nullptr;
    const WORLD_CELL *cell = &world_cells[static_cast<long>(row) * world_param.width + static_cast<long>(col)];
    return cell->tile == 0 ? nullptr : cell;
}

double face_altitude(const int16_t *corner, double x, double z)
{
    int c = cell_size();
    if (corner[0] != corner[1])
        return corner[1] + static_cast<double>(corner[0] - corner[1]) / c * (static_cast<long>(std::trunc(z)) % c);
    if (corner[0] != corner[2])
        return corner[0] + static_cast<double>(corner[2] - corner[0]) / c * (static_cast<long>(std::trunc(x)) % c);
    return corner[0];
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Set-up
// ---------------------------------------------------------------------------------------------

int init_3d_engine()
{
    world_view.cell_shading = 0;
    world_view.object_shading = 0;
    world_view.horizon_shift = 0;
    world_view.falloff_start = 8;
    world_view.falloff_rate = 1.0;
    sprite_font_build();
    if (!world_queue) {
        world_queue = static_cast<WORLD_VERTEX *>(kx_mem_calloc(1, WORLD_QUEUE_BYTES));
        if (!world_queue) {
            world_fatal("Not enough memory!");
            return 0;
        }
        kx_mem_name(world_queue, "cua");
        world_queue_size = WORLD_QUEUE_BYTES / static_cast<int>(sizeof(WORLD_VERTEX));
    }
    if (!world_row_width) {
        world_row_width = static_cast<uint8_t *>(kx_mem_calloc(1, WORLD_ROW_TABLE));
        if (!world_row_width) {
            world_fatal("Not enough memory!");
            return 0;
        }
        kx_mem_name(world_row_width, "row width table");
    }
    world_row_width_build();
    return 1;
}

void deinit_3d_engine()
{
    if (world_queue) kx_mem_free(world_queue);
    if (world_row_width) kx_mem_free(world_row_width);
    world_queue = nullptr;
    world_queue_size = 0;
    world_row_width = nullptr;
}

void world_row_width_build()
{
    if (!world_row_width) return;
    long c = cell_size(), fx = world_view.focal_x, w = world_view.width;
    for (long d = 0; d < WORLD_ROW_TABLE; d++) {
        int columns = 2;
        for (long n = 100; n >= 1; n--)
            if (n * c * fx / (d * c + 10) + w / 2 < w) {
                columns = static_cast<int>(n) + 2;
                break;
            }
        world_row_width[d] = static_cast<uint8_t>(columns);
    }
}

void set_world_viewport(int bottom, int right)
{
    world_view.height = bottom;
    world_view.width = right;
    world_view.center_x = (right + 1) / 2;
    world_view.horizon = (bottom + 1) / 2;
    world_view.focal_x = (right / 2) * 200 / 160;
    world_view.focal_y = (bottom / 2) * 166 / 100;
    world_row_width_build();
}

// ---------------------------------------------------------------------------------------------
// Colour codes
// ---------------------------------------------------------------------------------------------

uint32_t world_color_code(int tint, int light)
{
    tint = tint < 0 ? 0 : tint > 15 ? 15 : tint;
    light = light < 0 ? 0 : light > 15 ? 15 : light;
    return static_cast<uint32_t>((tint * 16 + light) * 256);
}

void world_code_color(uint32_t code, float rgb[3])
{
    if (code == WORLD_CODE_WHITE) {
        rgb[0] = rgb[1] = rgb[2] = 1.0f;
        return;
    }
    if (code >= static_cast<uint32_t>(WORLD_TABLE_BYTES)) {
        rgb[0] = rgb[1] = rgb[2] = 0.0f;
        return;
    }
    int tint = static_cast<int>(code / 4096), light = static_cast<int>(code / 256 % 16);
    float l = static_cast<float>(light * 256 * 0.0002441), h = l / 2;
    const float table[16][3] = {{l, l, l}, {l, 0, 0}, {0, l, 0}, {0, 0, l}, {l, l, 0}, {l, 0, l}, {0, l, l}, {l, l, l},
                                {l, h, h}, {h, l, h}, {h, h, l}, {l, l, h}, {l, h, l}, {h, l, l}, {0, 0, 0}, {0, 0, 0}};
    for (int i = 0; i < 3; i++) rgb[i] = table[tint][i];
}

int world_light_falloff(int light, int rows)
{
    if (rows > world_view.falloff_start)
        light -= static_cast<int>((rows - world_view.falloff_start) * world_view.falloff_rate);
    return light < 0 ? 0 : light > 15 ? 15 : light;
}

// ---------------------------------------------------------------------------------------------
// Points and altitudes
// ---------------------------------------------------------------------------------------------

int project_point(float x, float y, float z, float cam_x, float cam_y, float cam_z, float *sx, float *sy)
{
    float dist = cam_z - z;
    if (!(dist > 0.0f) || world_view.width <= 0 || world_view.height <= 0) return 0;
    double px = world_view.center_x + std::trunc((x - cam_x) * world_view.focal_x / dist);
    const int horizon = world_view.horizon + world_view.height * world_view.horizon_shift / 100;
    double py = horizon - std::trunc((y - cam_y) * world_view.focal_y / dist);
    if (sx) *sx = static_cast<float>(2.0 * px / world_view.width - 1.0);
    if (sy) *sy = static_cast<float>(-(2.0 * py / world_view.height - 1.0));
    return 1;
}

double floor_altitude(double x, double z)
{
    const WORLD_CELL *cell = cell_under(x, z);
    return cell ? face_altitude(cell->up, x, z) : WORLD_NOT_STARTED;
}

double floor_down_altitude(double x, double z)
{
    const WORLD_CELL *cell = cell_under(x, z);
    return cell ? face_altitude(cell->down, x, z) : WORLD_NOT_STARTED;
}
