// Bricks, bonuses and enemies: what each brick kind takes and scores, weak balls, the floor
// variants, bonus drops and their limits, the extra balls, and enemies kept off the bricks.
#include "tests/game/game_harness.h"

using namespace game_test;

namespace {

TEST(FloorVariant, TableOfTheThreeNeighbours)
{
    const struct {
        int left, lower_left, lower, v;
    } cases[] = {{0, 0, 0, 0}, {0, 0, 1, 1}, {0, 1, 1, 2}, {0, 1, 0, 3},
                 {1, 1, 0, 4}, {1, 0, 0, 5}, {1, 0, 1, 5}, {1, 1, 1, 6}};
    for (const auto &c : cases)
        EXPECT_EQ(Floor_Variant(c.left, c.lower_left, c.lower), c.v) << c.left << c.lower_left << c.lower;
}

TEST_F(GameTest, BuiltLevelHasBordersBricksAndShadedFloor)
{
    // An A at map (7, 8) and b, b, c below it at (8, 8), (8, 9), (8, 10).
    level({"", "", "     A", "     bbc", "", "", "", ""});
    const int f = (game_levels.level[1].floor_type + 9) * 10, b = (game_levels.level[1].border_type + 13) * 10;
    const struct {
        int row, column, tile, height;
    } cases[] = {
        {7, 8, 20, -14},     {8, 9, 51, -14},     {8, 10, 52, -14},    {5, 2, b, -14},     {9, 17, b + 1, -14},
        {4, 10, b + 2, -14}, {20, 10, 0, -20},    {6, 8, f + 1, -20},  {7, 7, f + 0, -20}, {7, 9, f + 6, -20},
        {7, 10, f + 2, -20}, {7, 11, f + 3, -20}, {8, 11, f + 5, -20},
    };
    for (const auto &c : cases) {
        const WORLD_CELL *cell = world_cell_at(c.row, c.column);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->tile, c.tile) << c.row << "," << c.column;
        EXPECT_EQ(cell->up[0], c.height) << c.row << "," << c.column;
        EXPECT_EQ(cell->down[0], c.height - 6);
        EXPECT_EQ(cell->light, c.row + 5);
    }
    // Breaking the A turns its cell to floor and reshades its neighbours.
    Brick_Hit(7 * world_param.width + 8, 1);
    EXPECT_EQ(world_cell_at(7, 8)->tile, f + 1);
    EXPECT_EQ(world_cell_at(6, 8)->tile, f + 0);
    EXPECT_EQ(world_cell_at(7, 9)->tile, f + 2);
    // The floor switched off and on again during the level comes back shaded at once.
    for (int floor : {0, 1}) {
        pref_floor = floor;
        game.rebuild = REBUILD_FLOOR;
        Level_Build_Bricks();
    }
    EXPECT_EQ(world_cell_at(7, 9)->tile, f + 2);
    EXPECT_EQ(world_cell_at(8, 11)->tile, f + 5);
}

TEST_F(GameTest, EachBrickKindTakesItsHitsAndScores)
{
    const struct {
        char ch;
        int damaging, hits_to_break, points_per_hit, effect;
    } cases[] = {
        {'7', 1, 0, 1, 13}, {'K', 1, 1, 25, 14}, {'k', 1, 2, 30, 15}, {'K', 0, 0, 1, 13}, {'k', 0, 0, 1, 13},
    };
    for (const auto &c : cases) {
        std::string row(1, c.ch);
        level({row.c_str(), "", "", "", "", "", "", "             Z"});
        const int index = 5 * world_param.width + 3;
        for (int hit = 1; hit <= 3; hit++) {
            const int score = game.score;
            effects.clear();
            const bool stops = Brick_Hit(index, c.damaging);
            const bool was_there = c.hits_to_break == 0 || hit <= c.hits_to_break;
            EXPECT_EQ(stops, was_there) << c.ch << " hit " << hit;
            if (!was_there) continue;
            EXPECT_EQ(game.score - score, c.points_per_hit) << c.ch;
            EXPECT_EQ(effects, std::vector<int>{c.effect}) << c.ch;
            const bool broken = c.hits_to_break && hit >= c.hits_to_break;
            EXPECT_EQ(world_cell_at(5, 3)->up[0] < -19, broken) << c.ch << " hit " << hit;
        }
    }
    EXPECT_EQ(Brick_Hit(-1, 1), 0);
    EXPECT_EQ(Brick_Hit(world_param.width * world_param.depth, 1), 0);
}

TEST_F(GameTest, BrickCountsLeaveOutTheBordersAndTakeMetalOnlyWhenAsked)
{
    level({"123", "A.b", "", "", "", "", "", "0            9"});
    EXPECT_EQ(Game_Bricks_Count(0), 2);
    EXPECT_EQ(Game_Bricks_Count(1), 7);
}

