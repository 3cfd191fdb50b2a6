// World objects in the cell lists, and the per-step updates: animated bitmaps (forward, loops,
// ping-pong, objects' own copies), moving cells and animated objects.
#include "world_fixture.h"

#include <cmath>

using namespace world_test;

namespace {

std::vector<int> listed_columns(int row)
{
    std::vector<int> columns;
    for (int x = 0; x < world_param.width; x++)
        if (tiles_obj[row * world_param.width + x].count > 0) columns.push_back(x);
    return columns;
}

// The frames an animation shows over `steps` steps of dt 1, repeats folded.
std::vector<int> frames_shown(int animation, int steps)
{
    std::vector<int> shown{world_animations[animation].frame};
    for (int i = 0; i < steps; i++) {
        update_animated_bitmaps(1.0);
        if (world_animations[animation].frame != shown.back()) shown.push_back(world_animations[animation].frame);
    }
    return shown;
}

} // namespace

TEST_F(WorldTest, AnObjectIsListedInEveryCellItsWidthCovers)
{
    ASSERT_EQ(load(base_lines()), WORLD_LOADED);
    // Sprite 1 is 30 units wide; cells are 12: (30 / 12) + 2 = 4 cells from column
    // trunc((60 - 15) / 12) = 3.
    int16_t o = create_object(1, 60.0, 5.0, 30.0);
    ASSERT_EQ(o, 1);
    EXPECT_EQ(world_objects[o].link_z, 2);
    EXPECT_EQ(world_objects[o].link_x, 3);
    EXPECT_EQ(listed_columns(2), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(world_objects[o].light, 15);
    EXPECT_EQ(world_objects[o].transparency, 1);
    // Moving it takes it out of the old cells.
    EXPECT_EQ(place_object(o, 120.0, 5.0, 30.0), 4);
    EXPECT_EQ(listed_columns(2), (std::vector<int>{8, 9, 10, 11}));
    EXPECT_EQ(place_object(o, 120.0, 5.0, 60.0), 4);
    EXPECT_TRUE(listed_columns(2).empty());
    EXPECT_EQ(listed_columns(5), (std::vector<int>{8, 9, 10, 11}));
    // At the edge of the grid only the cells inside are listed; parked or absurd positions are
    // in no cell at all.
    place_object(o, 230.0, 0.0, 60.0);
    EXPECT_EQ(listed_columns(5), (std::vector<int>{17, 18, 19}));
    place_object(o, WORLD_PARKED, WORLD_PARKED, WORLD_PARKED);
    for (int z = 0; z < world_param.depth; z++) EXPECT_TRUE(listed_columns(z).empty());
    place_object(o, 1e300, 0.0, std::nan(""));
    place_object(o, 60.0, 0.0, 30.0);
    EXPECT_EQ(listed_columns(2), (std::vector<int>{3, 4, 5, 6}));
}

TEST_F(WorldTest, CellListsHoldFifteenAndRelinkRebuildsThem)
{
    ASSERT_EQ(load(base_lines()), WORLD_LOADED);
    for (int i = 0; i < 17; i++) create_object(1, 60.0, 0.0, 30.0);
    EXPECT_EQ(tiles_obj[2 * 20 + 4].count, 15);
    EXPECT_EQ(tiles_obj[2 * 20 + 4].object[14], 15);
    // Objects 16 and 17 are in no list; moving object 1 away makes room for nobody else.
    place_object(1, 60.0, 0.0, 90.0);
    EXPECT_EQ(tiles_obj[2 * 20 + 4].count, 14);
    EXPECT_EQ(tiles_obj[2 * 20 + 4].object[0], 2);
    // Relinking from object 3 lists 3..17 only (15 of them) where they stand.
    world_objects[17].x = 180.0;
    relink_objects(3);
    EXPECT_EQ(tiles_obj[2 * 20 + 4].count, 14);
    EXPECT_EQ(tiles_obj[2 * 20 + 4].object[0], 3);
    EXPECT_EQ(listed_columns(7), std::vector<int>{}) << "object 1 was not relinked";
    EXPECT_EQ(tiles_obj[2 * 20 + 14].count, 1);
}

TEST_F(WorldTest, NoMoreThan997Objects)
{
    ASSERT_EQ(load(base_lines()), WORLD_LOADED);
    for (int i = 1; i <= 997; i++) ASSERT_EQ(create_object(1, WORLD_PARKED, WORLD_PARKED, WORLD_PARKED), i);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(create_object(1, 0, 0, 0), 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "I cant create more objects\n\n");
    EXPECT_EQ(world_max_object, 997);
}

TEST_F(WorldTest, PingPongPlaysForwardThenBack)
{
    ASSERT_EQ(load({"@d 32", "@e 32", "@f 64", "] *pp = walk, 4, 1", "] fw = walk, 3, 1"}), WORLD_LOADED);
    std::vector<int> shown = frames_shown(0, 60);
    shown.resize(13);
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 0}));
    // The target sprite bitmap shows each frame's texture.
    EXPECT_EQ(world_sprite_bitmaps[4].texture, world_sprite_bitmaps[world_animations[0].frames[world_animations[0].frame]].texture);
    // With one loop it ends after its first return to frame 0.
    reset_world_tables();
    world_animations[0].loops = 1;
    world_animations[0].frame = 0;
    world_animations[0].direction = 0;
    EXPECT_EQ(frames_shown(0, 60), (std::vector<int>{0, 1, 2, 3, 2, 1, 0}));
    EXPECT_EQ(world_animations[0].loops, 0);
}

