// app_keymap: the player's choice of keys and pad buttons (see app_keymap.h): the rules of an
// assignment, the names of the codes, the settings file and the binding into the player.
#include "app/app_keymap.h"

#include "app/app_controls.h"
#include "gen/gen_info.h"
#include "kx/kx_inp/kx_inp.h"
#include "kx/kx_io/kx_io.h"
#include "platform/plat_input.h"
#include "platform/plat_keys.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

APP_KEYMAP app_keymap = App_Keymap_Default();

namespace {

constexpr const char *SECTION = "Controls";
// The settings keys of the actions, in APP_ACTION order, and of the mouse speed.
constexpr const char *ACTION_KEYS[APP_ACTIONS] = {"Left", "Right", "Fire", "Pause", "Menu", "PadFire", "PadPause"};
constexpr const char *MOUSE_SPEED_KEY = "MouseSpeed";
// Mouse amounts in percent, by speed step.
constexpr int MOUSE_PERCENT[APP_MOUSE_SPEEDS] = {50, 75, 100, 150, 200};

constexpr int PAD_BUTTON_FIRST = KX_INP_JOYSTICK_FIRST + 8;
constexpr int PAD_BUTTON_LAST = PAD_BUTTON_FIRST + PLAT_PAD_BUTTONS - 1;

// Keys with fixed jobs: Return (confirm, second fire), Up and Down (menu rows, the paddle's depth),
// Tab, F1 (help), F2 and F3 (music and effects), F8 (recording), F9 (snapshot), B (second fire)
// and Esc (the menu). Alt, F4 and F10 belong to the window and never reach the game.
bool key_fixed(int code, int action)
{
    if (code == PLAT_KEY_ESCAPE) return action != APP_ACTION_MENU;
    for (int k : {PLAT_KEY_RETURN, PLAT_KEY_UP, PLAT_KEY_DOWN, PLAT_KEY_TAB, PLAT_KEY_F1, PLAT_KEY_F2, PLAT_KEY_F3,
                  PLAT_KEY_F8, PLAT_KEY_F9, PLAT_KEY_B})
        if (code == k) return true;
    return false;
}

// Whether `action` may have `code` at all (the right device, no fixed job).
bool usable(int action, int code)
{
    if (App_Keymap_Is_Pad(action))
        return code >= PAD_BUTTON_FIRST && code <= PAD_BUTTON_LAST && code != APP_PAD_EAST && code != APP_PAD_START;
    return code > 0 && code < KX_INP_KEY_COUNT && !key_fixed(code, action);
}

// A whole decimal number of the settings file; 0 when the text is anything else.
bool parse_code(const char *text, int *code)
{
    char *end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end || v < 0 || v > 32767) return false;
    *code = static_cast<int>(v);
    return true;
}

// One key of the "Controls" section as text: 1 when it exists.
bool entry_get(const char *settings, const char *key, char *out, int size)
{
    out[0] = 0;
    kx_io_ini_get_string(SECTION, key, out, size, settings);
    return !kx_io_ini_failed(1);
}

