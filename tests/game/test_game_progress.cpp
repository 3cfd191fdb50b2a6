// Score, lives and levels: a new game, the extra-life rule, losing a life with and without the
// no-life-loss switch, the camera moves, the level skip, the end of the level table and the
// level music.
#include "tests/game/game_harness.h"

#include "game/game_hiscore.h"

using namespace game_test;

namespace {

TEST(LevelMusic, NumberCyclesThroughSevenPieces)
{
    const struct {
        int level, cycle, music;
    } cases[] = {{1, 0, 1}, {7, 0, 7}, {8, 0, 1}, {2, 1, 3}, {7, 1, 1}, {49, 3, 3}};
    for (const auto &c : cases)
        EXPECT_EQ(Level_Music_Number(c.level, c.cycle), c.music) << c.level << "/" << c.cycle;
}

TEST_F(GameTest, NewGameStartsAtLevelOneWithThreeLives)
{
    game_flags.attract_mode = 1;
    game_flags.menu_shown = 1;
    game.score = 500, game.lives = 0, game.level = 7, game.cycle = 2;
    New_Game();
    EXPECT_EQ(game.lives, 3);
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(game.level, 1);
    EXPECT_EQ(game.cycle, 0);
    EXPECT_EQ(game.music_number, 1);
    EXPECT_FALSE(game_flags.attract_mode || game_flags.menu_shown || game_flags.paused);
    EXPECT_EQ(game.start_move, 1);
    EXPECT_EQ(Game_Balls_In_Play(), 1);
}

TEST_F(GameTest, ExtraLifeWhileTheScoreKeepsRisingPastTheThreshold)
{
    level(EMPTY);
    game.next_life = GAME_NO_THRESHOLD;
    const struct {
        int score, lives, next_life;
    } steps[] = {
        {0, 3, 10000},     {9990, 3, 10000},  {10000, 4, 10000}, {10025, 5, 10000},   {10025, 5, 30000},
        {29999, 5, 30000}, {30001, 6, 30000}, {30001, 6, 50000}, {6000000, 7, 50000}, {6000000, 7, GAME_NO_THRESHOLD},
    };
    for (const auto &s : steps) {
        game.score = s.score;
        Extra_Life_Test();
        EXPECT_EQ(game.lives, s.lives) << s.score;
        EXPECT_EQ(game.next_life, s.next_life) << s.score;
    }
    EXPECT_EQ(count_effect(12), 4);
    EXPECT_EQ(game.extra_life_timer, 80.0f);
    // In attract mode only a replay earns extra lives, as its recording did, and shows no message.
    game_flags.attract_mode = 1;
    for (int replaying : {0, 1}) {
        tape.steps = replaying ? 100 : 0;
        game.lives = 3;
        game.extra_life_timer = 0.0f;
        game.score = 0;
        Extra_Life_Test();
        game.score = 10000;
        Extra_Life_Test();
        EXPECT_EQ(game.lives, 3 + replaying);
        EXPECT_EQ(game.extra_life_timer, 0.0f);
    }
    tape.steps = 0;
}

TEST_F(GameTest, LosingEveryBallCostsALifeUnlessSwitchedOff)
{
    // The switch does nothing in a game being recorded: its replay would lose the life.
    const struct {
        int switch_on, recording, lives_before, lives_after;
        bool game_over;
    } cases[] = {{0, 0, 3, 2, false}, {1, 0, 3, 3, false}, {0, 0, 1, 0, true}, {1, 0, 1, 1, false}, {1, 1, 3, 2, false}};
    for (const auto &c : cases) {
        level(EMPTY);
        game_flags.no_life_loss = c.switch_on;
        tape.recording = c.recording;
        tape.step_index = tape.rand_count = 0;
        game.lives = c.lives_before;
        for (int16_t n : pools.balls)
            Game_Object_Park(n);
        Game_Step();
        ASSERT_EQ(game.life_lost, 1);
        Pass_Events(1.0f);
        EXPECT_EQ(game.lives, c.lives_after);
        EXPECT_EQ(game_flags.game_over_timer > 0.0f, c.game_over);
        EXPECT_EQ(Game_Balls_In_Play(), c.game_over ? 0 : 1);
        EXPECT_EQ(count_effect(7), c.game_over ? 1 : 0);
        game_flags.game_over_timer = 0.0f;
        game_flags.paused = 0;
    }
    tape.recording = 0;
}

TEST_F(GameTest, StartUpMoveTakes180StepsAndEndsOverTheField)
{
    level(EMPTY);
    New_Life();
    EXPECT_NEAR(game.cam_y, 38.0 - 73.2, 1e-9);
    EXPECT_NEAR(game.cam_z, GAME_PADDLE_LINE + 12 * 4.1 - 36.0, 1e-9);
    tape.rand_count = 5;
    tape.rewind_pending = 1;
    for (int i = 0; i < 179; i++)
        Game_Step();
    EXPECT_EQ(game.start_move, 1);
    EXPECT_EQ(count_effect(2), 1);
    Game_Step();
    EXPECT_EQ(game.start_move, 0);
    EXPECT_EQ(tape.rand_count, 0);
    // Only the first start-up move of a demo rewinds its counters: a later life keeps them.
    tape.rand_count = 5;
    New_Life();
    for (int i = 0; i < 180; i++)
        Game_Step();
    EXPECT_EQ(game.start_move, 0);
    EXPECT_EQ(tape.rand_count, 5);
    EXPECT_NEAR(game.cam_z, 248.1, 1e-9);
    EXPECT_NEAR(game.cam_y, 38.0, 1e-9);
    paddle.x = 60.0;
    Camera_Place();
    EXPECT_NEAR(game.cam_x, 114.0 - 54.0 / 1.3, 1e-9);
}

TEST_F(GameTest, LevelSkipWinsTheLevelOutsideAttractModeAndRecordings)
{
    const struct {
        int attract, recording;
        int won;
    } cases[] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
    for (const auto &c : cases) {
        level(EMPTY);
        game_flags.attract_mode = c.attract;
        tape.recording = c.recording;
        tape.step_index = tape.rand_count = 0;
        mapa_teclado[63] = 1;
        Game_Step();
        EXPECT_EQ(game.won_move, c.won) << c.attract << c.recording;
        mapa_teclado[63] = 0;
    }
    tape.recording = 0;
}

TEST_F(GameTest, AfterTheLastLevelTheGameStaysOnItAndCountsCycles)
{
    level(EMPTY);
    const struct {
        int level, cycle, next_level, next_cycle;
    } cases[] = {{1, 0, 2, 0}, {game_levels.count - 1, 0, game_levels.count, 1}, {game_levels.count, 1, game_levels.count, 2}};
    for (const auto &c : cases) {
        game.level = c.level, game.cycle = c.cycle;
        game.start_move = 0;
        Level_Won();
        for (int i = 0; i < 180 && game.won_move; i++)
            Game_Step();
        EXPECT_EQ(game.won_move, 0);
        EXPECT_EQ(game.level, c.next_level) << c.level;
        EXPECT_EQ(game.cycle, c.next_cycle) << c.level;
        EXPECT_EQ(game.start_move, 1);
        EXPECT_EQ(count_effect(3), 1);
        effects.clear();
    }
}

} // namespace

// Closing the program while a name is entered (or the table is on show) frees the table with
// everything else; the tables then start again as at a program start.
TEST_F(GameTest, CleanUpFreesAHighScoreTableLeftOpen)
{
    ASSERT_TRUE(Hiscore_Defaults());
    game_flags.name_entry = 1;
    Game_Cleanup();
    EXPECT_EQ(hiscore.loaded, 0);
    EXPECT_EQ(hiscore.name[0], nullptr);
    game_flags.name_entry = 0;
    ASSERT_TRUE(Game_Tables_Init(639, 479));
}
