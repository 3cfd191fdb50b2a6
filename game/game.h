// What the application, the editor and the tools may use of the game: the flags of the game
// screens, the game record (score, lives, level, camera moves), the commands the loop builds,
// the entry points of the frame loop, the screen changes, the preview and the demos they start.
// What the game's own files share besides is in game_local.h.
#pragma once

#include <cstdint>

struct PARTICLE_POOL;

// Entries of the command array (`mapa_teclado`) that the loop writes and the game reads.
enum : int {
    CMD_ESC = 1,
    CMD_TAB = 15,
    CMD_P = 25,
    CMD_ENTER = 28,
    CMD_ANY = 30,
    CMD_DEMO_RECORD = 31,
    CMD_SPACE = 57,
    CMD_NEXT_LEVEL = 63,
    CMD_UP = 72,
    CMD_LEFT = 75,
    CMD_RIGHT = 77,
    CMD_DOWN = 80,
};

// Commands whose key went down since the previous pass (Enter in a menu: released after it went
// down there). A fresh press acts whatever the key delay, which only paces a key that is held.
enum : uint32_t {
    FRESH_ESC = 1,
    FRESH_ENTER = 2,
    FRESH_UP = 4,
    FRESH_DOWN = 8,
    FRESH_LEFT = 16,
    FRESH_RIGHT = 32,
};

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// The flags of the game's screens and their timers. The game's own files write them (the screen
// changes of game_screen and the passes that run the timers out); everyone else reads them.
struct GAME_FLAGS {
    int language_chosen;
    int menu_shown;
    int attract_mode;
    int paused;
    int no_life_loss;
    int name_entry;         // a name is being entered into the high-score table
    float game_over_timer;  // ticks
    float world_show_timer; // ticks
    float key_delay;        // ticks
};

// Score, lives, level and everything a game carries from step to step.
struct GAME_RECORD {
    int32_t score;
    int32_t score_previous; // score at the end of the previous step
    int32_t lives;
    int32_t level;
    int32_t cycle;
    int32_t next_life;      // next extra-life score
    float extra_life_timer; // ticks the extra-life message still shows
    int life_lost;
    int start_move, won_move; // camera moves running
    int level_opening;        // the running start-up move opens a level (not a new life)
    double cam_distance, cam_tilt;
    int far_view;               // steps of the far view left
    double cam_x, cam_y, cam_z; // camera position
    int weapon, catch_on, fast_paddle, follower;
    double follower_x; // sweeping follower's x and direction
    double follower_dir;
    float weak_timer; // steps the balls stay weak
    int freeze_timer; // steps the enemies stay frozen
    int speedup_counter;
    int enemy_counter; // steps to the next enemy
    float shot_cooldown;
    int rebuild;       // REBUILD_*
    int balls_in_play; // at the end of the last step
    int start_effect;  // the start-up move plays its effect at its first step
    int won_effect;
    int world_loaded;              // the brick world (or a scenery world) is loaded
    int scenery_loaded;            // the loaded world is a scenery world of the demo list
    int music_number;              // the level music asked for last (0: none)
    int move_steps;                // steps the running camera move has taken
    int field_width, field_height; // play-field extent handed to Level_Start
    uint32_t steps;                // game steps run since start-up
};

// ---------------------------------------------------------------------------------------------
// Shared state
// ---------------------------------------------------------------------------------------------

extern uint8_t *mapa_teclado; // 256 commands by scan code, built by the loop every pass
// The characters typed this pass (Latin-1, zero-ended), kept by the loop beside the commands:
// name entry takes its letters from them.
constexpr int GAME_TYPED_MAX = 16;
extern char typed_text[GAME_TYPED_MAX + 1];
extern int input_polling;     // the loop builds commands only once the tables allow it
extern GAME_FLAGS game_flags;
extern uint32_t commands_fresh; // FRESH_ bits of this pass, built beside the commands
extern double step_time;       // set to 0.3 before every game step
extern int game_autopilot;     // --autopilot: the computer plays outside attract mode

extern GAME_RECORD game;

// What the application lends the game: sound effects by number (1-18) and the tick counter.
// Null hooks do nothing (tests).
extern void (*game_effect_fn)(int number);
extern void (*game_ticks_fn)(uint32_t ticks);
// Real milliseconds since the previous frame (or what --fixed-ticks makes of them), set by the
// frame loop before drawing; the particle effects advance by it.
extern float game_frame_ms;

