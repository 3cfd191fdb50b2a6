// Map files (.map): the placed objects and the cell grid of a world, little-endian, field by
// field. Reading checks every count against the file and the world before anything is stored.
//
//   i16 marker (-1100)   i32 unit   i16 highest   (highest + 1) objects of 59 bytes
//   i16 rows   i16 columns   rows x columns cells of 22 bytes
//
// The OLD format has no marker and no unit: the first i16 is already the highest object.
#include "world/world_local.h"

#include "kx/kx_io/kx_io.h"
#include "platform/plat_files.h"

#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

namespace {

struct MAP_READER {
    KX_IO *file;
    bool short_read;
};

bool read_bytes(MAP_READER &r, uint8_t *out, size_t n)
{
    if (r.short_read) return false;
    if (kx_io_fread(out, 1, n, r.file) != n) r.short_read = true;
    return !r.short_read;
}

int16_t get_i16(const uint8_t *p)
{
    return static_cast<int16_t>(p[0] | p[1] << 8);
}

int32_t get_i32(const uint8_t *p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

double get_f64(const uint8_t *p)
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; i--) bits = bits << 8 | p[i];
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void put_i16(uint8_t *p, int16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
}

void put_i32(uint8_t *p, int32_t v)
{
    for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

void put_f64(uint8_t *p, double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; i++) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

int16_t read_i16(MAP_READER &r)
{
    uint8_t b[2] = {0, 0};
    read_bytes(r, b, 2);
    return get_i16(b);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Record layouts
// ---------------------------------------------------------------------------------------------

void world_object_decode(const uint8_t *p, WORLD_OBJECT *o)
{
    o->sprite = get_i16(p + 0);
    o->sprite_bitmap = get_i16(p + 2);
    o->height = get_i16(p + 4);
    o->width = get_i16(p + 6);
    o->linked_width = get_i16(p + 8);
    o->transparency = p[10];
    o->mirror_x = p[11];
    o->mirror_y = p[12];
    for (int i = 0; i < 8; i++) o->param[i] = get_i16(p + 13 + 2 * i);
    o->x = get_f64(p + 29);
    o->y = get_f64(p + 37);
    o->z = get_f64(p + 45);
    o->link_x = get_i16(p + 53);
    o->link_z = get_i16(p + 55);
    o->tint = static_cast<int8_t>(p[57]);
    o->light = static_cast<int8_t>(p[58]);
}

void world_object_encode(const WORLD_OBJECT *o, uint8_t *p)
{
    put_i16(p + 0, o->sprite);
    put_i16(p + 2, o->sprite_bitmap);
    put_i16(p + 4, o->height);
    put_i16(p + 6, o->width);
    put_i16(p + 8, o->linked_width);
    p[10] = o->transparency;
    p[11] = o->mirror_x;
    p[12] = o->mirror_y;
    for (int i = 0; i < 8; i++) put_i16(p + 13 + 2 * i, o->param[i]);
    put_f64(p + 29, o->x);
    put_f64(p + 37, o->y);
    put_f64(p + 45, o->z);
    put_i16(p + 53, o->link_x);
    put_i16(p + 55, o->link_z);
    p[57] = static_cast<uint8_t>(o->tint);
    p[58] = static_cast<uint8_t>(o->light);
}

void world_cell_decode(const uint8_t *p, WORLD_CELL *c)
{
    c->tile = get_i16(p + 0);
    c->reserved[0] = p[2];
    c->reserved[1] = p[3];
    for (int i = 0; i < 4; i++) {
        c->up[i] = get_i16(p + 4 + 2 * i);
        c->down[i] = get_i16(p + 12 + 2 * i);
    }
    c->tint = static_cast<int8_t>(p[20]);
    c->light = static_cast<int8_t>(p[21]);
}

void world_cell_encode(const WORLD_CELL *c, uint8_t *p)
{
    put_i16(p + 0, c->tile);
    p[2] = c->reserved[0];
    p[3] = c->reserved[1];
    for (int i = 0; i < 4; i++) {
        put_i16(p + 4 + 2 * i, c->up[i]);
        put_i16(p + 12 + 2 * i, c->down[i]);
    }
    p[20] = static_cast<uint8_t>(c->tint);
    p[21] = static_cast<uint8_t>(c->light);
}

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

bool world_map_read(const char *map_name, const char *def_name)
{
    world_max_object = 0;
    if (!map_name) return true;
    KX_IO *file = kx_io_fopen(map_name, "rb");
    if (!file) return true;
    MAP_READER r{file, false};
    bool ok = false;

    int16_t first = read_i16(r);
    int32_t unit = 0;
    int16_t highest = first;
    bool current = first == WORLD_MAP_MARKER;
    if (current) {
        uint8_t b[4] = {0, 0, 0, 0};
        read_bytes(r, b, 4);
        unit = get_i32(b);
        highest = read_i16(r);
    } else {
        std::printf("Reading a map saved in the OLD format...\n");
    }
    if (r.short_read) {
        world_fatal("The map file %s is truncated in Load_Level(%s, %s)", map_name, def_name, map_name);
    } else if (current && unit <= 0) {
        world_fatal("Wrong unit %d in the map file %s in Load_Level(%s, %s)", unit, map_name, def_name, map_name);
    } else if (highest < 0 || highest >= WORLD_OBJECT_LIMIT) {
        world_fatal("Wrong number of objects (%d) in the map file %s in Load_Level(%s, %s)", highest, map_name,
                    def_name, map_name);
    } else {
        ok = true;
    }

    for (int i = 0; ok && i <= highest; i++) {
        uint8_t b[WORLD_OBJECT_BYTES];
        if (!read_bytes(r, b, sizeof b)) break;
        WORLD_OBJECT &o = world_objects[i];
        world_object_decode(b, &o);
        if (current) {
            o.x = o.x * world_param.cell / unit;
            o.z = o.z * world_param.cell / unit;
        }
    }
    int16_t rows = 0, columns = 0;
    if (ok) {
        rows = read_i16(r);
        columns = read_i16(r);
    }
    if (ok && r.short_read) {
        world_fatal("The map file %s is truncated in Load_Level(%s, %s)", map_name, def_name, map_name);
        ok = false;
    }
    if (ok && (rows < 0 || columns < 0)) {
        world_fatal("The map file %s has a wrong size (%d x %d) in Load_Level(%s, %s)", map_name, rows, columns,
                    def_name, map_name);
        ok = false;
    }
    if (ok) {
        world_max_object = highest;
        if (rows != world_param.depth || columns != world_param.width)
            std::printf("WARNING!. Height or Size of the world\nhas changed.\n");
    }
    for (int z = 0; ok && z < rows && z < world_param.depth; z++)
        for (int x = 0; ok && x < columns; x++) {
            uint8_t b[WORLD_CELL_BYTES];
            if (!read_bytes(r, b, sizeof b)) {
                world_fatal("The map file %s is truncated in Load_Level(%s, %s)", map_name, def_name, map_name);
                ok = false;
                break;
            }
            WORLD_CELL cell;
            world_cell_decode(b, &cell);
            if (cell.tile != 0 && (cell.tile < 0 || cell.tile >= WORLD_TILES || !world_tiles[cell.tile].defined)) {
                world_fatal("Tile number %d used in the map file %s is not defined in the def file %s!", cell.tile,
                            map_name, def_name);
                ok = false;
                break;
            }
            if (x < world_param.width) world_cells[static_cast<size_t>(z) * world_param.width + x] = cell;
        }
    kx_io_fclose(file);
    if (!ok) {
        world_max_object = 0;
        return false;
    }
    size_t cells = static_cast<size_t>(world_param.width) * world_param.depth;
    for (size_t i = 0; i < cells; i++) {
        if (world_cells[i].tint < 0 || world_cells[i].tint > 15) world_cells[i].tint = 0;
        if (world_cells[i].light < 0 || world_cells[i].light > 15) world_cells[i].light = 15;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

int save_map(const char *file_name, const WORLD_CELL *cells, int16_t rows, int16_t columns,
             const WORLD_OBJECT *objects, int16_t highest)
{
    FILE *f = file_name ? plat_files_fopen(file_name, "wb") : nullptr;
    if (!f) {
        world_fatal("Cant create map file!");
        return 0;
    }
    bool ok = true;
    uint8_t head[8];
    put_i16(head, WORLD_MAP_MARKER);
    put_i32(head + 2, world_param.cell);
    put_i16(head + 6, highest);
    ok = std::fwrite(head, 1, sizeof head, f) == sizeof head;
    for (int i = 0; ok && objects && i <= highest; i++) {
        uint8_t b[WORLD_OBJECT_BYTES];
        world_object_encode(&objects[i], b);
        ok = std::fwrite(b, 1, sizeof b, f) == sizeof b;
    }
    uint8_t size[4];
    put_i16(size, rows);
    put_i16(size + 2, columns);
    ok = ok && std::fwrite(size, 1, sizeof size, f) == sizeof size;
    size_t count = rows > 0 && columns > 0 ? static_cast<size_t>(rows) * columns : 0;
    for (size_t i = 0; ok && cells && i < count; i++) {
        uint8_t b[WORLD_CELL_BYTES];
        world_cell_encode(&cells[i], b);
        ok = std::fwrite(b, 1, sizeof b, f) == sizeof b;
    }
    if (std::fclose(f) != 0) ok = false;
    if (!ok) world_fatal("Cant create map file!");
    return ok ? 1 : 0;
}
