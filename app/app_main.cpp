// Start-up: the command line, the engine modules in their fixed order, the game tables, then
// the frame loop.
#include "app/app.h"

#include "app/app_config.h"
#include "app/app_controls.h"
#include "app/app_keymap.h"
#include "app/app_help.h"
#include "app/app_language.h"
#include "app/app_texts.h"
#include "editor/editor.h"
#include "game/game.h"
#include "game/game_difficulty.h"
#include "game/game_levels.h"
#include "game/game_menu.h"
#include "game/game_random.h"
#include "game/game_sets.h"
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_error/kx_error.h"
#include "kx/kx_font/kx_font.h"
#include "kx/kx_inp/kx_inp.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "kx/kx_play/kx_play.h"
#include "kx/kx_snd/kx_snd.h"
#include "platform/plat_core.h"
#include "platform/plat_input.h"
#include "platform/plat_files.h"
#include "world/particle.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

APP_STATE app;

namespace {

constexpr const char *APP_VERSION = "2.0.0";
constexpr int APP_DESIGN_WIDTH = 640;
constexpr int APP_DESIGN_HEIGHT = 480;

// Module settings blocks: word 0 is each module's report flag.
int32_t app_error_settings;
int32_t app_list_settings;
KX_MEM_SETTINGS app_mem_settings{0, KX_MEM_GAME_HEAP};
int32_t app_str_settings;
KX_IO_SETTINGS app_io_settings;
int32_t app_bit_settings;
int32_t app_font_settings;
int32_t app_input_settings[2];
int32_t app_play_settings;
KX_DSP_SETUP app_display;

// Sound preferences: defaults until the "Sound" settings are read, then the current state.
int32_t app_music_on = 1, app_effects_on = 1, app_music_volume = 75, app_effects_volume = 75, app_quality = 4;
std::atomic<int32_t> app_music_audible;
KX_SND_SETTINGS app_sound_settings{0, &app_music_audible, &app_music_on, &app_effects_on,
                                   &app_music_volume, &app_effects_volume, &app_quality, 2, 3};

// The game's resolutions: 640 x 480 is the low fullscreen choice, 800 x 600 the high one.
const KX_DSP_RESOLUTION app_resolutions[] = {
    {640, 480, KX_DSP_RES_LOW}, {800, 600, KX_DSP_RES_HIGH}, {1024, 768, 0}, {1280, 960, 0}, {0, 0, 0},
};

// The sound effects the game names by number (row n is effect n + 1); the last row has none.
const char *const app_effect_files[APP_EFFECTS] = {
    "snd\\weapon.wav",   "snd\\gamestar.wav", "snd\\winlevel.wav", "snd\\esckey.wav",   "snd\\menenter.wav",
    "snd\\menchang.wav", "snd\\gameover.wav", "snd\\hsletter.wav", "snd\\hsname.wav",   "snd\\eneexplo.wav",
    "snd\\plaexplo.wav", "snd\\extralif.wav", "snd\\undestru.wav", "snd\\desblock.wav", "snd\\halblock.wav",
    "snd\\eatbonus.wav", "snd\\hitpaddl.wav", nullptr,
};

// The player's first control configuration: arrows, I, O, Space, B, N and Esc.
const int16_t app_default_controls[10] = {200, 208, 203, 205, 23, 24, 57, 48, 49, 1};

void app_ticks_set(uint32_t ticks)
{
    app.ticks.store(ticks);
}

const char *string_resource(int id)
{
    return id == 101 ? "resource.dat" : nullptr;
}

void usage(FILE *out)
{
    std::fprintf(out,
                 "usage: veltramondo [options]\n"
                 "  --headless        run without a display or sound device (offscreen drivers)\n"
                 "  --frames N        run N frames, then close as if the window were closed\n"
                 "  --script FILE     scripted input: lines \"PASS SCANCODE down|up\" or \"PASS menu ID\"\n"
                 "  --report          let the engine modules report their errors\n"
                 "  --trace-commands FILE  write each frame's game commands to FILE\n"
                 "  --language N      play in the language numbered N, without the language screen\n"
                 "  --trace-game FILE write one line of game state (level, score, lives...) per pass\n"
                 "  --fixed-ticks N   every pass finds exactly N ticks (1-20): no clock, repeatable runs\n"
                 "  --fps N           draw at most N frames a second (0: no limit)\n"
                 "  --seed N          seed the game's random numbers with N instead of the clock\n"
                 "  --autopilot       the computer plays the game (outside attract mode)\n"
                 "  --record-demo LEVEL:STEPS  play LEVEL at once, record it and save the recording\n"
                 "                    after STEPS steps, the level won or the last life left\n"
                 "  --demo-list FILE  run the attract sequence from FILE instead of data\\demos.txt\n"
                 "  --level-set NAME  play the level set NAME (levels/NAME.txt in the per-user folder) at once\n"
                 "  --edit NAME       open the level editor on the user level set NAME\n"
                 "  --difficulty D    play new games on D (easy, normal or hard) without the choice\n"
                 "  -stop             ask a running copy to close\n"
                 "  --version         print the version\n"
                 "  --help            print this help\n");
}

// The options that take a value, and what that value is.
struct APP_OPTION_VALUE {
    const char *option;
    const char *value;
};
constexpr APP_OPTION_VALUE app_option_values[] = {
    {"--frames", "a number"},          {"--script", "a file name"},      {"--trace-commands", "a file name"},
    {"--language", "a language number"}, {"--trace-game", "a file name"}, {"--fixed-ticks", "a number"},
    {"--seed", "a number"},            {"--record-demo", "LEVEL:STEPS"}, {"--demo-list", "a file name"},
    {"--fps", "a number"},
    {"--level-set", "a level set name"},
    {"--edit", "a level set name"},
    {"--difficulty", "easy, normal or hard"},
};

// Parses the options; returns -1 to go on, else the exit status to end with.
int parse(int argc, char **argv)
{
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        for (const APP_OPTION_VALUE &o : app_option_values) {
            if (i + 1 < argc || std::strcmp(a, o.option)) continue;
            std::fprintf(stderr, "veltramondo: %s needs %s\n", o.option, o.value);
            return 2;
        }
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            usage(stdout);
            return 0;
        }
        if (!std::strcmp(a, "--version")) {
            std::printf("Veltramondo %s\n", APP_VERSION);
            return 0;
        }
        if (!std::strcmp(a, "--headless")) {
            app.headless = 1;
        } else if (!std::strcmp(a, "--report")) {
            app_error_settings = app_list_settings = app_str_settings = app_bit_settings = app_font_settings = 1;
            app_mem_settings.report = app_io_settings.report = app_input_settings[0] = app_play_settings = 1;
            app_sound_settings.report = app_display.report = 1;
        } else if (!std::strcmp(a, "--frames") && i + 1 < argc) {
            char *end;
            long n = std::strtol(argv[++i], &end, 10);
            if (*end || n <= 0) {
                std::fprintf(stderr, "veltramondo: --frames takes a positive number\n");
                return 2;
            }
            app.frame_limit = static_cast<uint32_t>(n);
        } else if (!std::strcmp(a, "--script") && i + 1 < argc) {
            if (!plat_script_load(argv[++i])) {
                std::fprintf(stderr, "veltramondo: cannot read the key script %s\n", argv[i]);
                return 2;
            }
        } else if (!std::strcmp(a, "--trace-commands") && i + 1 < argc) {
            if (!app_trace_open(argv[++i])) {
                std::fprintf(stderr, "veltramondo: cannot write the command trace %s\n", argv[i]);
                return 2;
            }
        } else if (!std::strcmp(a, "--language") && i + 1 < argc) {
            char *end;
            long n = std::strtol(argv[++i], &end, 10);
            if (*end || n <= 0 || n > 0x7FFFFFFF) {
                std::fprintf(stderr, "veltramondo: --language takes a language number\n");
                return 2;
            }
            app.language_option = static_cast<int>(n);
        } else if (!std::strcmp(a, "--trace-game") && i + 1 < argc) {
            if (!app_game_trace_open(argv[++i])) {
                std::fprintf(stderr, "veltramondo: cannot write the game trace %s\n", argv[i]);
                return 2;
            }
        } else if (!std::strcmp(a, "--fixed-ticks") && i + 1 < argc) {
            char *end;
            long n = std::strtol(argv[++i], &end, 10);
            if (*end || n < 1 || n > 20) {
                std::fprintf(stderr, "veltramondo: --fixed-ticks takes a number from 1 to 20\n");
                return 2;
            }
            app.fixed_ticks = static_cast<uint32_t>(n);
        } else if (!std::strcmp(a, "--fps") && i + 1 < argc) {
            char *end;
            long n = std::strtol(argv[++i], &end, 10);
            if (*end || !argv[i][0] || n < 0 || n > APP_FPS_MAX) {
                std::fprintf(stderr, "veltramondo: --fps takes a number from 0 to %d\n", APP_FPS_MAX);
                return 2;
            }
            app.fps_option = static_cast<int>(n);
        } else if (!std::strcmp(a, "--seed") && i + 1 < argc) {
            char *end;
            unsigned long n = std::strtoul(argv[++i], &end, 10);
            if (*end || !argv[i][0]) {
                std::fprintf(stderr, "veltramondo: --seed takes a number\n");
                return 2;
            }
            app.seed_given = 1;
            app.seed = static_cast<uint32_t>(n);
        } else if (!std::strcmp(a, "--record-demo") && i + 1 < argc) {
            int level, steps;
            char end;
            if (std::sscanf(argv[++i], "%d:%d%c", &level, &steps, &end) != 2 || level < 1 || level >= LEVELS_MAX ||
                steps < 1 || steps >= GAME_MOVEMENT_STEPS) {
                std::fprintf(stderr, "veltramondo: --record-demo takes LEVEL:STEPS (level 1-%d, steps 1-%d)\n",
                             LEVELS_MAX - 1, GAME_MOVEMENT_STEPS - 1);
                return 2;
            }
            app.record_level = level;
            app.record_steps = steps;
        } else if (!std::strcmp(a, "--demo-list") && i + 1 < argc) {
            // Named from where the player stands: the game later works from its data folder.
            static char list[KX_IO_PATH_MAX];
            const char *name = argv[++i];
            char cwd[KX_IO_PATH_MAX];
            const bool relative = name[0] != '/' && name[0] != '\\' && plat_files_cwd_get(cwd, sizeof cwd);
            if (std::snprintf(list, sizeof list, "%s%s", relative ? cwd : "", name) >= int(sizeof list) ||
                !plat_files_exists(list)) {
                std::fprintf(stderr, "veltramondo: --demo-list %s: there is no such file\n", name);
                return 2;
            }
            demo_list_name = list;
        } else if (!std::strcmp(a, "--level-set") && i + 1 < argc) {
            app.level_set = argv[++i];
            if (const char *why = Sets_Name_Check(app.level_set)) {
                std::fprintf(stderr, "veltramondo: --level-set %s: %s\n", app.level_set, why);
                return 2;
            }
        } else if (!std::strcmp(a, "--edit") && i + 1 < argc) {
            app.edit_name = argv[++i];
            if (const char *why = Sets_Name_Check(app.edit_name)) {
                std::fprintf(stderr, "veltramondo: --edit %s: %s\n", app.edit_name, why);
                return 2;
            }
        } else if (!std::strcmp(a, "--difficulty") && i + 1 < argc) {
            difficulty.forced = Difficulty_Parse(argv[++i]);
            if (difficulty.forced < 0) {
                std::fprintf(stderr, "veltramondo: --difficulty takes easy, normal or hard\n");
                return 2;
            }
        } else if (!std::strcmp(a, "--autopilot")) {
            game_autopilot = 1;
        } else if (!std::strcmp(a, "-stop")) {
            app.stop_requested = 1;
        } else {
            std::fprintf(stderr, "veltramondo: unknown option '%s'\n", a);
            usage(stderr);
            return 2;
        }
    }
    return -1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

