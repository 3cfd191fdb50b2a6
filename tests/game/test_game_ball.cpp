// The paddle and the balls: the paddle's reflection, held balls, the paddle seen from above,
// bricks met with two edges, the speed-up, the random numbers and their tape, and a step that
// allocates nothing.
#include "tests/game/game_harness.h"

using namespace game_test;

namespace {

TEST(GameRandom, ParkMillerMinimalStandard)
{
    Game_Random_Seed(1);
    int highest = 0;
    for (int i = 0; i < 10000; i++)
        highest = std::max(highest, Game_Random());
    // The generator's published check: seed 1 gives 1043618065 after 10000 draws.
    EXPECT_EQ(Game_Random_State(), 1043618065u);
    EXPECT_LT(highest, 32767);
    Game_Random_Seed(1);
    EXPECT_EQ(Game_Random(), static_cast<int>(16807u % 32767u));
    Game_Random_Seed(0);
    EXPECT_EQ(Game_Random_State(), 1u);
}

TEST_F(GameTest, RecordedRandomsReplayInOrderAndTheTableHasALimit)
{
    tape.recording = 1;
    Game_Tape_Rewind();
    std::vector<int> drawn;
    for (int i = 0; i < 50; i++)
        drawn.push_back(Game_Random());
    tape.recording = 0;
    tape.steps = 10, tape.rands = 50;
    game_flags.attract_mode = 1;
    Game_Tape_Rewind();
    Game_Random_Seed(999);
    for (int i = 0; i < 50; i++)
        ASSERT_EQ(Game_Random(), drawn[i]) << i;
    tape.steps = 0;
    game_flags.attract_mode = 0;
    // A value past the table's end marks the step for leaving out; the step's end then stops
    // and saves the recording (tests/game_demo). Nothing is fatal.
    tape.recording = 1;
    tape.rand_count = GAME_RAND_VALUES - 1;
    Game_Random();
    EXPECT_EQ(tape.overflow, 0);
    Game_Random();
    EXPECT_EQ(tape.overflow, 1);
    EXPECT_TRUE(alerts.empty());
    tape.recording = tape.overflow = 0;
}

TEST_F(GameTest, PaddleReflectionDependsOnlyOnWhereTheBallMeetsIt)
{
    level(EMPTY);
    const WORLD_OBJECT *pad = Game_Object(pools.paddle);
    const int reach = pad->width / 2 + Game_Object(pools.balls[0])->width / 2;
    const struct {
        double offset, angle;
    } cases[] = {{0.0, 80.0},    {reach / 2.0, 50.0},   {reach * 0.999, 20.0},
                 {-0.01, 100.0}, {-reach / 2.0, 130.0}, {-reach * 0.999, 160.0}};
    for (const auto &c : cases) {
        WORLD_OBJECT *b = ball_set(1, paddle.x + c.offset, paddle.z, 3000, 6000);
        Ball_Paddle_Bounce(b, pad, paddle.x, paddle.z);
        EXPECT_NEAR(angle(b), c.angle, 0.2) << c.offset;
        EXPECT_NEAR(speed(b), std::hypot(3000.0, 6000.0), 2.0) << c.offset;
    }
    EXPECT_EQ(count_effect(17), 6);
}

TEST_F(GameTest, HeldBallLeavesAfter250StepsWithoutFire)
{
    level(EMPTY);
    const WORLD_OBJECT *b = ball(0);
    for (int i = 0; i < 249; i++)
        Game_Step();
    EXPECT_EQ(b->param[2], 1);
    EXPECT_EQ(b->z, paddle.rest_z);
    Game_Step();
    EXPECT_EQ(b->param[2], 0);
    EXPECT_LT(b->param[1], 0);
    EXPECT_NEAR(angle(b), 80.0, 0.5);
}

TEST_F(GameTest, BallMovingUpPassesThroughThePaddle)
{
    level(EMPTY);
    Game_Object_Park(pools.balls[0]);
    const struct {
        int vz;
        bool bounce;
    } cases[] = {{-5000, false}, {5000, true}};
    for (const auto &c : cases) {
        effects.clear();
        WORLD_OBJECT *b = ball_set(0, paddle.x, paddle.z - 1.0, 0, c.vz);
        Game_Step();
        EXPECT_EQ(count_effect(17), c.bounce ? 1 : 0) << c.vz;
        EXPECT_EQ(b->param[1] < 0, true) << c.vz;
    }
}

TEST_F(GameTest, TwoEdgesOnBricksReverseBothSpeedComponents)
{
    // Bricks above and to the left of map cell (10, 7): the ball in that cell's top-left corner
    // moving up and left meets both.
    level({"", "", "", "", "ZZZZZ", "ZZZZ", "", ""});
    Game_Object_Park(pools.balls[0]);
    WORLD_OBJECT *b = ball_set(1, 7 * 12 + 2.5, 10 * 12 + 2.5, -5000, -5000);
    Game_Step();
    EXPECT_GT(b->param[0], 0);
    EXPECT_GT(b->param[1], 0);
    EXPECT_EQ(game.score, 50);
}

TEST_F(GameTest, SpeedUpStopsAtTheLevelsMaximum)
{
    level(EMPTY);
    Game_Object_Park(pools.balls[0]);
    const int top = game_levels.level[1].max_speed, inc = game_levels.level[1].speed_increase;
    const struct {
        int vx, vz;
        bool gains;
    } cases[] = {{0, -(top - 100), true}, {0, -top, false}, {top, top, false}};
    for (const auto &c : cases) {
        WORLD_OBJECT *b = ball_set(0, 100.0, 100.0, c.vx, c.vz);
        game.speedup_counter = 0;
        Balls_Speed_Up();
        EXPECT_EQ(game.speedup_counter, 100);
        EXPECT_EQ(speed(b) > std::hypot(double(c.vx), double(c.vz)), c.gains) << c.vx << " " << c.vz;
        if (c.gains) {
            EXPECT_EQ(b->param[1], c.vz - inc);
        }
    }
}

TEST_F(GameTest, StepsWithEveryPoolBusyAllocateNothing)
{
    // The one breakable brick is walled in by metal ones, so the level is never won.
    level({"0Z0 0  0  0  0", "000", "", "", "", "", "", ""}, 100);
    game_levels.level[1].enemy_max = 50;
    particle_fx_error_hook_set([](const char *) {});
    while (particle_fx_pool_live(game_particles) < game_particles->count)
        if (!particle_fx_start(game_particles, 0, 0, 0, 99)) break;
    particle_fx_error_hook_set(nullptr);
    game.weapon = 1;
    game_autopilot = 1;
    KX_MEM_STATS before, after;
    kx_mem_stats_get(&before);
    for (int i = 0; i < 10000; i++) {
        if (i % 500 == 0) pools_fill();
        Game_Step();
    }
    kx_mem_stats_get(&after);
    EXPECT_EQ(after.count, before.count);
    EXPECT_EQ(after.tracked, before.tracked);
    Game_Particles_Stop(99);
}

} // namespace
