// The game's shared state and the entry points the frame loop calls each pass: the flags of the
// game screens, the game record (score, lives, level, camera moves), the paddle, the object
// pools in the brick world, and the functions the menu, the high scores and the demos offer.
#pragma once

#include <cstdint>

struct PARTICLE_POOL;

// ---------------------------------------------------------------------------------------------
// Constants of the play field (the brick world has a tile size of 12)
// ---------------------------------------------------------------------------------------------

constexpr int GAME_TILE = 12;
constexpr double GAME_LEFT_WALL = 36.0;
constexpr double GAME_RIGHT_WALL = 204.0;
constexpr double GAME_TOP_WALL = 60.0;
constexpr double GAME_PADDLE_START_X = 114.0;
constexpr double GAME_PADDLE_LINE = 189.0; // lowest paddle z
constexpr double GAME_PADDLE_HIGHEST = 165.0;
constexpr double GAME_BALL_LOST = 201.0; // paddle line + one tile
constexpr double GAME_PADDLE_Y = -19.3;
constexpr double GAME_CAMERA_FAR = 251.4;   // paddle line + 5.2 tiles
constexpr double GAME_CAMERA_K = 4.1;       // tiles the camera keeps behind the paddle near it
constexpr double GAME_MOVE_DISTANCE = 36.0; // camera distance of the start-up move
constexpr double GAME_MOVE_TILT = 73.2;
constexpr double GAME_MOVE_STEP = 0.2;
constexpr double GAME_MOVE_TILT_STEP = 0.2 * GAME_MOVE_TILT / GAME_MOVE_DISTANCE;
constexpr int GAME_NO_THRESHOLD = 99999999;
// The horizon shift of the game's view: the field fills the picture with the paddle near the
// bottom edge.
constexpr int GAME_HORIZON_SHIFT = -40;

constexpr int GAME_BALLS = 30;
constexpr int GAME_SHOTS = 30;
constexpr int GAME_BONUSES = 20;
constexpr int GAME_SIGNS = 30;
constexpr int GAME_ENEMIES = 50;
constexpr int GAME_EMITTERS = 50;
constexpr int GAME_PADDLE_RING = 50;

// Sprites of the brick world the game uses.
enum : int {
    SPRITE_PADDLE = 1,
    SPRITE_FOLLOWER = 2,
    SPRITE_PADDLE_WEAPON = 3,
    SPRITE_PADDLE_CATCH = 4,
    SPRITE_SWEEPER = 5,
    SPRITE_SHADOW = 6,
    SPRITE_BALL = 50,
    SPRITE_WEAK_BALL = 51,
    SPRITE_SHOT = 70,
    SPRITE_VOLLEY = 75,
    SPRITE_BONUS_FIRST = 80,
    SPRITE_HIGHLIGHT = 100,    // behind the menu's selected row and the name entry's cursor
    SPRITE_PANEL = 101,        // the dark panel behind the menu and the high-score table
    SPRITE_SCORE_WORDS = 110,  // 110-115: the score word of languages 1-6, placed as 298
    SPRITE_LIVES_WORDS = 120,  // 120-125: the lives word of languages 1-6, placed as 296
    SPRITE_SIGN_1000 = 130,
    SPRITE_TITLE = 159,
    SPRITE_LIFE_ICON = 295,
    SPRITE_LIVES_WORD = 296,
    SPRITE_SCORE_WORD = 298,
};

// Bits of the step's input byte.
enum : uint8_t {
    INPUT_UP = 1,
    INPUT_DOWN = 2,
    INPUT_LEFT = 4,
    INPUT_RIGHT = 8,
    INPUT_FIRE = 16,
    INPUT_ENTER = 32,
};

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

// Brick-map rebuilds asked for (Level_Build_Bricks runs them at the next step).
enum : int {
    REBUILD_NONE = 0,
    REBUILD_FLOOR = 1,
    REBUILD_FULL = 2,
};

// Follower paddle modes.
enum : int {
    FOLLOWER_NONE = 0,
    FOLLOWER_COPY = 1,  // repeats the paddle's movement 49 steps later
    FOLLOWER_SWEEP = 2, // sweeps between the walls on its own
};

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

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

struct GAME_PADDLE {
    double x, z, y;
    double v; // horizontal velocity, -9..9
    double x_min, x_max;
    double rest_z;                 // where a held ball rides
    double ring[GAME_PADDLE_RING]; // x movement of the last 50 steps
    int ring_index;
};

