// The main menu: pages of game messages drawn over the demo or the paused game, and their
// commands: new game and quitting, options, high scores, help, volumes and leaving the program.
#include "game/game_menu.h"

#include "game/game_local.h"
#include "game/game_difficulty.h"
#include "game/game_hiscore.h"
#include "game/game_kept.h"
#include "game/game_play.h"
#include "game/game_progress.h"
#include "game/game_error.h"
#include "game/game_sets.h"
#include "game/game_text.h"
#include "game/game_view.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_snd/kx_snd.h"
#include "world/world.h"
#include "world/world_render.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

MENU menu;
void (*menu_help_fn)();
const int32_t *menu_music_volume;
const int32_t *menu_effects_volume;
const MENU_CONTROLS *menu_controls;

namespace {

enum : int { EFFECT_ESC = 4, EFFECT_ENTER = 5, EFFECT_CHANGE = 6 };

// Volume rows of page 6, the sets of page 5, the lines of a refusal on page 7 (and of a damaged
// kept game on page 9) and the rows of the controls pages carry these instead of a message number.
constexpr int ITEM_MUSIC = 1000, ITEM_SOUND = 1001, ITEM_SET = 2000, ITEM_REFUSAL = 3000, ITEM_CONTROL = 4000,
              ITEM_KEPT = 5000;
constexpr int REFUSAL_LINES = 4;
constexpr int KEPT_LINES = 4, KEPT_WIDTH = 14;

constexpr float DELAY_ESC = 75.0f, DELAY_KEY = 25.0f;
constexpr int LIGHT = 15, LIGHT_DIM = 11;
constexpr int TEXT_SIZE = 256;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

bool command(int c)
{
    return mapa_teclado[c] != 0;
}

bool any_command()
{
    for (int c = 0; c < 256; c++)
        if (mapa_teclado[c]) return true;
    return false;
}

int volume_of(int music)
{
    const int32_t *word = music ? menu_music_volume : menu_effects_volume;
    return word ? *word : KX_SND_VOLUME_NONE;
}

void volume_set(int music, int volume)
{
    if (music)
        kx_snd_set_music_volume(volume);
    else
        kx_snd_set_effects_volume(volume);
}

// Enter, Left or Right on a volume row: a channel that is off is switched on first; Enter then
// steps the volume as well, Left and Right do nothing more.
void volume_command(int music, int cmd)
{
    if (volume_of(music) == KX_SND_VOLUME_OFF) {
        if (music)
            kx_snd_toggle_music();
        else
            kx_snd_toggle_effects();
        if (cmd != CMD_ENTER) return;
    }
    int v = volume_of(music), next = Menu_Volume_Step(v, cmd);
    if (next != v) volume_set(music, next);
}

// The text of an item, or null after a fatal error; "" for an empty item.
const char *item_text(int item, char *buffer)
{
    if (item == MENU_EMPTY) return "";
    if (item == ITEM_MUSIC || item == ITEM_SOUND) {
        int music = item == ITEM_MUSIC;
        return Menu_Volume_Text(volume_of(music), music, buffer, TEXT_SIZE);
    }
    if (item >= ITEM_SET && item < ITEM_SET + 1 + SETS_MAX) {
        if (item == ITEM_SET) return Game_Message(MSG_SET_SHIPPED);
        // As the player wrote it; a name the game cannot use shows as its file, marked.
        const char *name = sets.names[item - ITEM_SET - 1];
        std::snprintf(buffer, TEXT_SIZE, Sets_Name_Check(name) ? "%s.txt (?)" : "%s", name);
        return buffer;
    }
    if (item >= ITEM_REFUSAL && item < ITEM_REFUSAL + REFUSAL_LINES) {
        char lines[REFUSAL_LINES][MENU_WRAP_WIDTH + 1], shown[SETS_MESSAGE_SIZE];
        int n = Menu_Wrap(Sets_Message_Shown(shown, sizeof shown), MENU_WRAP_WIDTH, lines, REFUSAL_LINES);
        return item - ITEM_REFUSAL < n ? std::strcpy(buffer, lines[item - ITEM_REFUSAL]) : "";
    }
    if (item >= ITEM_CONTROL && item < ITEM_CONTROL + MENU_CONTROL_ROWS)
        return menu_controls ? menu_controls->text(item - ITEM_CONTROL, buffer, TEXT_SIZE) : "";
    if (item >= ITEM_KEPT && item < ITEM_KEPT + KEPT_LINES) {
        char lines[KEPT_LINES][MENU_WRAP_WIDTH + 1];
        int n = Menu_Wrap(Game_Message(MSG_KEPT_DAMAGED), KEPT_WIDTH, lines, KEPT_LINES);
        return item - ITEM_KEPT < n ? std::strcpy(buffer, lines[item - ITEM_KEPT]) : "";
    }
    return Game_Message(item);
}

void page_go(int page, int item)
{
    menu.page = page;
    menu.item = item;
}

// The main page with the item of game message `message` selected (the items move down one
// while CONTINUE is offered above them).
void main_go(int message)
{
    const MENU_PAGE page = Menu_Page(MENU_PAGE_MAIN);
    int item = 0;
    for (int i = 0; i < page.count; i++)
        if (page.items[i] == message) item = i;
    page_go(MENU_PAGE_MAIN, item);
}

// The set choice, opened on the set `name`.
void sets_go(const char *name)
{
    int at = 0;
    for (int i = 0; i < sets.count; i++)
        if (!std::strcmp(sets.names[i], name)) at = i + 1;
    menu.set_top = std::max(0, at - (MENU_SET_ROWS - 1));
    page_go(MENU_PAGE_SETS, at - menu.set_top + 1);
}

// One row's text and its size: character width z (advance z - 2) and the left edge of the text.
struct MENU_ROW {
    const char *text;
    int length, z, x, y;
};

// The selection within the page's selectable items (none to select: as it stands).
int item_clamped(const MENU_PAGE &page)
{
    if (page.first > page.last) return menu.item;
    return menu.item < page.first ? page.first : menu.item > page.last ? page.last : menu.item;
}

void draw_page(const MENU_PAGE &page)
{
    const int item = item_clamped(page);
    MENU_ROW rows[MENU_ITEMS_MAX];
    char buffers[MENU_ITEMS_MAX][TEXT_SIZE];
    int count = 0;
    double left = 160.0, right = 0.0, top = 120.0, bottom = 0.0;
    for (int i = 0; i < page.count; i++) {
        MENU_ROW &r = rows[i];
        r.text = item_text(page.items[i], buffers[i]);
        if (!r.text) return;
        r.length = static_cast<int>(std::strlen(r.text));
        r.z = 14;
        if (menu.page == MENU_PAGE_OPTIONS || menu.page == MENU_PAGE_VIEW) r.z = 10;
        if (menu.page == MENU_PAGE_VOLUMES && i < 2) r.z = 8;
        if ((r.z - 2) * r.length > 115) r.z = 115 / r.length + 2;
        r.x = 79 - (r.z - 2) * r.length / 2;
        // Seven rows (CONTINUE above the main page's six) stand closer, higher up.
        r.y = page.count > MENU_ITEMS ? 6 + 15 * i : 14 + 16 * i;
        count = i + 1;
        if (!r.length) continue;
        left = std::min(left, r.x - (79.0 - 65.0) - 4.0);
        right = std::max(right, r.x + (r.z - 2.0) * r.length + 2.0 + (79.0 - 65.0) + 4.0);
        top = std::min(top, r.y - 3.0);
        bottom = std::max(bottom, r.y + 17.0);
    }
    if (left < right) Game_Panel_Draw(left, top, right - left, bottom - top);
    const WORLD_SPRITE *highlight =
        world_sprites && world_sprites[SPRITE_HIGHLIGHT].defined ? &world_sprites[SPRITE_HIGHLIGHT] : nullptr;
    for (int i = 0; i < count; i++) {
        const MENU_ROW &r = rows[i];
        if (!r.length) continue;
        bool selected = i == item, bright = selected || i < page.first;
        if (selected && highlight) {
            // The highlight reaches as far right of the text as it starts left of it; the sprite's
            // parameters 4 and 6 move it down and make it taller than the text.
            double width = 2 * (79 - 65) + (r.z - 2) * r.length + 2;
            draw_screen_sprite(SPRITE_HIGHLIGHT, r.x - (79 - 65), r.y + highlight->param[0], 0, LIGHT,
                               highlight->transparency, 14 + highlight->param[2], width, 0, 0);
        }
        // Rows that are not selected are dimmer but solid: over the panel they keep a contrast of
        // more than 3:1 whatever lies behind.
        draw_sprite_text(r.text, r.x, r.y, 0, bright ? LIGHT : LIGHT_DIM, 0, 14, r.z, r.z - 2);
    }
}

void command_esc()
{
    mapa_teclado[CMD_ESC] = 0;
    Game_Effect(EFFECT_ESC);
    Key_Delay_Set(DELAY_ESC);
    switch (menu.page) {
    case MENU_PAGE_MAIN:
        Screen_Menu_Close();
        return;
    case MENU_PAGE_SCORES:
        Hiscore_Free();
        main_go(MSG_SCORES);
        return;
    case MENU_PAGE_OPTIONS:
        write_preferences();
        main_go(MSG_OPTIONS);
        return;
    case MENU_PAGE_DIFFICULTY:
        if (sets.count > 0)
            sets_go(menu.set_next);
        else
            main_go(MSG_NEW_GAME);
        return;
    case MENU_PAGE_CONTROLS: page_go(MENU_PAGE_OPTIONS, 3); return;
    case MENU_PAGE_PAD_MOUSE: page_go(MENU_PAGE_CONTROLS, 5); return;
    case MENU_PAGE_VIEW:
        write_preferences();
        page_go(MENU_PAGE_OPTIONS, 4);
        return;
    default:
        page_go(MENU_PAGE_MAIN, 0);
        return;
    }
}

void command_continue()
{
    switch (Kept_Continue()) {
    case KEPT_DAMAGED:
        page_go(MENU_PAGE_KEPT_REFUSED, MENU_ITEMS - 1);
        break;
    case KEPT_SET_REFUSED:
        page_go(MENU_PAGE_SET_REFUSED, MENU_ITEMS - 1);
        break;
    case KEPT_MISSING:
        main_go(MSG_NEW_GAME);
        break;
    }
}

void command_main(int item)
{
    const MENU_PAGE page = Menu_Page(MENU_PAGE_MAIN);
    if (item < 0 || item >= page.count) return;
    switch (page.items[item]) {
    case MSG_CONTINUE: command_continue(); break;
    case MSG_END_GAME: page_go(MENU_PAGE_QUIT_GAME, 5); break;
    case MSG_NEW_GAME:
        if (Sets_List() == 0)
            Menu_Difficulty_Ask("");
        else
            sets_go(sets.chosen); // the choice opens on the set chosen last
        break;
    case MSG_OPTIONS: page_go(MENU_PAGE_OPTIONS, 0); break;
    case MSG_SCORES:
        Hiscore_Load();
        page_go(MENU_PAGE_SCORES, 0);
        break;
    case MSG_HELP:
        if (menu_help_fn) menu_help_fn();
        break;
    case MSG_VOLUMES: page_go(MENU_PAGE_VOLUMES, 0); break;
    case MSG_EXIT: page_go(MENU_PAGE_LEAVE, 5); break;
    }
}

void command_enter()
{
    Key_Delay_Set(DELAY_KEY);
    Game_Effect(EFFECT_ENTER);
    int item = menu.item;
    switch (menu.page) {
    case MENU_PAGE_MAIN: command_main(item); break;
    case MENU_PAGE_LEAVE:
        if (item == 4) kx_dsp_quit();
        if (item == 5) main_go(MSG_EXIT);
        break;
    case MENU_PAGE_QUIT_GAME:
        if (item == 4) {
            // A game given up is over: it is not kept.
            Kept_Game_End();
            page_go(MENU_PAGE_MAIN, 0);
            Game_Particles_Stop_All();
            // A score that enters the table asks for the name first, as at game over; the name
            // entry then returns to attract mode with the menu shown.
            if (Hiscore_Qualify()) {
                Screen_Name_Entry_Wait();
                break;
            }
            Hiscore_Free();
            Demo_Music_Request();
            Demo_Init();
        }
        if (item == 5) page_go(MENU_PAGE_MAIN, 0);
        break;
    case MENU_PAGE_OPTIONS:
        if (item == 1) {
            pref_floor = !pref_floor;
            // A pending full rebuild already brings the floor up to date.
            if (!game.scenery_loaded && game.rebuild == REBUILD_NONE) game.rebuild = REBUILD_FLOOR;
        }
        if (item == 2) pref_background = !pref_background;
        if (item == 3) page_go(MENU_PAGE_CONTROLS, 0);
        if (item == 4) page_go(MENU_PAGE_VIEW, 1);
        if (item == 5) {
            write_preferences();
            main_go(MSG_OPTIONS);
        }
        break;
    case MENU_PAGE_CONTROLS:
        if (item < 5 && menu_controls) menu_controls->enter(MENU_CONTROL_LEFT + item);
        if (item == 5) page_go(MENU_PAGE_PAD_MOUSE, 0);
        break;
    case MENU_PAGE_PAD_MOUSE:
        if (item < 3 && menu_controls) menu_controls->enter(MENU_CONTROL_PAD_FIRE + item);
        if (item == 4 && menu_controls) menu_controls->enter(MENU_CONTROL_DEFAULTS);
        if (item == 5) page_go(MENU_PAGE_CONTROLS, 5);
        break;
    case MENU_PAGE_VIEW:
        if (item == 1) view_high_camera = !view_high_camera;
        if (item == 2) view_ball_shadows = !view_ball_shadows;
        // The picture shows the change at once, also over a paused game.
        if ((item == 1 || item == 2) && game.world_loaded && !game.scenery_loaded) Camera_Place();
        if (item == 3) {
            write_preferences();
            page_go(MENU_PAGE_OPTIONS, 4);
        }
        break;
    case MENU_PAGE_SETS: {
        int at = menu.set_top + item - 1;
        Menu_Difficulty_Ask(at > 0 && at <= sets.count ? sets.names[at - 1] : "");
        break;
    }
    case MENU_PAGE_SET_REFUSED:
        if (item != MENU_ITEMS - 1) break;
        if (sets.count > 0)
            page_go(MENU_PAGE_SETS, 1);
        else
            main_go(MSG_NEW_GAME);
        break;
    case MENU_PAGE_DIFFICULTY:
        if (item >= 2 && item < 2 + DIFFICULTY_COUNT) {
            difficulty.chosen = DIFFICULTY_ORDER[item - 2];
            write_preferences();
            Menu_Set_Play(menu.set_next);
        }
        break;
    case MENU_PAGE_KEPT_REFUSED:
        if (item == MENU_ITEMS - 1) main_go(MSG_NEW_GAME);
        break;
    case MENU_PAGE_VOLUMES:
        if (item == 0 || item == 1) volume_command(item == 0, CMD_ENTER);
        if (item == 5) main_go(MSG_VOLUMES);
        break;
    }
}

} // namespace

