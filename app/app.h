// The application shell: start-up order, the fixed-step frame loop, the window procedure and
// the orderly shut-down.
#pragma once

#include "kx/kx_play/kx_play.h"
#include "kx/kx_snd/kx_snd.h"

#include <atomic>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

constexpr int APP_EFFECTS = 18;
// Frames a second drawn at most where the display has no vsync ("MaxFrameRate"), and the
// largest value --fps and the key take (0 is no limit).
constexpr int APP_FPS_DEFAULT = 60;
constexpr int APP_FPS_MAX = 1000;

struct APP_STATE {
    int argc;
    char **argv;
    const char *command_line;
    int show;
    char pack_name[51];
    char start_splash[31], ini_file[51], title[31], lng_file[51], class_name[31], hlp_file[51], pal_file[51];
    int language;                         // "Language" of the settings file
    int language_option;                  // "--language N": play in language N (0: none)
    int running;
    std::atomic<int> window_active;
    std::atomic<int> display_ready;
    int game_initialised;
    int redraw_pending;
    std::atomic<uint32_t> ticks;          // 10 ms ticks not yet consumed; the timer thread adds
    KX_SND_EFFECT *effects[APP_EFFECTS];  // sound effects, null where a row has no file
    KX_PLAYER_RECORD player;
    int steps_last_pass = 18;             // game steps run in the previous pass (18 before the first)
    int field_width, field_height;        // play-field extent
    uint32_t passes;                      // passes that ran a frame
    uint32_t frame_limit;                 // stop after this many frames (0: no limit)
    int headless;
    int stop_requested;                   // "-stop": close the running copy
    void *command_trace;                  // "--trace-commands": one line of commands per frame
    void *game_trace;                     // "--trace-game": one line of game state per pass
    uint32_t fixed_ticks;                 // "--fixed-ticks N": N ticks every pass, no clock (0: off)
    int seed_given;                       // "--seed N" was given
    uint32_t seed;
    int record_level, record_steps;       // "--record-demo LEVEL:STEPS" (0: no recording)
    const char *level_set;                // "--level-set NAME": a game of that user set at once
    uint32_t last_frame_ms;               // clock at the previous frame, for the particles
    int fps_option = -1;                  // "--fps N": frames a second at most (-1: not given)
    const char *edit_name;                // "--edit NAME": start in the level editor on that set
};
extern APP_STATE app;

// Menu command numbers handled by the game side of the window procedure.
enum : uintptr_t {
    APP_MENU_BACK_TO_GAME = 40004,
    APP_MENU_EXIT = 40005,
    APP_MENU_LEVEL_EDITOR = 40006,
    APP_MENU_HELP_TOPICS = 41001,
    APP_MENU_ABOUT = 41002,
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int app_main(int argc, char **argv);
int WinMain(void *instance, void *previous, const char *command_line, int show);
void Timer_Tick(void *user);
intptr_t Window_Proc(uint32_t message, uintptr_t wparam, intptr_t lparam);
void Display_Redraw();
void Game_Shutdown();
void Play_Effect(int number);
// Opens the help screen of the current language: F1, the window menu and the main menu's HELP.
void App_Help_Show();
// Installs the OpenGL back end as the display's 3D interface and starts it; 0 on failure.
int App_3D_Start();

// One pass of the frame loop. Returns 0 to go on, or 1 with *exit_code set when the quit
// message arrived.
int app_loop_pass(int *exit_code);
// Runs the frame loop to its end; returns the exit status, or, where the platform's loop cannot
// return, ends the program through app_end.
int app_loop_run();
// What follows the frame loop: the platform's shut-down and the traces closed.
void app_end(int exit_code);
// Frame pacing (app_pacing.cpp): frames a second drawn at most (0: no limit), taken once the
// display runs; milliseconds to wait at the time `now_us` (plat_clock_us) before the next frame
// may be drawn (0: at once); a frame is drawn at `now_us`; the tick counter at the start of a
// pass, keeping the ticks that arrived while the loop waited. The rate is read again when the
// display changes (a mode switch, the window moved to another screen).
int app_pacing_rate();
void app_pacing_start();
void app_pacing_rate_update();
int app_pacing_wait_ms(uint64_t now_us);
void app_pacing_frame(uint64_t now_us);
void app_pacing_ticks_take();
// Builds this pass's commands from the input devices and the player record.
void app_commands_build();
// Runs the game steps for the ticks counted so far (the loop's step phase).
void app_steps_run();
// A confirm key (Enter, Space, Esc, F1, the primary mouse button, or a pad's south, east or
// Start button) was released this poll.
int app_confirm_released();
void Commands_Clear();
void Commands_Decay();
// F9: asks for a snapshot of this frame, or draws the confirmation of the last one (before the
// frame is presented); then, once presented, starts the confirmation when the file is there.
void App_Snapshot_Frame();
void App_Snapshot_Presented();
// Opens the command trace (a native path); writes one frame's line; closes it.
int app_trace_open(const char *path);
void app_trace_frame();
void app_trace_close();
// The game trace: opened by "--trace-game", one line written after each pass.
int app_game_trace_open(const char *path);
void app_game_trace_pass();
