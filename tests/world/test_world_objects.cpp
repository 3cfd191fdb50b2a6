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
    const WORLD_OBJECT &obj = world_objects[o];
    EXPECT_EQ((std::vector<int>{obj.link_z, obj.link_x, obj.light, obj.transparency}), (std::vector<int>{2, 3, 15, 1}));
    EXPECT_EQ(listed_columns(2), (std::vector<int>{3, 4, 5, 6}));
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

TEST_F(WorldTest, AnimationsLoopForwardOrPingPong)
{
    ASSERT_EQ(load({"@d 32", "@e 32", "@f 64", "] *pp = walk, 4, 1", "] fw = walk, 3, 1"}), WORLD_LOADED);
    WORLD_ANIMATION &pp = world_animations[0], &fw = world_animations[1];
    auto restart = [](WORLD_ANIMATION &a, int loops) { a.frame = 0, a.direction = 0, a.loops = loops; };
    std::vector<int> shown = frames_shown(0, 60);
    shown.resize(13);
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 0}));
    // The target sprite bitmap shows each frame's texture.
    EXPECT_EQ(world_sprite_bitmaps[pp.target].texture, world_sprite_bitmaps[pp.frames[pp.frame]].texture);
    // With one loop it ends after its first return to frame 0.
    reset_world_tables();
    restart(pp, 1);
    EXPECT_EQ(frames_shown(0, 60), (std::vector<int>{0, 1, 2, 3, 2, 1, 0}));
    EXPECT_EQ(pp.loops, 0);
    // Forward: loops, or stops on its last frame after the given loops; inactive stands still.
    restart(fw, -1);
    shown = frames_shown(1, 60);
    shown.resize(7);
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 0, 1, 2, 0}));
    restart(fw, 2);
    EXPECT_EQ(frames_shown(1, 60), (std::vector<int>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(fw.frame, 2);
    restart(fw, 2);
    fw.active = 0;
    EXPECT_EQ(frames_shown(1, 10), std::vector<int>{0});
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
    const WORLD_ANIMATION &a = world_animations[own.animation];
    EXPECT_EQ((std::vector<int>{own.sprite_bitmap, own.animation, own.loops, world_objects[o].sprite_bitmap, a.frame, a.object,
                                a.target, world_sprite_bitmaps[own.sprite_bitmap].animation}),
              (std::vector<int>{sprite_bitmaps, animations, 1, sprite_bitmaps, 1, o, sprite_bitmaps, animations}));
    EXPECT_EQ(world_sprite_bitmaps[own.sprite_bitmap].texture, world_sprite_bitmaps[a.frames[1]].texture);
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
        << first_error();
    const WORLD_CELL &block = *world_cell_at(2, 3), &top = *world_cell_at(4, 5);
    auto step = [](int n) { while (n--) update_moving_cells(1.0); };
    // The four corners' common altitude (-999 when they differ).
    auto all = [](const int16_t *v) { return v[0] == v[1] && v[1] == v[2] && v[2] == v[3] ? v[0] : -999; };
    // Block up and down, top up and down, the block's frame.
    auto state = [&] {
        return std::vector<int>{all(block.up), all(block.down), all(top.up), all(top.down), mov_cell_index[0].frame};
    };
    step(1);   // first call: the cells take the tile and the start altitudes
    EXPECT_EQ(block.tile, 1);
    EXPECT_EQ(state(), (std::vector<int>{10, 0, 10, 4, 0}));
    step(1);   // speed 10: one unit per step of 1; the whole block moves, only the top's up face
    EXPECT_EQ(state(), (std::vector<int>{11, 1, 11, 4, 0}));
    step(9);   // the block stops exactly at the target; the top went up to 16, waited and comes back
    EXPECT_EQ(state(), (std::vector<int>{20, 10, 14, 4, 0}));
    // The delay of 3 holds it for three more steps; the fourth starts the next frame.
    step(3);
    EXPECT_EQ(mov_cell_index[0].frame, 0);
    step(1);
    EXPECT_EQ(mov_cell_index[0].frame, 1);
    EXPECT_EQ(all(block.up), 20);
    // Back down at speed 20: two units a step, then on to frame 0 after its delay of 1.
    step(5);
    EXPECT_EQ(state()[0], 10);
    EXPECT_EQ(state()[1], 0);
    EXPECT_EQ(state()[4], 1);
    step(2);
    EXPECT_EQ(mov_cell_index[0].frame, 0);
}

TEST_F(WorldTest, AnimatedObjectsTravelBetweenTheirFrames)
{
    ASSERT_EQ(load(with_base({"+1 = 0, 0, 30, 2, 3, 24, 0, 30, 2, 3"})), WORLD_LOADED) << first_error();
    ASSERT_EQ(world_max_object, 1);
    ASSERT_EQ(Ani_Objects_Index[0].sprite, 1);
    const WORLD_OBJECT &o = world_objects[1];
    EXPECT_EQ((std::vector<double>{double(o.sprite), double(o.width), o.x}), (std::vector<double>{1, 30, 0}));
    // 24 units at speed 2: 12 time units, 2 units a time unit.
    EXPECT_DOUBLE_EQ(Ani_Objects_Index[0].travel[0], 12.0);
    EXPECT_DOUBLE_EQ(Ani_Objects_Index[0].step_x[0], 2.0);
    // The x after each of 16 steps: placed exactly on arrival, held by the delay of 3, back.
    std::vector<double> xs;
    for (int i = 0; i < 16; i++) update_animated_objects(1.0), xs.push_back(o.x);
    EXPECT_EQ(xs, (std::vector<double>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 24, 24, 24, 22}));
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