MENU_PAGE Menu_Page(int page)
{
    switch (page) {
    case MENU_PAGE_MAIN:
        if (game_flags.attract_mode && kept.present)
            return {{MSG_CONTINUE, MSG_NEW_GAME, MSG_OPTIONS, MSG_SCORES, MSG_HELP, MSG_VOLUMES, MSG_EXIT}, 7, 0, 6};
        return {{game_flags.attract_mode ? MSG_NEW_GAME : MSG_END_GAME, MSG_OPTIONS, MSG_SCORES, MSG_HELP, MSG_VOLUMES, MSG_EXIT},
                6, 0, 5};
    case MENU_PAGE_LEAVE:
        return {{MSG_LEAVE_PAGE, MSG_LEAVE_PAGE + 1, MSG_LEAVE_PAGE + 2, MENU_EMPTY, MSG_LEAVE_PAGE + 3, MSG_LEAVE_PAGE + 4},
                6, 4, 5};
    case MENU_PAGE_QUIT_GAME:
        return {{MSG_QUIT_PAGE, MSG_QUIT_PAGE + 1, MSG_QUIT_PAGE + 2, MENU_EMPTY, MSG_QUIT_PAGE + 3, MSG_QUIT_PAGE + 4},
                6, 4, 5};
    case MENU_PAGE_OPTIONS:
        return {{MENU_EMPTY, pref_floor ? MSG_FLOOR_ON : MSG_FLOOR_OFF,
                 pref_background ? MSG_BACKGROUND_ON : MSG_BACKGROUND_OFF, MSG_CONTROLS, MSG_VIEW, MSG_BACK},
                6, 1, 5};
    case MENU_PAGE_CONTROLS:
        return {{ITEM_CONTROL + MENU_CONTROL_LEFT, ITEM_CONTROL + MENU_CONTROL_RIGHT, ITEM_CONTROL + MENU_CONTROL_FIRE,
                 ITEM_CONTROL + MENU_CONTROL_PAUSE, ITEM_CONTROL + MENU_CONTROL_MENU, MSG_PAD_AND_MOUSE},
                6, 0, 5};
    case MENU_PAGE_PAD_MOUSE:
        return {{ITEM_CONTROL + MENU_CONTROL_PAD_FIRE, ITEM_CONTROL + MENU_CONTROL_PAD_PAUSE,
                 ITEM_CONTROL + MENU_CONTROL_MOUSE_SPEED, MENU_EMPTY, ITEM_CONTROL + MENU_CONTROL_DEFAULTS, MSG_BACK},
                6, 0, 5};
    case MENU_PAGE_VIEW:
        return {{MENU_EMPTY, view_high_camera ? MSG_HIGH_CAMERA_ON : MSG_HIGH_CAMERA_OFF,
                 view_ball_shadows ? MSG_BALL_SHADOWS_ON : MSG_BALL_SHADOWS_OFF, MSG_BACK},
                4, 1, 3};
    case MENU_PAGE_VOLUMES:
        return {{ITEM_MUSIC, ITEM_SOUND, MENU_EMPTY, MENU_EMPTY, MENU_EMPTY, MSG_BACK}, 6, 0, 5};
    case MENU_PAGE_SETS: {
        MENU_PAGE p{{MSG_SET_TITLE}, 1, 1, 0};
        for (int at = menu.set_top; at <= sets.count && p.count < MENU_ITEMS; at++) p.items[p.count++] = ITEM_SET + at;
        p.last = p.count - 1;
        return p;
    }
    case MENU_PAGE_SET_REFUSED:
        return {{MSG_SET_REFUSED, ITEM_REFUSAL, ITEM_REFUSAL + 1, ITEM_REFUSAL + 2, ITEM_REFUSAL + 3, MSG_BACK}, 6, 5, 5};
    case MENU_PAGE_DIFFICULTY:
        return {{MSG_DIFFICULTY, MENU_EMPTY, Difficulty_Message(DIFFICULTY_ORDER[0]), Difficulty_Message(DIFFICULTY_ORDER[1]),
                 Difficulty_Message(DIFFICULTY_ORDER[2])},
                5, 2, 4};
    case MENU_PAGE_KEPT_REFUSED:
        return {{ITEM_KEPT, ITEM_KEPT + 1, ITEM_KEPT + 2, ITEM_KEPT + 3, MENU_EMPTY, MSG_BACK}, 6, 5, 5};
    default: return {{}, 0, 1, 0};
    }
}