struct KEY_NAME {
    int code;
    const char *name;
};
constexpr KEY_NAME KEY_NAMES[] = {
    {PLAT_KEY_ESCAPE, "ESC"},         {PLAT_KEY_MINUS, "-"},           {PLAT_KEY_EQUALS, "="},
    {PLAT_KEY_BACKSPACE, "BACKSPACE"}, {PLAT_KEY_TAB, "TAB"},          {PLAT_KEY_LEFT_BRACKET, "BRACKET ("},
    {PLAT_KEY_RIGHT_BRACKET, "BRACKET )"},    {PLAT_KEY_RETURN, "RETURN"},     {PLAT_KEY_LEFT_CTRL, "LEFT CTRL"},
    {PLAT_KEY_SEMICOLON, ";"},        {PLAT_KEY_APOSTROPHE, "'"},      {PLAT_KEY_GRAVE, "GRAVE"},
    {PLAT_KEY_LEFT_SHIFT, "LEFT SHIFT"}, {PLAT_KEY_BACKSLASH, "\\"},   {PLAT_KEY_COMMA, ","},
    {PLAT_KEY_PERIOD, "."},           {PLAT_KEY_SLASH, "/"},           {PLAT_KEY_RIGHT_SHIFT, "RIGHT SHIFT"},
    {PLAT_KEY_PAD_MULTIPLY, "PAD *"}, {PLAT_KEY_LEFT_ALT, "LEFT ALT"}, {PLAT_KEY_SPACE, "SPACE"},
    {PLAT_KEY_CAPS_LOCK, "CAPS LOCK"}, {PLAT_KEY_NUM_LOCK, "NUM LOCK"}, {PLAT_KEY_SCROLL_LOCK, "SCROLL LOCK"},
    {PLAT_KEY_PAD_MINUS, "PAD -"},    {PLAT_KEY_PAD_PLUS, "PAD +"},    {PLAT_KEY_PAD_PERIOD, "PAD ."},
    {PLAT_KEY_EXTRA_BACKSLASH, "ISO \\"}, {PLAT_KEY_PAD_EQUALS, "PAD ="}, {PLAT_KEY_PAD_ENTER, "PAD ENTER"},
    {PLAT_KEY_RIGHT_CTRL, "RIGHT CTRL"}, {PLAT_KEY_PAD_COMMA, "PAD ,"}, {PLAT_KEY_PAD_DIVIDE, "PAD /"},
    {PLAT_KEY_PRINT_SCREEN, "PRINT"}, {PLAT_KEY_RIGHT_ALT, "RIGHT ALT"}, {PLAT_KEY_PAUSE, "PAUSE"},
    {PLAT_KEY_HOME, "HOME"},          {PLAT_KEY_UP, "UP"},             {PLAT_KEY_PAGE_UP, "PAGE UP"},
    {PLAT_KEY_LEFT, "LEFT"},          {PLAT_KEY_RIGHT, "RIGHT"},       {PLAT_KEY_END, "END"},
    {PLAT_KEY_DOWN, "DOWN"},          {PLAT_KEY_PAGE_DOWN, "PAGE DOWN"}, {PLAT_KEY_INSERT, "INSERT"},
    {PLAT_KEY_DELETE, "DELETE"},      {PLAT_KEY_LEFT_GUI, "LEFT SYSTEM"}, {PLAT_KEY_RIGHT_GUI, "RIGHT SYSTEM"},
    {PLAT_KEY_APPLICATION, "MENU KEY"},
};
constexpr const char *PAD_NAMES[PLAT_PAD_BUTTONS] = {
    "PAD A", "PAD B", "PAD X", "PAD Y", "PAD LEFT SHOULDER", "PAD RIGHT SHOULDER",
    "PAD BACK", "PAD START", "PAD LEFT STICK", "PAD RIGHT STICK", "PAD GUIDE",
};
// The digits of the top row in the order of their scan codes.
constexpr const char ROW_KEYS[] = "1234567890";
constexpr int LETTER_CODES[26] = {PLAT_KEY_A, PLAT_KEY_B, PLAT_KEY_C, PLAT_KEY_D, PLAT_KEY_E, PLAT_KEY_F, PLAT_KEY_G,
                                  PLAT_KEY_H, PLAT_KEY_I, PLAT_KEY_J, PLAT_KEY_K, PLAT_KEY_L, PLAT_KEY_M, PLAT_KEY_N,
                                  PLAT_KEY_O, PLAT_KEY_P, PLAT_KEY_Q, PLAT_KEY_R, PLAT_KEY_S, PLAT_KEY_T, PLAT_KEY_U,
                                  PLAT_KEY_V, PLAT_KEY_W, PLAT_KEY_X, PLAT_KEY_Y, PLAT_KEY_Z};
