// The attract sequence: the demo list position, the player's recordings that join it, the
// scenery shows and the credits scroll. Demo_Init and the other entry points are in game.h.
#pragma once

#include <cstddef>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr int DEMO_RECORDINGS_MAX = 5;         // player's recordings played after the list
constexpr double DEMO_CREDITS_START = 99999.0; // scroll position before the first scroll
constexpr double DEMO_CREDITS_BAND = 86.0;     // credit lines show between y -12 and 86, above the prompt
constexpr double DEMO_CREDITS_FADE = 18.0;     // lines fade within this distance of an edge

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
// How much of a credit line at screen y shows: 0 outside the band, 1 inside, fading between.
double Demo_Credits_Fade(double y);
