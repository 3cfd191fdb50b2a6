// Game tables: built once at start-up in a fixed order (command array, preferences, the tape
// of the demos, the brick world, the level table, the particle effects), freed at shut-down.
#include "game/game_local.h"
#include "game/game_alloc.h"
#include "game/game_difficulty.h"
#include "game/game_error.h"
#include "game/game_kept.h"
#include "game/game_levels.h"
#include "game/game_random.h"
#include "game/game_view.h"

#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "world/particle.h"
#include "world/world.h"
#include "world/world_render.h"

#include <cstring>

namespace {

// A zero-filled named table; its own fatal message when memory runs out.
void *table_alloc(size_t size, const char *name, const char *failure)
{
    void *p = kx_mem_malloc(size);
    if (!p) {
        Game_Error("%s", failure);
        return nullptr;
    }
    std::memset(p, 0, size);
    kx_mem_name(p, name);
    return p;
}

// Errors in the world's files are the game's fatal errors.
void world_error(const char *message)
{
    Game_Error("%s", message);
}

} // namespace

void read_preferences()
{
    const char *settings = kx_io_settings_path_get();
    if (!settings || !kx_io_exists(settings, KX_IO_WHERE_DISK)) return;
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_ON);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_ON);
    int value = 1;
    if (kx_io_ini_get_int("Preferences", "Floor", &value, settings) && !kx_io_ini_failed(1)) pref_floor = value != 0;
    value = 1;
    if (kx_io_ini_get_int("Preferences", "Background", &value, settings) && !kx_io_ini_failed(1))
        pref_background = value != 0;
    View_Preferences_Read(settings);
    char word[16] = "";
    if (kx_io_ini_get_string("Preferences", "Difficulty", word, sizeof word - 1, settings) && !kx_io_ini_failed(1) &&
        Difficulty_Parse(word) >= 0)
        difficulty.chosen = Difficulty_Parse(word);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_OFF);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_OFF);
}

void write_preferences()
{
    const char *settings = kx_io_settings_path_get();
    if (!settings || !settings[0]) return;
    // The keys reach the file together, whenever the game dies.
    const int held = kx_io_ini_hold(settings);
    kx_io_ini_set_int("Preferences", "Floor", pref_floor, settings);
    kx_io_ini_set_int("Preferences", "Background", pref_background, settings);
    View_Preferences_Write(settings);
    kx_io_ini_set_string("Preferences", "Difficulty", Difficulty_Name(difficulty.chosen), settings);
    if (held) kx_io_ini_hold_end();
}

void Game_Field_Set(int width, int height)
{
    game.field_width = width;
    game.field_height = height;
}

int Game_Tables_Init(int width, int height)
{
    Game_Field_Set(width, height);
    world_error_hook_set(world_error);
    if (!world_editor_font) load_editor_font("data\\font.dat");
    mapa_teclado = static_cast<uint8_t *>(table_alloc(256, "MAPA_TECLADO", "Not enough memory for 'MAPA_TECLADO'"));
    if (!mapa_teclado) return 0;
    input_polling = 1;
    read_preferences();
    Kept_Find();
    tape.rand = static_cast<int32_t *>(
        table_alloc(GAME_RAND_VALUES * sizeof(int32_t), "Rand Table", "Not enough memory for Rand Table"));
    if (!tape.rand) return 0;
    tape.movement = static_cast<uint8_t *>(
        table_alloc(GAME_MOVEMENT_STEPS, "Player_Movement_Table", "Not enough memory for Player_Movement_Table"));
    if (!tape.movement) return 0;
    World_Load("level\\brick.def", "level\\brick.map");
    if (!game.world_loaded) return 0;
    game_flags.world_show_timer = 0.0f;
    set_world_viewport(height, width);
    if (!Levels_Init()) return 0;
    game_particles = particle_fx_pool_create(GAME_EMITTERS);
    if (!game_particles) return 0;
    if (!particle_fx_init("data\\part_fx.txt")) return 0;
    return 1;
}

void Game_Keep()
{
    Kept_Close();
    write_preferences();
}

void Game_Cleanup()
{
    input_polling = 0;
    // A recording still running when the program closes is kept like one ended by Esc.
    if (tape.recording) Demo_Record_Stop(0);
    Kept_Close();
    write_preferences();
    World_Unload();
    particle_fx_deinit();
    if (game_particles) particle_fx_pool_free(game_particles);
    game_particles = nullptr;
    Levels_Preview_End();
    Levels_Free();
    // The program may close while the high-score table is open (name entry, the menu's page).
    Hiscore_Free();
    free_editor_font();
    if (tape.movement) Game_Free(tape.movement);
    if (tape.rand) Game_Free(tape.rand);
    tape = GAME_TAPE{};
    if (mapa_teclado) Game_Free(mapa_teclado);
    mapa_teclado = nullptr;
}
