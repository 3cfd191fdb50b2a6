// The three difficulties: the one the running game (or replay) plays, the one the player chose
// last, and what each changes: the lives a game starts with, the balls' speeds, the bonus
// chance and whether a ball held on the paddle waits for the player. Normal changes nothing.
#pragma once

// ---------------------------------------------------------------------------------------------
// Types and constants
// ---------------------------------------------------------------------------------------------

// Normal is 0, so that a record left at zero plays today's game.
enum : int {
    DIFFICULTY_NORMAL = 0,
    DIFFICULTY_EASY = 1,
    DIFFICULTY_HARD = 2,
    DIFFICULTY_COUNT = 3,
};
// The order the choice lists them in.
constexpr int DIFFICULTY_ORDER[DIFFICULTY_COUNT] = {DIFFICULTY_EASY, DIFFICULTY_NORMAL, DIFFICULTY_HARD};

struct DIFFICULTY {
    int current;   // what the game in play or the replay plays
    int chosen;    // the player's last choice ("Difficulty" in the settings)
    int forced;    // --difficulty for this run, without the choice (-1: not given)
};
extern DIFFICULTY difficulty;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// "easy", "normal", "hard" (the trace's and the settings' words); "normal" out of range.
const char *Difficulty_Name(int d);
// The difficulty a word names, or -1.
int Difficulty_Parse(const char *word);
// The game message naming difficulty d.
int Difficulty_Message(int d);
// The difficulty a new game plays: --difficulty when given, else the player's choice.
int Difficulty_For_Game();
// Lives at the start of a game: 5, 3 or 2.
int Difficulty_Lives();
// A level's ball speed (initial, top or speed-up step) as the current difficulty plays it:
// 80 %, 100 % or 120 %.
int Difficulty_Speed(int speed);
// A level's bonus chance in percent: Hard drops bonuses at three quarters of it.
int Difficulty_Bonus(int percentage);
// A ball held on the paddle waits for the player (Easy) instead of going after 2.5 s.
int Difficulty_Ball_Waits();