// ---------------------------------------------------------------------------------------------
// Entry points of the frame loop
// ---------------------------------------------------------------------------------------------

// Game tables: command array, random and movement tables, the brick world, the level table,
// the particle effects. Returns 1, or 0 after a fatal error was shown.
int Game_Tables_Init(int width, int height);
// The play-field extent the next level starts with: the display's size, less one, when it changed.
void Game_Field_Set(int width, int height);
// Writes the preferences and frees the tables.
void Game_Cleanup();
// The program may be ended without a close: what a close would keep (a player's game in play, the
// settings) is written now, and the game goes on.
void Game_Keep();
void Game_Step();
void Game_Render();
// The pass's changes around the steps: a pause ended by P, the timers of the scenery, the game
// over, the extra life and the notices, the name entry, the main menu's commands, the next demo.
void Game_Overlay_Update(float t);
// The overlay over the scene as the state stands (texts, score, menu, table): changes nothing.
void Game_Overlay_Draw();
void Key_Delay_Tick(float t);
void Pass_Events(float t);
// Draws the dark panel (sprite 101, where the world has it) over a rectangle of the overlay, to
// be drawn over by texts that must read on any picture.
void Game_Panel_Draw(double x, double y, double width, double height);

// ---------------------------------------------------------------------------------------------
// Screens (game_screen): how the application and the editor change the screen flags above
// ---------------------------------------------------------------------------------------------

// The language screen is done (a language was chosen, or none can be offered).
void Screen_Language_Chosen();
// Attract mode at start-up: no menu, no game (the lives are 0).
void Game_Reset();
// Attract mode as a demo begins: no game over, no pause.
void Screen_Attract();
// Attract mode with the main menu shown and the attract sequence started again (leaving the
// editor).
void Screen_Attract_Menu();
// Esc opens the main menu; a game under it pauses.
void Screen_Menu();
// Esc on the main menu closes it and the game goes on.
void Screen_Menu_Close();
// A game begins: no menu, no pause, out of attract mode.
void Screen_Play();
void Screen_Pause_Toggle();
void Screen_Resume();
// The last life is lost: the game-over text shows for 150 ticks, the game stands still.
void Screen_Game_Over();
// A game given up from the menu whose score earns a place: the menu closes and the name entry
// follows.
void Screen_Name_Entry_Wait();
void Screen_Name_Entry();
void Screen_Name_Entry_End();
// The level editor takes the screen: no menu, no pause, out of attract mode.
void Screen_Editor();
// The editor's test play ends (Esc, the level won, the last life lost).
void Screen_Test_Play_End();
// Ctrl+Shift+I: losing a ball costs no life, or costs one again.
void Game_No_Life_Loss_Toggle();
// Where the screen state stands, as --trace-game names it.
const char *Game_State_Name();

// ---------------------------------------------------------------------------------------------
// Progression
// ---------------------------------------------------------------------------------------------

// A new game that begins on `level` (New_Game begins on level 1), never kept (the editor's test
// play, a recording of the build's demos).
void New_Game_Level(int level);
// A game begins on `level` of `cycle` with `score` and `lives` at the current difficulty; a
// `player`'s game is kept when the program closes during it.
void Game_Begin(int level, int cycle, int32_t score, int lives, int player);
// Shows `level` as its play begins, with the camera at rest, no music, no camera move and nothing
// moving: the level editor's view of the level it edits (the game is left at that level).
void Level_Preview(int level, int width, int height);
// The brick world's tile of a row character of a level; 0 for characters that are no brick.
int Brick_Tile(int ch);

// One line of --trace-game for the pass that just ended, with the screen state named by the
// caller (the application knows the language and help screens).
void Game_Trace_Line(char *out, int size, uint32_t pass, int steps, const char *state);
// ---------------------------------------------------------------------------------------------
// Offered by the demos (game_demo), the main menu (game_menu) and the high scores (game_hiscore)
// ---------------------------------------------------------------------------------------------

void Demo_Init();
// Starts a new game on `level` recorded from its start-up move (the build's own demos).
void Demo_Record_Game(int level);
// A recording without a player ends once `steps` steps are recorded, once the level has been
// won and the next one begins, or when only the last life is left; it is saved then. 0 while it
// goes on, 1 when it has ended and was saved, -1 when it ended but could not be saved.
int Demo_Record_Finish(int steps);
// The demo list read by Demo_Init ("data\\demos.txt" unless the application names another).
extern const char *demo_list_name;