TEST_F(GameTest, WeakBallBouncesOffBricksWithoutBreakingThem)
{
    level({"", "", "", "ZZZZZZZZZZZZZZ", "", "", "", ""});
    Game_Object_Park(pools.balls[0]);
    WORLD_OBJECT *b = ball_set(1, 100.0, 8 * 12 + 12 + 3.0, 0, -8000, SPRITE_WEAK_BALL);
    for (int i = 0; i < 20; i++)
        Game_Step();
    EXPECT_GT(b->param[1], 0);
    EXPECT_EQ(Game_Bricks_Count(0), 14);
    EXPECT_GT(game.score, 0);
}

TEST_F(GameTest, NoBonusDropsWhileAllTwentyFallAndNoKindFallsTwice)
{
    level({"AAAAAAAAAAAAAA", "AAAAAAAAAAAAAA", "", "", "", "", "", ""}, 100);
    // Bricks broken one after another: the bonuses that fall are each of their own kind.
    for (int c = 3; c <= 16; c++)
        Brick_Hit(5 * world_param.width + c, 1);
    std::vector<int> kinds;
    for (int16_t n : pools.bonuses)
        if (!Game_Object_Free(Game_Object(n))) kinds.push_back(Game_Object(n)->sprite);
    EXPECT_FALSE(kinds.empty());
    std::sort(kinds.begin(), kinds.end());
    EXPECT_EQ(std::adjacent_find(kinds.begin(), kinds.end()), kinds.end());
    // With all twenty falling, a broken brick drops nothing and draws no kind.
    for (int i = 0; i < GAME_BONUSES; i++) {
        Game_Object_Sprite(pools.bonuses[i], 80 + i % 16);
        Game_Object_Place(pools.bonuses[i], 40.0 + i * 8, -14.0, 100.0);
    }
    const int drawn = tape.rand_count;
    Brick_Hit(6 * world_param.width + 3, 1);
    EXPECT_EQ(tape.rand_count - drawn, 1);
    for (int i = 0; i < GAME_BONUSES; i++)
        EXPECT_EQ(Game_Object(pools.bonuses[i])->x, 40.0 + i * 8);
}

TEST_F(GameTest, TenMoreBallsWith29InPlayAddsOne)
{
    level(EMPTY);
    const struct {
        int in_play, bonus, after;
    } cases[] = {{29, 83, 30}, {1, 83, 11}, {1, 82, 4}, {30, 82, 30}};
    for (const auto &c : cases) {
        for (int i = 0; i < GAME_BALLS; i++)
            Game_Object_Park(pools.balls[i]);
        for (int i = 0; i < c.in_play; i++)
            ball_set(i, 60.0 + i * 4, 140.0, 3000, -6000);
        Game_Object_Sprite(pools.bonuses[0], c.bonus);
        Game_Object_Place(pools.bonuses[0], paddle.x, -19.0, paddle.z);
        Bonus_Catch(pools.bonuses[0]);
        EXPECT_EQ(Game_Balls_In_Play(), c.after) << c.in_play << " balls, bonus " << c.bonus;
        for (int i = c.in_play; i < c.after; i++) {
            EXPECT_NEAR(speed(ball(i)), std::hypot(3000.0, 6000.0), 2.0);
            EXPECT_GT(std::abs(angle(ball(i)) - 90.0), 9.0);
        }
    }
    EXPECT_EQ(game.score, 4 * 150);
}

TEST_F(GameTest, EnemiesNeverAppearOnNorEnterABrick)
{
    // A checkerboard of bricks leaves every other cell free.
    level({"Z0Z0Z0Z0Z0Z0Z0", "0Z0Z0Z0Z0Z0Z0Z", "Z0Z0Z0Z0Z0Z0Z0", "", "0 0 0 0 0 0 0 ", " 0 0 0 0 0 0 0", "", ""});
    game_levels.level[1].enemy_max = 50;
    game.enemy_counter = 1;
    Game_Object_Park(pools.balls[0]);
    ball_set(0, 40.0, 190.0, 0, 100);
    int seen = 0;
    for (int step = 0; step < 3000; step++) {
        game.enemy_counter = std::min(game.enemy_counter, 2);
        Enemies_Step();
        for (int16_t n : pools.enemies) {
            const WORLD_OBJECT *e = Game_Object(n);
            if (Game_Object_Free(e)) continue;
            seen++;
            const WORLD_CELL *cell = world_cell_at(static_cast<int>(e->z / 12), static_cast<int>(e->x / 12));
            ASSERT_TRUE(!cell || cell->up[0] == -20) << "enemy on a brick at " << e->x << "," << e->z;
            ASSERT_LE(e->z, 150.0);
        }
    }
    EXPECT_GT(seen, 0);
}

} // namespace
