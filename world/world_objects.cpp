// World objects: creating them from sprites, placing them in the cell grid (each object is
// listed in the cells its width covers in its row), relinking them all, and giving an object its
// own copy of an animation.
#include "world/world.h"

#include <cmath>

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

namespace {

// Outside every grid: coordinates that are not finite or lie beyond any row or column number.
constexpr int OFF_GRID = -30000;

bool object_valid(int o)
{
    return world_objects && o >= 0 && o < WORLD_OBJECTS;
}

// trunc(v / c) as a cell number; OFF_GRID when it cannot be one.
int cell_number(double v, int c)
{
    double q = std::trunc(v / c);
    if (!(q > OFF_GRID && q < -OFF_GRID)) return OFF_GRID;
    return static_cast<int>(q);
}

WORLD_CELL_LIST *list_at(int z, int x)
{
    if (!tiles_obj || z < 0 || x < 0 || z >= world_param.depth || x >= world_param.width) return nullptr;
    return &tiles_obj[static_cast<size_t>(z) * world_param.width + x];
}

void list_remove(WORLD_CELL_LIST *list, int16_t o)
{
    int count = list->count;
    if (count > WORLD_CELL_OBJECTS) count = WORLD_CELL_OBJECTS;
    for (int i = 0; i < count; i++) {
        if (list->object[i] != o) continue;
        for (int j = i; j + 1 < count; j++) list->object[j] = list->object[j + 1];
        list->count = static_cast<int8_t>(count - 1);
        return;
    }
}

int run_length(int width)
{
    return width / world_param.cell + 2;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void assign_sprite_to_object(int16_t object)
{
    if (!object_valid(object) || !world_sprites) return;
    WORLD_OBJECT &o = world_objects[object];
    if (o.sprite < 0 || o.sprite >= WORLD_SPRITES) return;
    const WORLD_SPRITE &s = world_sprites[o.sprite];
    o.sprite_bitmap = s.sprite_bitmap;
    o.height = s.height;
    o.width = s.width;
    o.transparency = s.transparency;
    for (int i = 0; i < 8; i++) o.param[i] = s.param[i];
}

int16_t create_object(int16_t sprite, double x, double y, double z)
{
    if (!world_objects) return 0;
    int n = world_max_object + 1;
    if (n >= WORLD_OBJECT_LIMIT) {
        world_fatal("I cant create more objects\n\n");
        return 0;
    }
    world_max_object = static_cast<int16_t>(n);
    WORLD_OBJECT &o = world_objects[n];
    o.sprite = sprite;
    assign_sprite_to_object(static_cast<int16_t>(n));
    o.link_x = WORLD_UNLINKED;
    o.mirror_x = o.mirror_y = 0;
    o.tint = 0;
    o.light = 15;
    o.linked_width = o.width;
    place_object(static_cast<int16_t>(n), x, y, z);
    return static_cast<int16_t>(n);
}

int place_object(int16_t object, double x, double y, double z)
{
    if (!object_valid(object) || world_param.cell <= 0) return 0;
    WORLD_OBJECT &o = world_objects[object];
    if (o.link_x != WORLD_UNLINKED) {
        int n = run_length(o.linked_width);
        for (int i = 0; i < n; i++)
            if (WORLD_CELL_LIST *list = list_at(o.link_z, o.link_x + i)) list_remove(list, object);
    }
    o.x = x;
    o.y = y;
    o.z = z;
    o.linked_width = o.width;
    int row = cell_number(z, world_param.cell);
    int column = cell_number(x - (o.width + 1) / 2, world_param.cell);
    o.link_z = static_cast<int16_t>(row);
    o.link_x = static_cast<int16_t>(column);
    int n = run_length(o.width);
    for (int i = 0; i < n; i++) {
        WORLD_CELL_LIST *list = list_at(row, column + i);
        if (list && list->count >= 0 && list->count < WORLD_CELL_OBJECTS) list->object[list->count++] = object;
    }
    return n;
}

void relink_objects(int16_t first)
{
    if (!world_objects) return;
    if (tiles_obj)
        for (size_t i = 0; i < static_cast<size_t>(world_param.width) * world_param.depth; i++) tiles_obj[i].count = 0;
    if (first < 0) first = 0;
    for (int i = first; i <= world_max_object && i < WORLD_OBJECTS; i++) {
        WORLD_OBJECT &o = world_objects[i];
        o.link_x = WORLD_UNLINKED;
        o.linked_width = o.width;
        place_object(static_cast<int16_t>(i), o.x, o.y, o.z);
    }
}

void asign_animation_to_object(int16_t object, int16_t animation, int16_t loops, int16_t start)
{
    if (!object_valid(object) || !Object_EStuff || !world_animations || !world_sprite_bitmaps) return;
    if (animation < 0 || animation >= world_count.animations) return;
    const WORLD_ANIMATION &source = world_animations[animation];
    if (start < 0 || start >= source.frame_count) return;
    WORLD_OBJECT_ESTUFF &own = Object_EStuff[object];
    if (own.sprite_bitmap == -1) {
        if (world_count.sprite_bitmaps >= WORLD_SPRITE_BITMAPS) {
            world_fatal("Too many Sprite Bitmaps! ( asign_animation_to_object )");
            return;
        }
        if (world_count.animations >= WORLD_ANIMATIONS) {
            world_fatal("Too many animated Bitmaps! ( asign_animation_to_object )");
            return;
        }
        own.sprite_bitmap = static_cast<int16_t>(world_count.sprite_bitmaps++);
        own.animation = static_cast<int16_t>(world_count.animations++);
        world_sprite_bitmaps[own.sprite_bitmap] = WORLD_SPRITE_BITMAP{};
    }
    own.loops = loops;
    WORLD_ANIMATION &a = world_animations[own.animation];
    a = source;
    a.kind = WORLD_ANIM_SPRITE_BITMAPS;
    a.frame = static_cast<int8_t>(start);
    a.target = own.sprite_bitmap;
    a.timer = a.delays[start];
    a.active = 1;
    a.loops = loops;
    a.object = object;
    a.direction = 0;
    int16_t frame = a.frames[start];
    WORLD_SPRITE_BITMAP &sb = world_sprite_bitmaps[own.sprite_bitmap];
    if (frame >= 0 && frame < world_count.sprite_bitmaps) {
        const WORLD_SPRITE_BITMAP &f = world_sprite_bitmaps[frame];
        sb.percent = f.percent;
        sb.tex_height = f.tex_height;
        sb.tex_width = f.tex_width;
        sb.height = f.height;
        sb.width = f.width;
        sb.texture = f.texture;
    }
    sb.animation = own.animation;
    sb.flag = 0;
    world_objects[object].sprite_bitmap = own.sprite_bitmap;
}
