// What the game's own files share besides game.h: the play field's constants and sprites, the
// paddle and the object pools, the preferences, the steps of a game's progress, the world
// loading, the menu, the high scores and the recordings as the game drives them.
#pragma once

#include "game/game.h"

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
// The paddle, the object pools and the preferences
// ---------------------------------------------------------------------------------------------

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

extern int pref_floor;         // "Floor" preference
extern int pref_background;    // "Background" preference

extern GAME_PADDLE paddle;
extern GAME_POOLS pools;
extern PARTICLE_POOL *game_particles; // the 50 particle emitters
extern const int32_t game_life_table[11];

// ---------------------------------------------------------------------------------------------
// Effects, commands and the overlay
// ---------------------------------------------------------------------------------------------

void Game_Effect(int number);
void Game_Ticks_Set(uint32_t ticks);
// A command of the menus and the name entry acts this pass: it is on, and the key delay is over
// or its press is fresh.
int Command_Ready(int command);
// Sets the key delay after a command acted, and takes this pass's fresh presses with it: one
// press does one thing, also when it changes the screen that reads the keys.
void Key_Delay_Set(float delay);

// Draws the score and the lives (fatal when the brick world lacks the score or lives word).
void Score_Display();

// ---------------------------------------------------------------------------------------------
// Progression, worlds, menu, high scores and recordings
// ---------------------------------------------------------------------------------------------

void New_Game();
// Clears what a level start leaves standing from before (weak balls, frozen enemies, the shot
// cool-down, the paddle's movement ring), so that a game or a demo begins from the same state.
void Game_Carry_Reset();
void Level_Start(int width, int height);
void New_Life();
void Level_Won();
void read_preferences();
void write_preferences();

// Bricks left in the play area (never the borders): the breakable ones, or with `metal` the
// indestructible ones as well.
int Game_Bricks_Count(int metal);
int Game_Balls_In_Play();

// Loads a world with the game's objects; World_Unload releases it (game message 40 first).
void World_Load(const char *def_name, const char *map_name);
void World_Unload();
extern char world_def_name[64];
extern char world_map_name[64];

// Writes the recorded demo ("level\\level%2d.dem" in the per-user folder); 1 once it is on the
// disk, 0 when it could not be written.
int Demo_Save();
// Ends a recording (Esc, game over, full tables, closing) and saves it; a recording that filled
// its tables (`full`) or could not be saved says so on the screen for a while. 1 when saved.
int Demo_Record_Stop(int full);

// Leaves a finished game for attract mode with the menu shown (after game over or name entry).
void Game_Attract_Return();
// Asks for the demo music at the next Demo_Init.
void Demo_Music_Request();
// The credits scroll over the attract demo: advanced once per step, drawn by Game_Render.
void Demo_Credits_Step();
void Demo_Credits_Draw();
// Opens the main menu on its first page with its idle timer set.
void Main_Menu_Open();
// The menu's commands and its idle timer for a pass of time t; Main_Menu_Draw draws the page.
void Main_Menu(float t);
void Main_Menu_Draw();
// At game over: 1 when the score earned a place and name entry started.
int Hiscore_Qualify();
// Name entry, once per pass while `name_entry` is on; it clears the flag when the name is saved.
void Hiscore_Entry(float t);
// The table with the name being entered and its blinking cursor.
void Hiscore_Entry_Draw();
void Hiscore_Save();
void Hiscore_Free();
