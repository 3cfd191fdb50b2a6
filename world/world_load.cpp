// Load_Level: reads a world definition file (.def) line by line and its map file, filling the
// world's tables. Every error is fatal and leaves no world loaded.
//
// Lines, by their first character (anything else is a comment):
//   @a-@i N            world parameters          @j file, hor, ver   background and its scales
//   #name = file       floor/wall bitmap         $name = file        second bitmap family
//   ^name = file       sprite bitmap             ] [*]name = prefix, N, delay   numbered sprites
//   >[*]name = frame, delay, ...   animation of bitmaps   <[*]name = ...   of sprite bitmaps
//   %N = six faces     tile                      &N = sbitmap, height, width, p3 ... p11  sprite
//   *z, x = tile, up, down, mode, target, speed, delay, ...                moving cell
//   +S = x, y, z, speed, delay, ...                                        animated object
#include "world/world_local.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "world/world_line.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types and globals
// ---------------------------------------------------------------------------------------------

namespace {

constexpr int TOKEN_SIZE = DEF_LINE_SIZE;
// The atlas is bookkeeping only; a definition asking for more than this is refused.
constexpr long long ATLAS_BYTES_MAX = 64ll << 20;

struct LOADER {
    const char *def;       // names for the messages
    const char *map;
    bool seen_d, seen_e, seen_f;
};

LOADER loader;

// A position in the line being read.
struct CURSOR {
    const char *p;
};

// ---------------------------------------------------------------------------------------------
// Tokens
// ---------------------------------------------------------------------------------------------

bool blank(char c)
{
    return static_cast<unsigned char>(c) < 33;
}

// A name: blanks skipped, then up to a blank, '=' or the end; blanks and '=' after it skipped.
bool read_name(CURSOR &c, char *out)
{
    while (*c.p && blank(*c.p)) c.p++;
    int n = 0;
    while (*c.p && !blank(*c.p) && *c.p != '=' && n < TOKEN_SIZE - 1) out[n++] = *c.p++;
    out[n] = 0;
    while (*c.p && (blank(*c.p) || *c.p == '=')) c.p++;
    return n > 0;
}

// A value: separators (blanks, ',' and '=') skipped, then up to a blank, ',' or the end.
bool read_value(CURSOR &c, char *out)
{
    while (*c.p && (blank(*c.p) || *c.p == ',' || *c.p == '=')) c.p++;
    int n = 0;
    while (*c.p && !blank(*c.p) && *c.p != ',' && n < TOKEN_SIZE - 1) out[n++] = *c.p++;
    out[n] = 0;
    return n > 0;
}

// A decimal integer with an optional sign; what does not fit an int is held at its limits.
int to_int(const char *text)
{
    long v = std::strtol(text, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

bool read_int(CURSOR &c, int *value)
{
    char token[TOKEN_SIZE];
    if (!read_value(c, token)) return false;
    *value = to_int(token);
    return true;
}

// Lower-cases a name for the tables; false (after the message) when it is longer than 39.
bool table_name(const char *name, char *out)
{
    size_t n = std::strlen(name);
    if (n >= static_cast<size_t>(WORLD_NAME_MAX)) {
        world_fatal("Name %s is too long (maximum %d characters) in Load_Level(%s, %s)", name, WORLD_NAME_MAX - 1,
                    loader.def, loader.map);
        return false;
    }
    for (size_t i = 0; i <= n; i++) out[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return true;
}

// Cuts the %N and # suffixes off a file name.
void file_suffixes(char *file, uint8_t *percent, uint8_t *hash)
{
    *percent = 0;
    *hash = 0;
    for (int pass = 0; pass < 2; pass++) {
        size_t n = std::strlen(file);
        if (n > 0 && file[n - 1] == '#') {
            *hash = 1;
            file[--n] = 0;
        }
        char *mark = std::strrchr(file, '%');
        if (!mark) continue;
        const char *digits = mark + 1;
        bool number = *digits != 0;
        for (const char *d = digits; *d; d++)
            if (!std::isdigit(static_cast<unsigned char>(*d))) number = false;
        if (!number) continue;
        *percent = static_cast<uint8_t>(to_int(digits));
        *mark = 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Allocation
// ---------------------------------------------------------------------------------------------

void *table_alloc(size_t size, const char *name)
{
    void *p = kx_mem_calloc(1, size);
    if (p) kx_mem_name(p, name);
    return p;
}

bool atlas_needed()
{
    return loader.seen_d && loader.seen_e && loader.seen_f && !world_atlas;
}

bool atlas_alloc()
{
    const WORLD_PARAMS &w = world_param;
    long long hash = world_count.hash_lines < WORLD_BITMAPS ? world_count.hash_lines : WORLD_BITMAPS - 1;
    long long dollar = world_count.dollar_lines < WORLD_BITMAPS ? world_count.dollar_lines : WORLD_BITMAPS - 1;
    long long bytes = ((hash - 1) / (256 / w.floor_unit) + 1) * w.floor_unit * 256 +
                      ((dollar - 1) / (256 / w.wall_width) + 1) * w.wall_height * 256;
    if (bytes <= ATLAS_BYTES_MAX) world_atlas = static_cast<uint8_t *>(table_alloc(static_cast<size_t>(bytes), "tiles"));
    if (!world_atlas) {
        world_fatal("Sorry, Not enough memory for tiles in Load_Level(%s, %s)", loader.def, loader.map);
        return false;
    }
    world_atlas_size = static_cast<uint32_t>(bytes);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Line handlers
// ---------------------------------------------------------------------------------------------

bool line_too_long()
{
    world_fatal("ERROR : Line is too long! ( maximun %d )", DEF_LINE_SIZE - 1);
    return false;
}

bool parameter_line(const char *line)
{
    char letter = line[1];
    if (letter == 'j') {
        CURSOR c{line + 2};
        char file[TOKEN_SIZE];
        read_value(c, file);
        int hor, ver;
        if (!read_int(c, &hor)) {
            world_fatal("Parameter missing in Background (hor) in Load_Level(%s, %s)", loader.def, loader.map);
            return false;
        }
        if (!read_int(c, &ver)) {
            world_fatal("Parameter missing in Background (ver) in Load_Level(%s, %s)", loader.def, loader.map);
            return false;
        }
        if (hor < 100) {
            world_fatal("*Scale %d for background should be at least 100 in Load_Level(%s, %s)", hor, loader.def,
                        loader.map);
            return false;
        }
        if (ver < 100) {
            world_fatal("Scale %d for background should be at least 100 in Load_Level(%s, %s)", ver, loader.def,
                        loader.map);
            return false;
        }
        if (!world_background_loaded) {
            if (kx_bit_load(&world_background, file, KX_BIT_LOAD_PALETTE))
                world_background_loaded = 1;
            else
                kx_dsp_alert("Can't load background bitmap!", file, 0);
        }
        world_param.background_hor = hor;
        world_param.background_ver = ver;
        return true;
    }
    if (letter < 'a' || letter > 'i') return true;
    int value = to_int(line + 2);
    struct RANGE {
        int *field;
        int low, high;
    };
    WORLD_PARAMS &w = world_param;
    // World sizes and texture units that the tables and the atlas can hold.
    const RANGE ranges[] = {
        {&w.width, 1, 1024}, {&w.depth, 1, 1024}, {&w.cell, 1, 32767},   {&w.floor_unit, 1, 256}, {&w.wall_width, 1, 256},
        {&w.wall_height, 1, 1024}, {&w.g, INT_MIN, INT_MAX}, {&w.h, INT_MIN, INT_MAX}, {&w.distance, INT_MIN, INT_MAX},
    };
    const RANGE &r = ranges[letter - 'a'];
    if (value < r.low || value > r.high) {
        world_fatal("Wrong value %d for @%c in Load_Level(%s, %s)", value, letter, loader.def, loader.map);
        return false;
    }
    *r.field = value;
    if (letter == 'd') loader.seen_d = true;
    if (letter == 'e') loader.seen_e = true;
    if (letter == 'f') loader.seen_f = true;
    return true;
}

bool texture_load(const char *file, uint32_t *texture, WORLD_TEXTURE_INFO *info, int shared, uint32_t *run = nullptr)
{
    if (load_texture(texture, file, 1, info, shared, run)) return true;
    world_fatal("Can't load bitmap %s in Load_Level(%s, %s)", file, loader.def, loader.map);
    return false;
}

// The start shared by the bitmap lines (# $) and the sprite bitmap lines (^): the atlas must exist
// (the world parameters came first), then a table name and a file name.
bool name_and_file(const char *line, char *name, char *file)
{
    if (!world_atlas) {
        world_fatal("ERROR FATAL in Load_Level(%s, %s)", loader.def, loader.map);
        return false;
    }
    CURSOR c{line + 1};
    char token[TOKEN_SIZE];
    read_name(c, token);
    if (!table_name(token, name)) return false;
    read_value(c, file);
    return true;
}

// # and $ lines.
bool bitmap_line(const char *line)
{
    char name[WORLD_NAME_MAX], file[TOKEN_SIZE];
    if (!name_and_file(line, name, file)) return false;
    if (search_bitmap(name) >= 0) {
        world_fatal("Bitmap name %s already exist in Load_Level(%s, %s)", name, loader.def, loader.map);
        return false;
    }
    if (world_count.bitmaps >= WORLD_BITMAPS - 1) {
        world_fatal("Too many bitmaps in Load_Level(%s, %s)", loader.def, loader.map);
        return false;
    }
    WORLD_BITMAP b{};
    std::memcpy(b.name, name, sizeof name);
    file_suffixes(file, &b.percent, &b.hash);
    const WORLD_PARAMS &w = world_param;
    long long k = world_count.bitmaps;
    long long position;
    if (line[0] == '#') {
        position = (k * w.floor_unit / 256) * w.floor_unit * 256 + (k * w.floor_unit % 256);
    } else {
        long long m = k - world_count.hash_lines;
        long long hash_area = ((world_count.hash_lines - 1) / (256 / w.floor_unit) + 1) * w.floor_unit * 256;
        position = (m * w.wall_width / 256) * w.wall_height * 256 + hash_area + (m * w.wall_width % 256);
    }
    b.atlas = static_cast<uint32_t>(position);
    if (!texture_load(file, &b.texture, nullptr, 0, &b.texture_run)) return false;
    world_bitmaps[world_count.bitmaps++] = b;
    return true;
}

bool sprite_bitmap_line(const char *line)
{
    char name[WORLD_NAME_MAX], file[TOKEN_SIZE];
    if (!name_and_file(line, name, file)) return false;
    if (search_sprite_bitmap(name) >= 0) {
        world_fatal("Sprite Bitmap name %s already exist in Load_Level(%s, %s)", name, loader.def, loader.map);
        return false;
    }
    if (world_count.sprite_bitmaps + 1 >= WORLD_SPRITE_BITMAPS) {
        world_fatal("Too many Sprite Bitmaps in Load_Level(%s, %s)", loader.def, loader.map);
        return false;
    }
    WORLD_SPRITE_BITMAP s{};
    std::memcpy(s.name, name, sizeof name);
    uint8_t hash;
    file_suffixes(file, &s.percent, &hash);
    WORLD_TEXTURE_INFO info{};
    if (!texture_load(file, &s.texture, &info, 1)) return false;
    s.tex_height = info.tex_height;
    s.tex_width = info.tex_width;
    s.height = info.height;
    s.width = info.width;
    s.animation = -1;
    world_sprite_bitmaps[world_count.sprite_bitmaps++] = s;
    return true;
}

// > and < lines.
bool animation_line(const char *line)
{
    bool sprites = line[0] == '<';
    CURSOR c{line + 1};
    while (*c.p && blank(*c.p)) c.p++;
    bool ping_pong = *c.p == '*';
    if (ping_pong) c.p++;
    char token[TOKEN_SIZE], name[WORLD_NAME_MAX];
    read_name(c, token);
    if (!table_name(token, name)) return false;
    if (sprites ? search_sprite_bitmap(name) >= 0 : search_bitmap(name) >= 0) {
        if (sprites)
            world_fatal("Sprite Bitmap name %s already exist in Load_Level(%s, %s)", name, loader.def, loader.map);
        else
            world_fatal("Bitmap name %s already exist  in Load_Level(%s, %s)", name, loader.def, loader.map);
        return false;
    }
    WORLD_ANIMATION a{};
    int count = 0;
    while (read_value(c, token)) {
        if (count >= WORLD_ANIMATION_FRAMES) {
            world_fatal("You cant have more than %i frames in animated bitmap %s in Load_Level(%s, %s)",
                        WORLD_ANIMATION_FRAMES, name, loader.def, loader.map);
            return false;
        }
        int frame = sprites ? search_sprite_bitmap(token) : search_bitmap(token);
        if (frame < 0) {
            if (sprites)
                world_fatal("Sprite Bitmap %s doesn't exist in Load_Level(%s, %s)", token, loader.def, loader.map);
            else
                world_fatal("Bitmap %s doesn't exist in Load_Level(%s, %s)", token, loader.def, loader.map);
            return false;
        }
        int delay;
        if (!read_int(c, &delay)) {
            world_fatal("Delay Parameter missing in animated bitmap %s in Load_Level(%s, %s)", name, loader.def,
                        loader.map);
            return false;
        }
        a.frames[count] = static_cast<int16_t>(frame);
        a.delays[count] = static_cast<int16_t>(delay);
        count++;
    }
    if (count == 0) {
        world_fatal("Animated bitmap %s should have at least 1 frame in Load_Level(%s, %s)", name, loader.def,
                    loader.map);
        return false;
    }
    if (world_count.animations + 1 >= WORLD_ANIMATIONS) {
        world_fatal("Too many animated Bitmaps in Load_Level(%s, %s)", loader.def, loader.map);
        return false;
    }
    if (sprites && world_count.sprite_bitmaps + 1 >= WORLD_SPRITE_BITMAPS) {
        world_fatal("Too many Sprite Bitmaps in Load_Level(%s, %s)", loader.def, loader.map);
        return false;
    }
    if (!sprites && world_count.bitmaps >= WORLD_BITMAPS - 1) {
        world_fatal("Too many bitmaps in Load_Level(%s, %s)", loader.def, loader.map);
        return false;
    }
    int index = world_count.animations++;
    a.active = 1;
    a.loops = -1;
    a.kind = sprites ? WORLD_ANIM_SPRITE_BITMAPS : WORLD_ANIM_BITMAPS;
    a.frame_count = static_cast<int8_t>(count);
    a.timer = a.delays[0];
    a.object = -1;
    a.ping_pong = ping_pong;
    if (sprites) {
        const WORLD_SPRITE_BITMAP &first = world_sprite_bitmaps[a.frames[0]];
        WORLD_SPRITE_BITMAP s{};
        std::memcpy(s.name, name, sizeof name);
        s.percent = first.percent;
        s.tex_height = first.tex_height;
        s.tex_width = first.tex_width;
        s.height = first.height;
        s.width = first.width;
        s.texture = first.texture;
        s.animation = static_cast<int16_t>(index);
        a.target = static_cast<int16_t>(world_count.sprite_bitmaps);
        world_sprite_bitmaps[world_count.sprite_bitmaps++] = s;
    } else {
        const WORLD_BITMAP &first = world_bitmaps[a.frames[0]];
        WORLD_BITMAP b{};
        std::memcpy(b.name, name, sizeof name);
        b.atlas = first.atlas;
        b.percent = first.percent;
        b.hash = first.hash;
        b.texture = first.texture;
        a.target = static_cast<int16_t>(world_count.bitmaps);
        world_bitmaps[world_count.bitmaps++] = b;
    }
    world_animations[index] = a;
    return true;
}

bool sequence_line(const char *line)
{
    CURSOR c{line + 1};
    while (*c.p && blank(*c.p)) c.p++;
    bool ping_pong = *c.p == '*';
    if (ping_pong) c.p++;
    char name[TOKEN_SIZE], prefix[TOKEN_SIZE];
    int count = 0, delay = 0;
    if (!read_name(c, name) || !read_value(c, prefix) || !read_int(c, &count) || !read_int(c, &delay)) {
        world_fatal("Parameters missing in super animated bitmap in Load_Level(%s, %s)", loader.def, loader.map);
        return false;
    }
    if (std::strlen(name) >= static_cast<size_t>(WORLD_NAME_MAX)) {
        char lower[WORLD_NAME_MAX];
        return table_name(name, lower);
    }
    static char generated[TOKEN_SIZE * 2 + 64];
    for (int k = 0; k < count; k++) {
        if (std::snprintf(generated, sizeof generated, "^%s%02d=%s%02d.png", name, k, prefix, k) >=
            static_cast<int>(sizeof generated))
            return line_too_long();
        if (!sprite_bitmap_line(generated)) return false;
    }
    // One frame more than an animation may hold is enough to have it refused.
    int frames = count < WORLD_ANIMATION_FRAMES + 1 ? count : WORLD_ANIMATION_FRAMES + 1;
    int n = std::snprintf(generated, sizeof generated, "<%s%s=", ping_pong ? "*" : "", name);
    for (int k = 0; k < frames; k++)
        n += std::snprintf(generated + n, sizeof generated - n, "%s%s%02d,%d", k ? "," : "", name, k, delay);
    return animation_line(generated);
}

bool tile_line(const char *line)
{
    CURSOR c{line + 1};
    char token[TOKEN_SIZE];
    read_name(c, token);
    int number = to_int(token);
    if (number < 1 || number >= WORLD_TILES) {
        world_fatal("Wrong tile number %d in Load_Level(%s, %s)", number, loader.def, loader.map);
        return false;
    }
    WORLD_TILE &t = world_tiles[number];
    if (t.defined) {
        world_fatal("Tile number %d already defined in Load_Level(%s, %s)", number, loader.def, loader.map);
        return false;
    }
    static char faces[6][TOKEN_SIZE];
    for (int i = 0; i < 6; i++)
        if (!read_value(c, faces[i])) {
            world_fatal("Very Few parameters in tile number %d in Load_Level(%s, %s)", number, loader.def, loader.map);
            return false;
        }
    // Where the names 1-6 of the line are stored.
    static constexpr int slot[6] = {WORLD_FACE_UP, WORLD_FACE_DOWN, WORLD_FACE_LEFT,
                                    WORLD_FACE_NEAR, WORLD_FACE_RIGHT, WORLD_FACE_BACK};
    WORLD_TILE tile{};
    for (int i = 0; i < 6; i++) {
        char *face = faces[i];
        size_t n = std::strlen(face);
        if (face[n - 1] == '!') {
            if (i < 2) {
                world_fatal("ERROR: You can't use the property '!' for floors - Tile %d in Load_Level(%s, %s)", number,
                            loader.def, loader.map);
                return false;
            }
            face[n - 1] = 0;
            tile.property[i - 2] = 1;
        }
        int index = search_bitmap(face);
        if (index == -10) {
            world_fatal("Bitmap name %s doesn't exist in Load_Level(%s, %s)", face, loader.def, loader.map);
            return false;
        }
        tile.face[slot[i]] = static_cast<int16_t>(index);
    }
    tile.defined = 1;
    t = tile;
    return true;
}

bool sprite_line(const char *line)
{
    CURSOR c{line + 1};
    char token[TOKEN_SIZE];
    read_name(c, token);
    int number = to_int(token);
    if (number < 0 || number > WORLD_SPRITE_LAST) {
        world_fatal("Wrong sprite number %d in Load_Level(%s, %s)", number, loader.def, loader.map);
        return false;
    }
    WORLD_SPRITE &s = world_sprites[number];
    if (s.defined) {
        world_fatal("Sprite number %d already defined in Load_Level(%s, %s)", number, loader.def, loader.map);
        return false;
    }
    char bitmap[TOKEN_SIZE];
    int v[11];
    bool enough = read_value(c, bitmap);
    for (int i = 0; enough && i < 11; i++) enough = read_int(c, &v[i]);
    if (!enough) {
        world_fatal("Very Few parameters in sprite number %d in Load_Level(%s, %s)", number, loader.def, loader.map);
        return false;
    }
    int index = search_sprite_bitmap(bitmap);
    if (index < 0) {
        world_fatal("Sprite Bitmap name %s doesn't exist in Load_Level(%s, %s)", bitmap, loader.def, loader.map);
        return false;
    }
    WORLD_SPRITE_BITMAP &sb = world_sprite_bitmaps[index];
    int height = v[0], width = v[1];
    // A negative size is a percentage of the image.
    if (height < 0) height = static_cast<int>(-static_cast<long long>(height) * sb.height / 100);
    if (width < 0) width = static_cast<int>(-static_cast<long long>(width) * sb.width / 100);
    sb.tex_height = sb.height;
    sb.tex_width = sb.width;
    s.defined = 1;
    s.sprite_bitmap = static_cast<int16_t>(index);
    s.height = static_cast<int16_t>(height);
    s.width = static_cast<int16_t>(width);
    s.transparency = static_cast<uint8_t>(v[2]);
    for (int i = 0; i < 8; i++) s.param[i] = static_cast<int16_t>(v[3 + i]);
    return true;
}

bool moving_cell_line(const char *line)
{
    CURSOR c{line + 1};
    int z = 0, x = 0, tile = 0, up = 0, down = 0, mode = 0;
    bool complete = read_int(c, &z) && read_int(c, &x);
    complete = complete && read_int(c, &tile) && read_int(c, &up) && read_int(c, &down) && read_int(c, &mode);
    if (!complete) {
        world_fatal("Parameters missing in moving cell (z:%d, x:%d) in Load_Level(%s, %s)", z, x, loader.def,
                    loader.map);
        return false;
    }
    if (tile < 1 || tile >= WORLD_TILES || !world_tiles[tile].defined) {
        world_fatal("Tile number %d used by an animated cell (z:%d, x:%d) is NOT defined in Load_Level(%s, %s)", tile,
                    z, x, loader.def, loader.map);
        return false;
    }
    if (down > up) {
        world_fatal("The down face altitude cant be higher than the up face in moving cell (z:%d, x:%d) in "
                    "Load_Level(%s, %s)",
                    z, x, loader.def, loader.map);
        return false;
    }
    WORLD_MOV_CELL m{};
    int count = 0, target;
    while (read_int(c, &target)) {
        if (count >= WORLD_MOV_FRAMES) {
            world_fatal("You can't have more than %i frames per moving cell (z:%d, x:%d) in Load_Level(%s, %s)",
                        WORLD_MOV_FRAMES, z, x, loader.def, loader.map);
            return false;
        }
        int speed, delay;
        if (!read_int(c, &speed)) {
            world_fatal("Speed parameter missing in moving cell (z:%d, x:%d) in Load_Level(%s, %s)", z, x, loader.def,
                        loader.map);
            return false;
        }
        if (!read_int(c, &delay)) {
            world_fatal("Delay parameter missing in moving cell (z:%d, x:%d) in Load_Level(%s, %s)", z, x, loader.def,
                        loader.map);
            return false;
        }
        m.target[count] = static_cast<int16_t>(target);
        m.speed[count] = static_cast<int16_t>(speed);
        m.delay[count] = static_cast<int16_t>(delay);
        count++;
    }
    if (count < 2) {
        world_fatal("Moving cell (z:%d, x:%d) should have at least 2 frames in Load_Level(%s, %s)", z, x, loader.def,
                    loader.map);
        return false;
    }
    if (world_count.mov_cells >= WORLD_MOV_CELLS) {
        world_fatal("Too many moving cells in Load_Level(%s, %s)", loader.def, loader.map);
        return false;
    }
    m.z = static_cast<int16_t>(z);
    m.x = static_cast<int16_t>(x);
    m.tile = static_cast<int16_t>(tile);
    m.up = static_cast<int16_t>(up);
    m.down = static_cast<int16_t>(down);
    m.mode = static_cast<uint8_t>(mode);
    m.frame_count = static_cast<uint8_t>(count);
    m.altitude = WORLD_NOT_STARTED;
    m.timer = WORLD_NOT_STARTED;
    mov_cell_index[world_count.mov_cells++] = m;
    return true;
}

bool animated_object_line(const char *line)
{
    CURSOR c{line + 1};
    char token[TOKEN_SIZE];
    read_name(c, token);
    int sprite = to_int(token);
    if (sprite < 0 || sprite > WORLD_SPRITE_LAST || !world_sprites[sprite].defined) {
        world_fatal("Sprite number %d used by an animated object, is NOT defined in Load_Level(%s, %s)", sprite,
                    loader.def, loader.map);
        return false;
    }
    WORLD_ANI_OBJECT a{};
    int count = 0, x;
    while (read_int(c, &x)) {
        if (count >= WORLD_ANI_FRAMES) {
            world_fatal("Animated object %d can't have more than %i frames %d in Load_Level (%s, %s)", sprite,
                        WORLD_ANI_FRAMES, count + 1, loader.def, loader.map);
            return false;
        }
        int y, z, speed, delay;
        const char *missing = nullptr;
        if (!read_int(c, &y))
            missing = "'Y' parameter missing in animated object %d in Load_Level (%s, %s)";
        else if (!read_int(c, &z))
            missing = "'Z' parameter missing in animated object %d in Load_Level (%s, %s)";
        else if (!read_int(c, &speed))
            missing = "Speed parameter missing in animated object %d in Load_Level (%s, %s)";
        else if (!read_int(c, &delay))
            missing = "Delay parameter missing in animated object %d in Load_Level (%s, %s)";
        if (missing) {
            world_fatal(missing, sprite, loader.def, loader.map);
            return false;
        }
        a.x[count] = static_cast<int16_t>(x);
        a.y[count] = static_cast<int16_t>(y);
        a.z[count] = static_cast<int16_t>(z);
        a.speed[count] = static_cast<int16_t>(speed);
        a.delay[count] = static_cast<int16_t>(delay);
        count++;
    }
    if (count == 0) {
        world_fatal("Animated object %d should have at least 1 frame in Load_Level (%s, %s)", sprite, loader.def,
                    loader.map);
        return false;
    }
    if (world_count.ani_objects >= WORLD_ANI_OBJECTS) {
        world_fatal("Too many animated objects in Load_Level (%s, %s)", loader.def, loader.map);
        return false;
    }
    for (int k = 0; k < count; k++) {
        int next = (k + 1) % count;
        double dx = a.x[next] - a.x[k], dy = a.y[next] - a.y[k], dz = a.z[next] - a.z[k];
        double travel = std::sqrt(dx * dx + dy * dy + dz * dz) / a.speed[k];
        a.travel[k] = travel;
        // A frame that goes nowhere (or never gets there) has no step.
        bool moves = travel > 0.0 && std::isfinite(travel);
        a.step_x[k] = moves ? dx / travel : 0.0;
        a.step_y[k] = moves ? dy / travel : 0.0;
        a.step_z[k] = moves ? dz / travel : 0.0;
    }
    a.sprite = static_cast<int16_t>(sprite);
    a.frame_count = static_cast<uint8_t>(count);
    a.timer = WORLD_NOT_STARTED;
    a.travel_left = a.travel[0];
    Ani_Objects_Index[world_count.ani_objects++] = a;
    return true;
}

bool handle_line(const char *line)
{
    switch (line[0]) {
    case '@':
        return parameter_line(line);
    case '#':
    case '$':
        return bitmap_line(line);
    case '^':
        return sprite_bitmap_line(line);
    case ']':
        return sequence_line(line);
    case '>':
    case '<':
        return animation_line(line);
    case '%':
        return tile_line(line);
    case '&':
        return sprite_line(line);
    case '*':
        return moving_cell_line(line);
    case '+':
        return animated_object_line(line);
    default:
        return true;
    }
}

// ---------------------------------------------------------------------------------------------
// Passes
// ---------------------------------------------------------------------------------------------

bool count_pass(KX_IO *file, char *line)
{
    for (;;) {
        int r = def_line_read(file, line, DEF_LINE_SIZE);
        if (r == DEF_LINE_TOO_LONG) return line_too_long();
        if (r == 1) return true;
        if (line[0] == '#') world_count.hash_lines++;
        if (line[0] == '$') world_count.dollar_lines++;
    }
}

bool definition_pass(KX_IO *file, char *line)
{
    for (;;) {
        int r = def_line_read(file, line, DEF_LINE_SIZE);
        if (r == DEF_LINE_TOO_LONG) return line_too_long();
        if (r == 1) return true;
        if (atlas_needed() && !atlas_alloc()) return false;
        if (!handle_line(line)) return false;
    }
}

bool tables_alloc()
{
    struct TABLE {
        void **table;
        size_t size;
        const char *name;
    };
    const TABLE tables[] = {
        {reinterpret_cast<void **>(&world_tiles), sizeof(WORLD_TILE) * WORLD_TILES, "tiles"},
        {reinterpret_cast<void **>(&world_sprites), sizeof(WORLD_SPRITE) * WORLD_SPRITES, "sprites"},
        {reinterpret_cast<void **>(&world_objects), sizeof(WORLD_OBJECT) * WORLD_OBJECTS, "objects"},
        {reinterpret_cast<void **>(&Object_EStuff), sizeof(WORLD_OBJECT_ESTUFF) * WORLD_OBJECTS, "Object_EStuff"},
        {reinterpret_cast<void **>(&world_bitmaps), sizeof(WORLD_BITMAP) * WORLD_BITMAPS, "bitmap index"},
        {reinterpret_cast<void **>(&world_sprite_bitmaps), sizeof(WORLD_SPRITE_BITMAP) * WORLD_SPRITE_BITMAPS,
         "sprite bitmap index"},
        {reinterpret_cast<void **>(&world_animations), sizeof(WORLD_ANIMATION) * WORLD_ANIMATIONS, "animated bitmap index"},
        {reinterpret_cast<void **>(&mov_cell_index), sizeof(WORLD_MOV_CELL) * WORLD_MOV_CELLS, "mov_cell_index"},
        {reinterpret_cast<void **>(&Ani_Objects_Index), sizeof(WORLD_ANI_OBJECT) * WORLD_ANI_OBJECTS, "Ani_Objects_Index"},
    };
    for (const TABLE &t : tables) {
        *t.table = table_alloc(t.size, t.name);
        if (!*t.table) {
            world_fatal("Not enough memory for '%s' in Load_Level(%s, %s)", t.name, loader.def, loader.map);
            return false;
        }
    }
    return true;
}

bool grid_alloc()
{
    size_t cells = static_cast<size_t>(world_param.width) * world_param.depth;
    world_cells = static_cast<WORLD_CELL *>(table_alloc(cells * sizeof(WORLD_CELL), "world"));
    if (!world_cells) {
        world_fatal("Not enough memory for 'world' in Load_Level (%s, %s)", loader.def, loader.map);
        return false;
    }
    tiles_obj = static_cast<WORLD_CELL_LIST *>(table_alloc(cells * sizeof(WORLD_CELL_LIST), "tiles_obj"));
    if (!tiles_obj) {
        world_fatal("Not enough memory for 'tiles_obj' in Load_Level (%s, %s)", loader.def, loader.map);
        return false;
    }
    return true;
}

bool moving_cells_check()
{
    for (int i = 0; i < world_count.mov_cells; i++) {
        const WORLD_MOV_CELL &m = mov_cell_index[i];
        if (!world_cell_at(m.z, m.x)) {
            world_fatal("Moving cell (z:%d, x:%d) is outside the world in Load_Level(%s, %s)", m.z, m.x, loader.def,
                        loader.map);
            return false;
        }
    }
    return true;
}

// One object for each animated object, at its first frame's position.
bool animated_objects_make()
{
    for (int i = 0; i < world_count.ani_objects; i++) {
        WORLD_ANI_OBJECT &a = Ani_Objects_Index[i];
        int n = world_max_object + 1;
        if (n >= WORLD_OBJECT_LIMIT) {
            world_fatal("I cant create more objects\n\n");
            return false;
        }
        world_max_object = static_cast<int16_t>(n);
        WORLD_OBJECT &o = world_objects[n];
        o = WORLD_OBJECT{};
        o.sprite = a.sprite;
        o.x = a.x[0];
        o.y = a.y[0];
        o.z = a.z[0];
        o.light = 15;
        a.sprite = static_cast<int16_t>(n);
    }
    world_count.ani_objects_made = 1;
    return true;
}

bool objects_assign()
{
    for (int i = 1; i <= world_max_object; i++) {
        int sprite = world_objects[i].sprite;
        if (sprite < 0 || sprite >= WORLD_SPRITES || !world_sprites[sprite].defined) {
            world_fatal("Sprite %d is NOT defined! Add a line starting with &%d= in the level's .def file", sprite, sprite);
            return false;
        }
        assign_sprite_to_object(static_cast<int16_t>(i));
    }
    return true;
}

bool load(const char *def_name, const char *map_name, int make_objects, char *line)
{
    KX_IO *file = kx_io_fopen(def_name, "rb");
    if (!file) return false;
    world_error_hint_set(def_line_ends_lf(file) ? DEF_LINE_LF_HINT : nullptr);
    bool ok = tables_alloc() && count_pass(file, line);
    kx_io_fclose(file);
    if (!ok) return false;
    file = kx_io_fopen(def_name, "rb");
    if (!file) {
        world_fatal("ERROR FATAL in Load_Level(%s, %s)", loader.def, loader.map);
        return false;
    }
    ok = definition_pass(file, line);
    kx_io_fclose(file);
    if (!ok || !grid_alloc()) return false;
    reset_world_tables();
    if (!world_map_read(map_name, loader.def) || !moving_cells_check()) return false;
    if (make_objects && !animated_objects_make()) return false;
    if (!objects_assign()) return false;
    relink_objects(1);
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

uint8_t Load_Level(const char *def_name, const char *map_name, int make_objects)
{
    loader = LOADER{};
    loader.def = def_name ? def_name : "(null)";
    loader.map = map_name ? map_name : "(null)";
    world_error_clear();
    char *line = static_cast<char *>(table_alloc(WORLD_LINE_BUFFER, "buffer"));
    if (!line) {
        world_fatal("Not enough memory for 'buffer' in Load_Level(%s, %s)", loader.def, loader.map);
        return WORLD_FAILED;
    }
    KX_IO *probe = def_name ? kx_io_fopen(def_name, "rb") : nullptr;
    if (!probe) {
        kx_mem_free(line);
        return WORLD_NO_FILE;
    }
    kx_io_fclose(probe);
    free_level();
    bool ok = load(def_name, map_name, make_objects, line);
    world_error_hint_set(nullptr);
    kx_mem_free(line);
    if (!ok) {
        free_level();
        return WORLD_FAILED;
    }
    return WORLD_LOADED;
}