int Menu_Item_Step(const MENU_PAGE &page, int item, int step)
{
    if (page.first > page.last) return item;
    for (int tries = 0; tries <= page.last - page.first; tries++) {
        item += step;
        if (item > page.last) item = page.first;
        if (item < page.first) item = page.last;
        if (page.items[item] != MENU_EMPTY) return item;
    }
    return item;
}

int Menu_Set_Step(int total, int *top, int item, int step)
{
    int rows = std::min(total, MENU_SET_ROWS);
    if (rows <= 0) return 1;
    int at = (*top + item - 1 + step + total) % total;
    if (at < *top) *top = at;
    if (at >= *top + rows) *top = at - rows + 1;
    return at - *top + 1;
}

int Menu_Set_Play(const char *name)
{
    if (!Sets_Use(name)) {
        Main_Menu_Open();
        page_go(MENU_PAGE_SET_REFUSED, MENU_ITEMS - 1);
        return 0;
    }
    std::snprintf(sets.chosen, sizeof sets.chosen, "%s", name);
    New_Game();
    return 1;
}

void Menu_Difficulty_Ask(const char *name)
{
    if (difficulty.forced >= 0) {
        Menu_Set_Play(name);
        return;
    }
    std::snprintf(menu.set_next, sizeof menu.set_next, "%s", name);
    int row = 0;
    for (int i = 0; i < DIFFICULTY_COUNT; i++)
        if (DIFFICULTY_ORDER[i] == difficulty.chosen) row = i;
    page_go(MENU_PAGE_DIFFICULTY, 2 + row);
}