namespace {

void text_get(const char *key, char *buffer, int size)
{
    if (!Config_Text_Get(key, buffer, size)) buffer[0] = 0;
}

// Steps 5 to 8: names from "data\\texts.txt", the settings file, the language and the splash.
// 0 when the language list or the texts failed (the alert has been shown).
int names_and_language()
{
    text_get("StartSplash", app.start_splash, sizeof app.start_splash - 1);
    text_get("INIFile", app.ini_file, sizeof app.ini_file - 1);
    text_get("Title", app.title, sizeof app.title - 1);
    if (!app.title[0]) std::snprintf(app.title, sizeof app.title, "Veltramondo");
    Config_Start(app.ini_file, app.title);

    text_get("LNGFile", app.lng_file, sizeof app.lng_file - 1);
    if (!Languages_Load(app.lng_file)) return 0;
    // A stored number that names no language of the list asks again, as a first start does.
    const int chosen = app.language_option ? Language_Select(app.language_option)
                                           : Config_Language_Get(&app.language) && Language_Select(app.language);
    if (chosen) Screen_Language_Chosen();
    if (!game_flags.language_chosen && !read_languages()) return 0;

    char splash[64];
    std::snprintf(splash, sizeof splash, "%s_%s", app.start_splash, Language_Abbreviation());
    kx_dsp_splash_on(splash);

    text_get("Class", app.class_name, sizeof app.class_name - 1);
    text_get("HLPFile", app.hlp_file, sizeof app.hlp_file - 1);
    Texts_Help_File_Set(app.hlp_file);
    return !game_flags.language_chosen || load_texts();
}

} // namespace