constexpr int PAD_DIGIT_CODES[10] = {PLAT_KEY_PAD_0, PLAT_KEY_PAD_1, PLAT_KEY_PAD_2, PLAT_KEY_PAD_3, PLAT_KEY_PAD_4,
                                     PLAT_KEY_PAD_5, PLAT_KEY_PAD_6, PLAT_KEY_PAD_7, PLAT_KEY_PAD_8, PLAT_KEY_PAD_9};
constexpr int F_CODES[15] = {PLAT_KEY_F1, PLAT_KEY_F2, PLAT_KEY_F3,  PLAT_KEY_F4,  PLAT_KEY_F5,
                             PLAT_KEY_F6, PLAT_KEY_F7, PLAT_KEY_F8,  PLAT_KEY_F9,  PLAT_KEY_F10,
                             PLAT_KEY_F11, PLAT_KEY_F12, PLAT_KEY_F13, PLAT_KEY_F14, PLAT_KEY_F15};

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

APP_KEYMAP App_Keymap_Default()
{
    return {{PLAT_KEY_LEFT, PLAT_KEY_RIGHT, PLAT_KEY_SPACE, PLAT_KEY_P, PLAT_KEY_ESCAPE, APP_PAD_SOUTH,
             PAD_BUTTON_FIRST + PLAT_PAD_BUTTON_BACK},
            APP_MOUSE_SPEED_DEFAULT};
}

int App_Keymap_Is_Pad(int action)
{
    return action == APP_ACTION_PAD_FIRE || action == APP_ACTION_PAD_PAUSE;
}

APP_KEYMAP_RESULT App_Keymap_Assign(APP_KEYMAP *map, int action, int code)
{
    if (action < 0 || action >= APP_ACTIONS || !usable(action, code)) return APP_KEYMAP_REFUSED;
    const int old = map->codes[action];
    for (int other = 0; other < APP_ACTIONS; other++) {
        if (other == action || map->codes[other] != code) continue;
        if (!usable(other, old)) return APP_KEYMAP_REFUSED;
        map->codes[other] = static_cast<int16_t>(old);
        map->codes[action] = static_cast<int16_t>(code);
        return APP_KEYMAP_SWAPPED;
    }
    map->codes[action] = static_cast<int16_t>(code);
    return APP_KEYMAP_SET;
}

const char *App_Keymap_Code_Name(int code, char *out, size_t size)
{
    for (const KEY_NAME &k : KEY_NAMES)
        if (k.code == code) return std::snprintf(out, size, "%s", k.name), out;
    for (int i = 0; i < 26; i++)
        if (LETTER_CODES[i] == code) return std::snprintf(out, size, "%c", 'A' + i), out;
    if (code >= PLAT_KEY_1 && code <= PLAT_KEY_0) return std::snprintf(out, size, "%c", ROW_KEYS[code - PLAT_KEY_1]), out;
    for (int i = 0; i < 10; i++)
        if (PAD_DIGIT_CODES[i] == code) return std::snprintf(out, size, "PAD %d", i), out;
    for (int i = 0; i < 15; i++)
        if (F_CODES[i] == code) return std::snprintf(out, size, "F%d", i + 1), out;
    if (code >= PAD_BUTTON_FIRST && code <= PAD_BUTTON_LAST) return std::snprintf(out, size, "%s", PAD_NAMES[code - PAD_BUTTON_FIRST]), out;
    std::snprintf(out, size, "%s %d", code >= KX_INP_JOYSTICK_FIRST ? "BUTTON" : "KEY", code);
    return out;
}

