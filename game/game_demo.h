// The attract sequence: the demo list position, the player's recordings that join it, the
// scenery shows and the credits scroll. Demo_Init and the other entry points are in game.h.
#pragma once

#include <cstddef>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr int DEMO_RECORDINGS_MAX = 5;         // player's recordings played after the list
constexpr double DEMO_CREDITS_START = 99999.0; // scroll position before the first scroll

// The attract sequence's texts keep to bands of the overlay (y from the top, 0 to 120), so that
// none crosses another: the title logo at the top, the level title under it while a level opens,
// the credits scrolling below that, and the call to press a key above the paddle's place in play.
constexpr double DEMO_LOGO_BOTTOM = 26.0;    // the logo (sprite 159) lies above this line
constexpr double DEMO_TITLE_Y = 28.0;        // the level title, 10 high
constexpr double DEMO_CREDITS_TOP = 40.0;    // credit lines lie whole between these two lines
constexpr double DEMO_CREDITS_BOTTOM = 71.0;
constexpr double DEMO_CREDITS_FADE = 6.0;    // and fade within this distance of either
constexpr double DEMO_PROMPT_Y = 73.0;       // the line above the call to press a key
constexpr double DEMO_PROMPT_STEP = 13.0;    // the call itself, one line lower
constexpr double DEMO_PROMPT_BOTTOM = 96.0;
constexpr double DEMO_TEXT_HEIGHT = 10.0;
static_assert(DEMO_LOGO_BOTTOM < DEMO_TITLE_Y && DEMO_TITLE_Y + DEMO_TEXT_HEIGHT < DEMO_CREDITS_TOP &&
              DEMO_CREDITS_BOTTOM < DEMO_PROMPT_Y && DEMO_PROMPT_Y + DEMO_PROMPT_STEP + DEMO_TEXT_HEIGHT <= DEMO_PROMPT_BOTTOM);
constexpr float DEMO_NOTICE_TICKS = 300.0f;    // how long the end of a recording is told

// ---------------------------------------------------------------------------------------------
// Types and globals
// ---------------------------------------------------------------------------------------------

struct DEMO_RECORD {
    int position;                        // next entry: the list's entries, then the recordings
    int music_request;                   // play the demo music at the next Demo_Init
    int show_time;                       // ticks of the scenery show running
    int scenery_steps;                   // world animation steps the show has run
    double credits;                      // credits scroll position
    int recordings[DEMO_RECORDINGS_MAX]; // levels of the player's recordings, newest first
    int recording_count;
    int notice;                          // game message telling how a recording ended (0: none)
    float notice_timer;                  // ticks it still shows
};
extern DEMO_RECORD demo;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Draws the scenery world on show: background and world from a camera gliding along it, its
// animations advanced by the ticks the show has run.
void Demo_Scenery_Draw();

// The disk path of the player's recording of `level`: the per-user folder, then
// "level\level%2d.dem".
void Demo_Recording_Path(int level, char *out, size_t size);
// Levels of the player's recordings, newest first, at most `max`. Returns the count.
int Demo_Recordings_Find(int *levels, int max);

// One step of the credits scroll for `lines` credit lines.
double Demo_Credits_Advance(double position, int lines, double step);
// How much of a credit line whose top is at screen y shows: 0 unless the whole line lies in the
// credits band, 1 inside it, fading near its edges.
double Demo_Credits_Fade(double y);

// The texts of the attract sequence outside the menu: the title logo and the call to press a key
// (its first line only over a demo). The call is left out while the replayed paddle crosses its
// band, as it does while the camera swings in or out.
void Demo_Attract_Draw();
// The rows (overlay units) the paddle covers on the screen, seen from the game's camera; 0 when
// it is out of sight.
int Demo_Paddle_Rows(double *top, double *bottom);
