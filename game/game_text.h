// The texts the game draws by number: the game messages and the credit lines of the current
// language. The application layer fills them when a language is loaded; the game only reads.
// Texts are Latin-1 bytes, as the sprite text of the renderer expects.
#pragma once

#include <cstddef>

constexpr int GAME_MESSAGES_MAX = 84;      // numbers 0-83
constexpr int GAME_CREDITS_MAX = 149;      // lines 0-148

// The game messages the code names, by their number in the messages files. Every number the game
// draws is named here, so that a renumbering is one line.
enum : int {
    MSG_NEW_GAME = 0,
    MSG_END_GAME = 1,
    MSG_OPTIONS = 2,
    MSG_SCORES = 3,
    MSG_HELP = 4,
    MSG_EXIT = 6,
    MSG_LEAVE_PAGE = 7,      // 7-11: the page that asks before the program ends
    MSG_QUIT_PAGE = 12,      // 12-16: the page that asks before a game is given up
    MSG_HALL_OF_FAME = 17,
    MSG_PAUSED = 18,
    MSG_PROMPT_LEAD = 19,    // the line above the call to press a key (hidden over scenery)
    MSG_PROMPT = 20,         // the whole call to press a key
    MSG_GAME_OVER = 21,
    MSG_LEVEL = 22,
    MSG_VOLUMES = 23,
    MSG_MUSIC_BAR = 24,
    MSG_MUSIC_ZERO = 25,
    MSG_SOUND_BAR = 26,
    MSG_SOUND_ZERO = 27,
    MSG_BACK = 32,
    MSG_END_MARK = 33,
    MSG_FLOOR_ON = 34,
    MSG_FLOOR_OFF = 35,
    MSG_BACKGROUND_ON = 36,
    MSG_BACKGROUND_OFF = 37,
    MSG_EXTRA_LIFE = 38,
    MSG_CYCLE = 39,
    MSG_LOADING = 40,
    MSG_SOUND_NONE = 41,
    MSG_SOUND_OFF = 42,
    MSG_MUSIC_NONE = 43,
    MSG_MUSIC_OFF = 44,
    MSG_SNAPSHOT_SAVED = 45, // followed by the snapshot's file name
    MSG_NAME_LETTERS = 46,   // name entry: how letters are chosen
    MSG_NAME_STORE = 47,     // name entry: moving and storing
    MSG_RECORDING_FULL = 48, // a recording that filled its tables was stopped and saved
    MSG_RECORDING_LOST = 49, // a recording could not be saved
    MSG_SET_TITLE = 50,      // the title of the level set choice
    MSG_SET_SHIPPED = 51,    // the name the shipped levels go by there
    MSG_SET_REFUSED = 52,    // the title over the reason a set cannot be played
    MSG_RECORDING = 53,      // shown while a game is recorded
    MSG_LAUNCH = 54,         // under the countdown of a ball held on the paddle
    MSG_SET_MAX_SPEED = 55,  // a set's level whose top ball speed is below its start speed (+ number)
    MSG_SET_LINE = 56,       // the word before the line number of a set's fault
    MSG_NAME_DONE = 57,      // name entry: what Enter does on the end marker
    MSG_CONTROLS = 58,       // options: the controls pages
    MSG_VIEW = 59,           // options: the view page
    MSG_ACTION_LEFT = 60,    // 60-66: the actions of the controls pages, in APP_ACTION order
    MSG_ACTION_PAD_PAUSE = 66,
    MSG_MOUSE_SPEED = 67,
    MSG_DEFAULTS = 68,
    MSG_PAD_AND_MOUSE = 69,  // the controls page's way to the pad and mouse page
    MSG_PRESS_KEY = 70,      // a controls row waiting for a key
    MSG_PRESS_BUTTON = 71,   // a controls row waiting for a pad button
    MSG_KEY_SWAPPED = 72,    // the key was taken from another action, which took the old one
    MSG_KEY_REFUSED = 73,    // the key has another job and was not taken
    MSG_HIGH_CAMERA_ON = 74,
    MSG_HIGH_CAMERA_OFF = 75,
    MSG_BALL_SHADOWS_ON = 76,
    MSG_BALL_SHADOWS_OFF = 77,
    MSG_DIFFICULTY = 78,     // the title of the difficulty choice
    MSG_EASY = 79,
    MSG_NORMAL = 80,
    MSG_HARD = 81,
    MSG_CONTINUE = 82,       // the main menu's first item while a game is kept
    MSG_KEPT_DAMAGED = 83,   // a kept game that could not be read was removed
};

// Number of the current language (its "Number" in the language file; 0 before one is loaded):
// the score and lives words are drawn in it.
extern int game_language;

// The name of the player's fire key when it is not Space, else null (null: Space). The launch
// line then names it in place of the key its message names before the colon.
extern const char *(*game_fire_key_fn)();

// Message n, or "" for a number that is missing or out of range; never null.
const char *Game_Message(int n);
int Game_Messages_Count();
int Game_Credits_Count();
// Credit line i, or "" outside the loaded lines; never null.
const char *Game_Credit_Line(int i);

// ---------------------------------------------------------------------------------------------
// Filling (application layer)
// ---------------------------------------------------------------------------------------------

enum GAME_TEXT_KIND { GAME_TEXT_MESSAGES, GAME_TEXT_CREDITS };

// Appends a copy of `length` bytes of `text` as the next text of that kind. Returns 1, 0 when
// the kind is already full, -1 when the copy cannot be allocated.
int Game_Text_Add(GAME_TEXT_KIND kind, const char *text, size_t length);
// Frees every text of that kind.
void Game_Text_Free(GAME_TEXT_KIND kind);