void App_Keymap_Load()
{
    app_keymap = App_Keymap_Default();
    const char *settings = kx_io_settings_path_get();
    if (!settings || !kx_io_exists(settings, KX_IO_WHERE_DISK)) return;
    const APP_KEYMAP defaults = App_Keymap_Default();
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_ON);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_ON);
    char text[32];
    int code = 0;
    for (int a = 0; a < APP_ACTIONS; a++) {
        if (!entry_get(settings, ACTION_KEYS[a], text, sizeof text - 1)) continue;
        if (parse_code(text, &code) && usable(a, code)) {
            bool taken = false;
            for (int b = 0; b < a; b++) taken = taken || app_keymap.codes[b] == code;
            if (!taken) {
                app_keymap.codes[a] = static_cast<int16_t>(code);
                continue;
            }
        }
        gen_history("Settings: [%s] %s=%s is not usable, the default %d is kept\n", SECTION, ACTION_KEYS[a], text,
                    defaults.codes[a]);
    }
    if (entry_get(settings, MOUSE_SPEED_KEY, text, sizeof text - 1)) {
        if (parse_code(text, &code) && code >= 1 && code <= APP_MOUSE_SPEEDS)
            app_keymap.mouse_speed = code;
        else
            gen_history("Settings: [%s] %s=%s is not usable, the default %d is kept\n", SECTION, MOUSE_SPEED_KEY, text,
                        defaults.mouse_speed);
    }
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_OFF);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_OFF);
    // A default that an earlier entry took leaves two actions on one key: then all keep their defaults.
    for (int a = 0; a < APP_ACTIONS; a++)
        for (int b = a + 1; b < APP_ACTIONS; b++)
            if (app_keymap.codes[a] == app_keymap.codes[b]) {
                gen_history("Settings: [%s] %s and %s share a key, the defaults are used\n", SECTION, ACTION_KEYS[a],
                            ACTION_KEYS[b]);
                const int speed = app_keymap.mouse_speed;
                app_keymap = App_Keymap_Default();
                app_keymap.mouse_speed = speed;
                return;
            }
}

void App_Keymap_Save()
{
    const char *settings = kx_io_settings_path_get();
    if (!settings || !settings[0]) return;
    const int held = kx_io_ini_hold(settings);
    for (int a = 0; a < APP_ACTIONS; a++) kx_io_ini_set_int(SECTION, ACTION_KEYS[a], app_keymap.codes[a], settings);
    kx_io_ini_set_int(SECTION, MOUSE_SPEED_KEY, app_keymap.mouse_speed, settings);
    if (held) kx_io_ini_hold_end();
}

void App_Keymap_Apply(KX_PLAYER_RECORD *player)
{
    // Controls: up, down, left, right, 4, 5, fire, second fire, 8, menu; -1 keeps a binding.
    const int16_t *c = app_keymap.codes;
    const int16_t keys[10] = {-1, -1, c[APP_ACTION_LEFT], c[APP_ACTION_RIGHT], -1, -1, c[APP_ACTION_FIRE], -1, -1,
                              c[APP_ACTION_MENU]};
    const int16_t pad[10] = {-1, -1, -1, -1, -1, -1, c[APP_ACTION_PAD_FIRE], -1, -1, -1};
    kx_play_setup(player, 1, keys);
    kx_play_setup(player, 2, pad);
}

uint8_t App_Keymap_Mouse_Amount(uint8_t amount)
{
    int speed = app_keymap.mouse_speed;
    if (speed < 1 || speed > APP_MOUSE_SPEEDS) speed = APP_MOUSE_SPEED_DEFAULT;
    int v = amount * MOUSE_PERCENT[speed - 1] / 100;
    return static_cast<uint8_t>(v < 1 ? 1 : v > 127 ? 127 : v);
}

int App_Keymap_Pause_Released()
{
    return kx_inp_key_released(app_keymap.codes[APP_ACTION_PAUSE]) ||
           kx_inp_key_released(app_keymap.codes[APP_ACTION_PAD_PAUSE]);
}

int App_Keymap_Types(int code)
{
    if (code >= PLAT_KEY_1 && code <= PLAT_KEY_0) return 1;
    for (int letter : LETTER_CODES)
        if (letter == code) return 1;
    return 0;
}