int Menu_Wrap(const char *text, int width, char (*lines)[MENU_WRAP_WIDTH + 1], int max_lines)
{
    width = std::clamp(width, 1, MENU_WRAP_WIDTH);
    int n = 0;
    const char *p = text;
    while (*p == ' ') p++;
    while (*p && n < max_lines) {
        int take = static_cast<int>(std::strlen(p));
        if (take > width) {
            take = width;
            while (take > 0 && p[take] != ' ') take--;
            if (take == 0) take = width;
        }
        char *line = lines[n++];
        for (int i = 0; i < take; i++) line[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(p[i])));
        while (take > 0 && line[take - 1] == ' ') take--;
        line[take] = 0;
        p += take;
        while (*p == ' ') p++;
        if (*p && n == max_lines) std::memcpy(line + std::min(take, width - 3), "...", 4);
    }
    return n;
}

int Menu_Volume_Step(int volume, int cmd)
{
    switch (cmd) {
    case CMD_ENTER: return volume + 10 > 100 ? 0 : volume + 10;
    case CMD_LEFT: return volume > 0 ? volume - 10 : volume;
    case CMD_RIGHT: return volume < 100 ? volume + 10 : volume;
    default: return volume;
    }
}

const char *Menu_Volume_Text(int volume, int music, char *out, size_t size)
{
    if (volume == KX_SND_VOLUME_NONE) return Game_Message(music ? MSG_MUSIC_NONE : MSG_SOUND_NONE);
    if (volume < 0) return Game_Message(music ? MSG_MUSIC_OFF : MSG_SOUND_OFF);
    if (volume == 0) return Game_Message(music ? MSG_MUSIC_ZERO : MSG_SOUND_ZERO);
    const char *bar = Game_Message(music ? MSG_MUSIC_BAR : MSG_SOUND_BAR);
    const char *dash = std::strchr(bar, '-');
    if (!dash || size == 0) {
        Game_Error(music ? "Cant find volume bar for music!" : "Cant find volume bar for sound!");
        return nullptr;
    }
    size_t length = std::min(std::strlen(bar), size - 1);
    std::memcpy(out, bar, length);
    out[length] = 0;
    // The mark goes (v / 10 - 1) places after the first dash, never past the end of the text.
    size_t at = static_cast<size_t>(dash - bar) + static_cast<size_t>(volume < 11 ? 0 : volume / 10 - 1);
    if (at >= length) at = length - 1;
    out[at] = '*';
    return out;
}