// World objects of the loaded brick world that the game moves (object numbers).
struct GAME_POOLS {
    int16_t paddle, shadow, follower;
    int16_t shots[GAME_SHOTS];
    int16_t bonuses[GAME_BONUSES];
    int16_t signs[GAME_SIGNS];
    int16_t balls[GAME_BALLS];
    int16_t enemies[GAME_ENEMIES];
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
extern int language_chosen;
extern int menu_shown;
extern int attract_mode;
extern int paused;
extern int no_life_loss;
extern int name_entry;         // a name is being entered into the high-score table
extern float game_over_timer;  // ticks
extern float world_show_timer; // ticks
extern float key_delay;        // ticks
extern uint32_t commands_fresh; // FRESH_ bits of this pass, built beside the commands
extern double step_time;       // set to 0.3 before every game step
extern int pref_floor;         // "Floor" preference
extern int pref_background;    // "Background" preference
extern int game_autopilot;     // --autopilot: the computer plays outside attract mode

extern GAME_RECORD game;
extern GAME_PADDLE paddle;
extern GAME_POOLS pools;
extern PARTICLE_POOL *game_particles; // the 50 particle emitters
extern const int32_t game_life_table[11];

// What the application lends the game: sound effects by number (1-18) and the tick counter.
// Null hooks do nothing (tests).
extern void (*game_effect_fn)(int number);
extern void (*game_ticks_fn)(uint32_t ticks);
void Game_Effect(int number);
void Game_Ticks_Set(uint32_t ticks);
// A command of the menus and the name entry acts this pass: it is on, and the key delay is over
// or its press is fresh.
int Command_Ready(int command);
// Sets the key delay after a command acted, and takes this pass's fresh presses with it: one
// press does one thing, also when it changes the screen that reads the keys.
void Key_Delay_Set(float delay);
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
void Game_Step();
void Game_Render();
void Game_Overlay(float t);
void Key_Delay_Tick(float t);
void Pass_Events(float t);
// Draws the score and the lives (fatal when the brick world lacks the score or lives word).
void Score_Display();
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
// Leaves a finished game for attract mode with the menu shown (after game over or name entry).
void Game_Attract_Return();
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

void New_Game();
// A new game that begins on `level` (New_Game begins on level 1).
void New_Game_Level(int level);
// Clears what a level start leaves standing from before (weak balls, frozen enemies, the shot
// cool-down, the paddle's movement ring), so that a game or a demo begins from the same state.
void Game_Carry_Reset();
void Level_Start(int width, int height);
// Shows `level` as its play begins, with the camera at rest, no music, no camera move and nothing
// moving: the level editor's view of the level it edits (the game is left at that level).
void Level_Preview(int level, int width, int height);
// The brick world's tile of a row character of a level; 0 for characters that are no brick.
int Brick_Tile(int ch);
void New_Life();
void Level_Won();
void read_preferences();
void write_preferences();

// One line of --trace-game for the pass that just ended, with the screen state named by the
// caller (the application knows the language and help screens).
void Game_Trace_Line(char *out, int size, uint32_t pass, int steps, const char *state);
// Bricks left in the play area (never the borders): the breakable ones, or with `metal` the
// indestructible ones as well.
int Game_Bricks_Count(int metal);
int Game_Balls_In_Play();

// Loads a world with the game's objects; World_Unload releases it (game message 40 first).
void World_Load(const char *def_name, const char *map_name);
void World_Unload();
extern char world_def_name[64];
extern char world_map_name[64];

// ---------------------------------------------------------------------------------------------
// Offered by the demos (game_demo), the main menu (game_menu) and the high scores (game_hiscore)
// ---------------------------------------------------------------------------------------------

void Demo_Init();
// Writes the recorded demo ("level\\level%2d.dem" in the per-user folder); 1 once it is on the
// disk, 0 when it could not be written.
int Demo_Save();
// Ends a recording (Esc, game over, full tables, closing) and saves it; a recording that filled
// its tables (`full`) or could not be saved says so on the screen for a while. 1 when saved.
int Demo_Record_Stop(int full);
// Starts a new game on `level` recorded from its start-up move (the build's own demos).
void Demo_Record_Game(int level);
// A recording without a player ends once `steps` steps are recorded, once the level has been
// won and the next one begins, or when only the last life is left; it is saved then. 0 while it
// goes on, 1 when it has ended and was saved, -1 when it ended but could not be saved.
int Demo_Record_Finish(int steps);
// The demo list read by Demo_Init ("data\\demos.txt" unless the application names another).
extern const char *demo_list_name;
// Asks for the demo music at the next Demo_Init.
void Demo_Music_Request();
// The credits scroll over the attract demo: advanced once per step, drawn by Game_Render.
void Demo_Credits_Step();
void Demo_Credits_Draw();
// Opens the main menu on its first page with its idle timer set.
void Main_Menu_Open();
void Main_Menu(float t);
// At game over: 1 when the score earned a place and name entry started.
int Hiscore_Qualify();
// Name entry, once per pass while `name_entry` is on; it clears the flag when the name is saved.
void Hiscore_Entry(float t);
void Hiscore_Save();
void Hiscore_Free();