TEST_F(WorldTest, ForwardAnimationsLoopOrStopOnTheirLastFrame)
{
    ASSERT_EQ(load({"@d 32", "@e 32", "@f 64", "] fw = walk, 3, 1"}), WORLD_LOADED);
    std::vector<int> shown = frames_shown(0, 60);
    shown.resize(7);
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 0, 1, 2, 0}));
    world_animations[0].frame = 0;
    world_animations[0].loops = 2;
    EXPECT_EQ(frames_shown(0, 60), (std::vector<int>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(world_animations[0].frame, 2);
    // An inactive animation stands still.
    world_animations[0].frame = 0;
    world_animations[0].active = 0;
    EXPECT_EQ(frames_shown(0, 10), std::vector<int>{0});
}

TEST_F(WorldTest, AnObjectGetsItsOwnCopyOfAnAnimation)
{
    ASSERT_EQ(load(with_base({"] fw = walk, 3, 1"})), WORLD_LOADED);
    int16_t o = create_object(1, 60.0, 0.0, 30.0);
    int sprite_bitmaps = world_count.sprite_bitmaps, animations = world_count.animations;
    asign_animation_to_object(o, 0, 1, 1);
    ASSERT_EQ(world_count.sprite_bitmaps, sprite_bitmaps + 1);
    ASSERT_EQ(world_count.animations, animations + 1);
    const WORLD_OBJECT_ESTUFF &own = Object_EStuff[o];
    EXPECT_EQ(own.sprite_bitmap, sprite_bitmaps);
    EXPECT_EQ(own.animation, animations);
    EXPECT_EQ(own.loops, 1);
    EXPECT_EQ(world_objects[o].sprite_bitmap, own.sprite_bitmap);
    const WORLD_ANIMATION &a = world_animations[own.animation];
    EXPECT_EQ(a.frame, 1);
    EXPECT_EQ(a.object, o);
    EXPECT_EQ(a.target, own.sprite_bitmap);
    EXPECT_EQ(world_sprite_bitmaps[own.sprite_bitmap].texture, world_sprite_bitmaps[a.frames[1]].texture);
    EXPECT_EQ(world_sprite_bitmaps[own.sprite_bitmap].animation, own.animation);
    // Its loop count is reported back to the object.
    EXPECT_EQ(frames_shown(own.animation, 30), (std::vector<int>{1, 2}));
    EXPECT_EQ(Object_EStuff[o].loops, 0);
    // A second animation reuses the object's entries.
    asign_animation_to_object(o, 0, -1, 0);
    EXPECT_EQ(world_count.sprite_bitmaps, sprite_bitmaps + 1);
    EXPECT_EQ(world_count.animations, animations + 1);
    EXPECT_EQ(world_animations[own.animation].loops, -1);
}

TEST_F(WorldTest, MovingCellsRiseWaitAndComeBack)
{
    ASSERT_EQ(load(with_base({"*2, 3 = 1, 10, 0, 0, 20, 10, 3, 10, 20, 1", "*4, 5 = 1, 10, 4, 1, 16, 10, 1, 10, 10, 1"})),
              WORLD_LOADED)
        << (errors.empty() ? "" : errors[0]);
    const WORLD_CELL &block = *world_cell_at(2, 3);
    const WORLD_CELL &top = *world_cell_at(4, 5);
    update_moving_cells(1.0);   // first call: the cells take the tile and the start altitudes
    EXPECT_EQ(block.tile, 1);
    EXPECT_EQ(block.up[0], 10);
    EXPECT_EQ(block.down[3], 0);
    EXPECT_EQ(top.up[2], 10);
    EXPECT_EQ(top.down[2], 4);
    update_moving_cells(1.0);   // speed 10: one unit per step of 1
    EXPECT_EQ(block.up[1], 11);
    EXPECT_EQ(block.down[1], 1) << "the whole block moves";
    EXPECT_EQ(top.up[1], 11);
    EXPECT_EQ(top.down[1], 4) << "only the up face moves";
    for (int i = 0; i < 9; i++) update_moving_cells(1.0);
    EXPECT_EQ(block.up[0], 20) << "it stops exactly at the target";
    EXPECT_EQ(block.down[0], 10);
    EXPECT_EQ(top.up[0], 14) << "up to 16, a step's wait, and on its way back";
    EXPECT_EQ(top.down[0], 4);
    // The delay of 3 holds it for three more steps; the fourth starts the next frame.
    for (int i = 0; i < 3; i++) update_moving_cells(1.0);
    EXPECT_EQ(mov_cell_index[0].frame, 0);
    update_moving_cells(1.0);
    EXPECT_EQ(mov_cell_index[0].frame, 1);
    EXPECT_EQ(block.up[0], 20);
    // Back down at speed 20: two units a step, then on to frame 0 after its delay of 1.
    for (int i = 0; i < 5; i++) update_moving_cells(1.0);
    EXPECT_EQ(block.up[0], 10);
    EXPECT_EQ(block.down[0], 0);
    EXPECT_EQ(mov_cell_index[0].frame, 1);
    for (int i = 0; i < 2; i++) update_moving_cells(1.0);
    EXPECT_EQ(mov_cell_index[0].frame, 0);
}

TEST_F(WorldTest, AnimatedObjectsTravelBetweenTheirFrames)
{
    ASSERT_EQ(load(with_base({"+1 = 0, 0, 30, 2, 3, 24, 0, 30, 2, 3"})), WORLD_LOADED) << (errors.empty() ? "" : errors[0]);
    ASSERT_EQ(world_max_object, 1);
    int16_t o = Ani_Objects_Index[0].sprite;
    ASSERT_EQ(o, 1);
    EXPECT_EQ(world_objects[o].sprite, 1);
    EXPECT_EQ(world_objects[o].width, 30);
    EXPECT_EQ(world_objects[o].x, 0.0);
    // 24 units at speed 2: 12 time units, 2 units a time unit.
    EXPECT_DOUBLE_EQ(Ani_Objects_Index[0].travel[0], 12.0);
    EXPECT_DOUBLE_EQ(Ani_Objects_Index[0].step_x[0], 2.0);
    update_animated_objects(1.0);
    EXPECT_DOUBLE_EQ(world_objects[o].x, 2.0);
    for (int i = 0; i < 11; i++) update_animated_objects(1.0);
    EXPECT_DOUBLE_EQ(world_objects[o].x, 24.0) << "placed exactly on arrival";
    EXPECT_EQ(Ani_Objects_Index[0].frame, 1);
    // The delay of 3 holds it, then it heads back.
    for (int i = 0; i < 3; i++) update_animated_objects(1.0);
    EXPECT_DOUBLE_EQ(world_objects[o].x, 24.0);
    update_animated_objects(1.0);
    EXPECT_DOUBLE_EQ(world_objects[o].x, 22.0);
    EXPECT_EQ(listed_columns(2), (std::vector<int>{0, 1, 2, 3}));
    // Without the flag no object is made and the updates leave the objects alone.
    free_level();
    ASSERT_EQ(load(with_base({"+1 = 0, 0, 30, 2, 3, 24, 0, 30, 2, 3"}), nullptr, 0), WORLD_LOADED);
    EXPECT_EQ(world_max_object, 0);
    update_animated_objects(1.0);
    EXPECT_EQ(Ani_Objects_Index[0].sprite, 1);
}

TEST_F(WorldTest, AFrameThatGoesNowhereHasNoStep)
{
    ASSERT_EQ(load(with_base({"+1 = 12, 0, 30, 0, 1", "+1 = 12, 0, 30, 3, 1, 12, 0, 30, 0, 1"})), WORLD_LOADED);
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(Ani_Objects_Index[i].step_x[0], 0.0);
        EXPECT_EQ(Ani_Objects_Index[i].step_z[0], 0.0);
    }
    for (int i = 0; i < 10; i++) update_animated_objects(1.0);
    EXPECT_EQ(world_objects[1].x, 12.0);
    EXPECT_EQ(world_objects[2].x, 12.0);
}
