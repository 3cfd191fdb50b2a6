// The game's only source of randomness and the tape a demo is recorded on and replayed from:
// the rand table (every value drawn) and the player movement table (one input byte per step).
#pragma once

#include <cstdint>

constexpr int GAME_RAND_VALUES = 80000;
constexpr int GAME_MOVEMENT_STEPS = 20000;
constexpr uint32_t GAME_RANDOM_MODULUS = 2147483647u; // 2^31 - 1
constexpr uint32_t GAME_RANDOM_MULTIPLIER = 16807u;

struct GAME_TAPE {
    uint8_t *movement; // GAME_MOVEMENT_STEPS input bytes
    int32_t *rand;     // GAME_RAND_VALUES values
    int step_index;    // next entry of the movement table
    int rand_count;    // values drawn since the counters were last reset
    int steps;         // step count of the demo loaded for replay (0: none)
    int rands;         // random values loaded with it
    int recording;
    int finished;       // the replayed demo reached its last step
    int level;          // level the recording began on (the level its file names)
    int rewind_pending; // the counters go back to 0 when the current start-up move ends
    int step_rands;     // the random count when the running step began
    int overflow;       // the running step drew more values than the rand table holds
};
extern GAME_TAPE tape;

// Seeds the generator (a seed of 0 becomes 1, the generator's fixed point being 0).
void Game_Random_Seed(uint32_t seed);
uint32_t Game_Random_State();
// A value below 32767: the generator's, recorded while recording; the tape's while replaying.
int Game_Random();
// A demo is being replayed: attract mode with a loaded demo.
int Game_Replaying();
// Both demo counters back to 0 (the recorded part of a demo begins there).
void Game_Tape_Rewind();
// The end of a start-up move: the counters go back to 0 the first time after a recording or a
// replay began, so that a demo spanning a lost life or a won level stays in step.
void Game_Tape_Move_Ended();
// Starts recording during a level's start-up move.
void Game_Tape_Record_Start();
// The step's input byte: built from the commands (or the autopilot) and stored on the tape, or
// read from the tape while replaying.
uint8_t Game_Step_Input();
// Before each step: marks where its random values begin on the tape.
void Game_Tape_Step_Begin();
// After each step: the step index advances while recording or replaying. A recording whose
// tables are full ends there with its last whole step and is saved; the game goes on.
void Game_Tape_Advance();
// The computer player's input byte for this step.
uint8_t Autopilot_Input();