int WinMain(void *, void *, const char *command_line, int show)
{
    const char *pack = string_resource(101);
    if (!pack) {
        kx_dsp_alert("Couldn't load the resource strings", nullptr, 0);
        return 0;
    }
    std::snprintf(app.pack_name, sizeof app.pack_name, "%s", pack);
    app.command_line = command_line;
    app.show = show;
    app.running = 1;
    app_display.command_line = command_line;
    app_display.show = show;
    app_display.window_proc = Window_Proc;

    if (!Config_System_Check()) return 0;

    kx_error_init(&app_error_settings);
    kx_list_init(&app_list_settings);
    if (!kx_mem_init(&app_mem_settings)) return 0;
    kx_str_init(&app_str_settings);
    app_io_settings.pack_name = app.pack_name;
    if (!kx_io_init(&app_io_settings)) return 0;
    kx_bit_init(&app_bit_settings);
    kx_font_init(&app_font_settings);

    if (!names_and_language()) return 0;

    app_display.window_active = &app.window_active;
    app_display.display_ready = &app.display_ready;
    app_display.redraw = Display_Redraw;
    app_display.class_name = app.class_name;
    app_display.title = app.title;
    app_display.menu_name = "VELTRAMONDO";
    app_display.icon_name = "icons\\64.png";
    app_display.width = APP_DESIGN_WIDTH;
    app_display.height = APP_DESIGN_HEIGHT;
    app_display.min_width = APP_DESIGN_WIDTH;
    app_display.min_height = APP_DESIGN_HEIGHT;
    app_display.min_depth = 16;
    app_display.window_x = app_display.window_y = -1;
    app_display.resolutions = app_resolutions;
    Language_Menu_List(&app_display.languages, &app_display.language_count, &app_display.language);
    if (!kx_dsp_init(&app_display)) return 0;

    kx_inp_init(app_input_settings);
    kx_play_init(&app_play_settings);
    kx_snd_init(&app_sound_settings);
    menu_music_volume = &app_music_volume;
    menu_effects_volume = &app_effects_volume;
    menu_help_fn = App_Help_Show;
    for (int i = 0; i < APP_EFFECTS; i++) app.effects[i] = app_effect_files[i] ? kx_snd_load(app_effect_files[i]) : nullptr;
    kx_play_add(&app.player);
    kx_play_setup(&app.player, 1, app_default_controls);
    App_Controls_Setup(&app.player);
    App_Keymap_Load();
    App_Keymap_Apply(&app.player);
    App_Keymap_Page_Install();

    if (!App_3D_Start()) return 0;
    text_get("PALFile", app.pal_file, sizeof app.pal_file - 1);

    if (!kx_dsp_timer_init(10, Timer_Tick, nullptr)) return 0;
    if (app.redraw_pending) Display_Redraw();
    app.field_width = kx_dsp_width() - 1;
    app.field_height = kx_dsp_height() - 1;
    const uint32_t seed = app.seed_given ? app.seed : plat_ticks_ms();
    std::srand(seed);
    Game_Random_Seed(seed);
    particle_random_seed(seed);
    game_effect_fn = Play_Effect;
    game_ticks_fn = app_ticks_set;
    if (!Game_Tables_Init(app.field_width, app.field_height)) return app_loop_run();
    Game_Reset();
    if (app.record_level) {
        Demo_Record_Game(app.record_level);
    } else if (!app.edit_name || !Editor_Open(app.edit_name)) {
        Demo_Init();
        if (app.level_set && !Menu_Set_Play(app.level_set))
            std::fprintf(stderr, "veltramondo: level set %s: %s\n", app.level_set, sets.message);
    }
    app.game_initialised = 1;
    app_pacing_start();

    kx_dsp_splash_off();
    kx_dsp_show();
    plat_input_cursor_show(0);
    return app_loop_run();
}

void app_end(int)
{
    plat_shutdown();
    app_trace_close();
}

int app_main(int argc, char **argv)
{
    app.argc = argc;
    app.argv = argv;
    int status = parse(argc, argv);
    if (status >= 0) return status;
    std::string command_line;
    for (int i = 1; i < argc; i++) {
        if (i > 1) command_line += ' ';
        command_line += argv[i];
    }
    Config_Data_Folder_Enter(string_resource(101));
    plat_app_id_set(VM_APP_ID);
    if (!plat_init(app.headless)) return 1;
    int code = WinMain(nullptr, nullptr, command_line.c_str(), 1);
    app_end(code);
    return code;
}
