// veltramondo-tool world: loads a world definition and its map exactly as the game does (with
// an offscreen OpenGL context for the textures) and prints what it holds, or the fatal message
// the game would show.
#include "tools/veltramondo-tool/vtool.h"

#include "gen/gen_wrap.h"
#include "platform/plat_core.h"
#include "platform/plat_files.h"
#include "world/world.h"

#include <cstdio>
#include <string>

namespace {

std::string world_message;
std::vector<std::string> world_warnings;

void world_capture(const char *message)
{
    if (world_message.empty()) world_message = message;
}

int alert_capture(const char *text, const char *title, unsigned)
{
    world_warnings.push_back(std::string(text ? text : "") + (title && *title ? std::string(" (") + title + ")" : ""));
    return 1;
}

void world_print(const char *def_name, const char *map_name)
{
    int tiles = 0, sprites = 0;
    for (int i = 0; i < WORLD_TILES; i++) tiles += world_tiles[i].defined;
    for (int i = 0; i < WORLD_SPRITES; i++) sprites += world_sprites[i].defined;
    std::printf("%s%s%s: %d x %d cells of %d units\n", def_name, map_name ? " + " : "", map_name ? map_name : "",
                world_param.width, world_param.depth, world_param.cell);
    std::printf("tiles %d, sprites %d, bitmaps %d, sprite bitmaps %d, animations %d, moving cells %d, "
                "animated objects %d, objects %d\n",
                tiles, sprites, world_count.bitmaps, world_count.sprite_bitmaps, world_count.animations,
                world_count.mov_cells, world_count.ani_objects, world_max_object);
}

int world_run(const std::vector<std::string> &args)
{
    std::vector<std::string> rest;
    std::string pack;
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] == "--pack" && i + 1 < args.size())
            pack = args[++i];
        else
            rest.push_back(args[i]);
    }
    if (rest.size() < 2 || rest.size() > 3 || rest[0] != "check") {
        std::fprintf(stderr, "usage: veltramondo-tool world check [--pack FILE] DEF [MAP]\n");
        return 2;
    }
    // Like the game in its data folder: the pack beside it first, then the disk.
    if (pack.empty() && plat_files_exists("resource.dat")) pack = "resource.dat";
    if (!vtool_engine_start(pack.empty() ? nullptr : pack.c_str())) return 1;
    plat_alert_capture(alert_capture);
    if (!gen_wrap_headless_start(320, 200, 0))
        std::fprintf(stderr, "veltramondo-tool: no OpenGL context; files are checked without textures\n");
    const char *def_name = rest[1].c_str();
    const char *map_name = rest.size() == 3 ? rest[2].c_str() : nullptr;
    world_message.clear();
    world_error_hook_set(world_capture);
    uint8_t result = Load_Level(def_name, map_name, 1);
    std::fflush(stdout);
    for (const std::string &w : world_warnings) std::fprintf(stderr, "%s: warning: %s\n", def_name, w.c_str());
    if (result == WORLD_LOADED) {
        world_print(def_name, map_name);
        vtool_line_ends_check(def_name);
    } else if (result == WORLD_NO_FILE)
        std::fprintf(stderr, "%s: cannot open the definition file\n", def_name);
    else
        std::fprintf(stderr, "%s: Error: %s\n", def_name, world_message.c_str());
    free_level();
    world_error_hook_set(nullptr);
    gen_wrap_headless_stop();
    plat_alert_capture(nullptr);
    vtool_engine_stop();
    return result == WORLD_LOADED ? 0 : 1;
}

} // namespace

VTOOL_COMMAND("world", "world check [--pack FILE] DEF [MAP]: loads a world as the game does and prints its counts or its error",
              world_run);