void Game_Panel_Draw(double x, double y, double width, double height)
{
    if (!world_sprites || !world_sprites[SPRITE_PANEL].defined) return;
    draw_screen_sprite(SPRITE_PANEL, x, y, 0, 15, world_sprites[SPRITE_PANEL].transparency, height, width, 0, 0);
}

void Main_Menu_Open()
{
    menu.page = MENU_PAGE_MAIN;
    menu.idle_timer = MENU_IDLE_TICKS;
    game_flags.menu_shown = 1;
}

void Main_Menu(float t)
{
    if (!mapa_teclado || !game_flags.menu_shown) return;
    if (menu.page != MENU_PAGE_SCORES) menu.item = item_clamped(Menu_Page(menu.page));

    const bool waiting = menu_controls && menu_controls->waiting();
    if (game_flags.attract_mode && game_flags.key_delay == 0.0f) {
        if (any_command() || waiting) {
            menu.idle_timer = MENU_IDLE_TICKS;
        } else {
            menu.idle_timer -= t;
            if (menu.idle_timer <= 0.0f) mapa_teclado[CMD_ESC] = 1;
        }
    }
    if (menu.page == MENU_PAGE_SCORES && any_command() && (game_flags.key_delay == 0.0f || commands_fresh))
        command_esc();
    else if (Command_Ready(CMD_ESC))
        command_esc();
    if (Command_Ready(CMD_ENTER) || (game_flags.key_delay == 0.0f && command(CMD_SPACE))) command_enter();
    if (menu.page == MENU_PAGE_VOLUMES && (menu.item == 0 || menu.item == 1) &&
        (Command_Ready(CMD_LEFT) || Command_Ready(CMD_RIGHT))) {
        const int cmd = Command_Ready(CMD_LEFT) ? CMD_LEFT : CMD_RIGHT;
        Key_Delay_Set(DELAY_KEY);
        Game_Effect(EFFECT_ENTER);
        volume_command(menu.item == 0, cmd);
    }
    if (menu.page == MENU_PAGE_PAD_MOUSE && menu.item == 2 && menu_controls &&
        (Command_Ready(CMD_LEFT) || Command_Ready(CMD_RIGHT))) {
        const int step = Command_Ready(CMD_LEFT) ? -1 : 1;
        Key_Delay_Set(DELAY_KEY);
        Game_Effect(EFFECT_ENTER);
        menu_controls->step(MENU_CONTROL_MOUSE_SPEED, step);
    }
    MENU_PAGE page = Menu_Page(menu.page);
    for (int step : {1, -1}) {
        if (!Command_Ready(step > 0 ? CMD_DOWN : CMD_UP)) continue;
        Game_Effect(EFFECT_CHANGE);
        if (menu.page == MENU_PAGE_SETS)
            menu.item = Menu_Set_Step(sets.count + 1, &menu.set_top, menu.item, step);
        else
            menu.item = Menu_Item_Step(page, menu.item, step);
        Key_Delay_Set(DELAY_KEY);
    }
}

void Main_Menu_Draw()
{
    if (menu.page == MENU_PAGE_SCORES)
        Hiscore_Draw();
    else
        draw_page(Menu_Page(menu.page));
}
