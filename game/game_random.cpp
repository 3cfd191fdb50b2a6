// Game_Random: a Park-Miller minimal standard generator, recorded on the rand table while a
// demo is recorded and read back from it while one is replayed; and the step's input byte on
// the player movement table.
#include "game/game_random.h"

#include "game/game_local.h"

GAME_TAPE tape;

namespace {

uint32_t random_state = 1;

int generator_next()
{
    random_state = static_cast<uint32_t>(uint64_t{random_state} * GAME_RANDOM_MULTIPLIER % GAME_RANDOM_MODULUS);
    return static_cast<int>(random_state % 32767u);
}

} // namespace

void Game_Random_Seed(uint32_t seed)
{
    seed %= GAME_RANDOM_MODULUS;
    random_state = seed ? seed : 1;
}

uint32_t Game_Random_State()
{
    return random_state;
}

int Game_Replaying()
{
    return game_flags.attract_mode && tape.steps > 0;
}

int Game_Random()
{
    if (Game_Replaying() && tape.rand && tape.rand_count < tape.rands) {
        int32_t v = tape.rand[tape.rand_count++];
        // A value from a file is kept within what the generator can give.
        return v < 0 ? 0 : v % 32767;
    }
    int v = generator_next();
    if (tape.recording && tape.rand) {
        // A full table ends the recording after this step, without the step (Game_Tape_Advance).
        if (tape.rand_count >= GAME_RAND_VALUES) {
            tape.overflow = 1;
            return v;
        }
        tape.rand[tape.rand_count] = v;
    }
    tape.rand_count++;
    return v;
}

void Game_Tape_Rewind()
{
    tape.step_index = 0;
    tape.rand_count = 0;
}

void Game_Tape_Move_Ended()
{
    if (!tape.rewind_pending) return;
    tape.rewind_pending = 0;
    Game_Tape_Rewind();
}

void Game_Tape_Record_Start()
{
    tape.recording = 1;
    tape.level = game.level;
    tape.rewind_pending = 1;
    Game_Tape_Rewind();
}

uint8_t Game_Step_Input()
{
    if (game_flags.attract_mode) {
        // Attract mode with no demo on the tape is played by the computer rather than left
        // standing still.
        if (!Game_Replaying()) return Autopilot_Input();
        if (!tape.movement || tape.step_index < 0 || tape.step_index >= tape.steps) return 0;
        return tape.movement[tape.step_index];
    }
    uint8_t input = 0;
    if (game_autopilot) {
        input = Autopilot_Input();
    } else if (mapa_teclado) {
        if (mapa_teclado[CMD_UP]) input |= INPUT_UP;
        if (mapa_teclado[CMD_DOWN]) input |= INPUT_DOWN;
        if (mapa_teclado[CMD_LEFT]) input |= INPUT_LEFT;
        if (mapa_teclado[CMD_RIGHT]) input |= INPUT_RIGHT;
        if (mapa_teclado[CMD_SPACE]) input |= INPUT_FIRE;
        if (mapa_teclado[CMD_ENTER]) input |= INPUT_ENTER;
    }
    if (!game.balls_in_play) input &= static_cast<uint8_t>(~INPUT_FIRE);
    if (tape.movement && tape.step_index >= 0 && tape.step_index < GAME_MOVEMENT_STEPS)
        tape.movement[tape.step_index] = input;
    return input;
}

void Game_Tape_Step_Begin()
{
    tape.step_rands = tape.rand_count;
    tape.overflow = 0;
}

void Game_Tape_Advance()
{
    if (tape.recording) {
        if (tape.overflow) {
            // The step that overflowed is left out: the recording keeps its whole steps only.
            tape.rand_count = tape.step_rands;
            Demo_Record_Stop(1);
            return;
        }
        tape.step_index++;
        if (tape.step_index >= GAME_MOVEMENT_STEPS) Demo_Record_Stop(1);
    } else if (Game_Replaying()) {
        tape.step_index++;
        if (tape.step_index >= tape.steps) tape.finished = 1;
    }
}
