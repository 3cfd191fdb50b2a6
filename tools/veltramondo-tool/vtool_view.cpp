// veltramondo-tool view: a world viewer for level authors. Loads a definition file (and its map),
// draws it as the game does and lets the camera fly over it: arrow keys move across, PgUp and
// PgDn up and down, E toggles the editor marks, Esc closes. World animations run at the game's
// step rate. With --snapshot it renders offscreen, writes the picture after N frames and exits.
// Files come through the game's file layer: the data pack named by --pack, or "resource.dat" in
// the current folder, first, then the disk.
#include "tools/veltramondo-tool/vtool.h"

#include "gen/gen_wrap.h"
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_io/kx_io.h"
#include "platform/plat_core.h"
#include "platform/plat_files.h"
#include "world/world.h"
#include "world/world_render.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double STEP_TIME = 0.3 * 3.0;   // world time of one 10 ms game step
constexpr uint32_t TICK_MS = 10;
constexpr double CAMERA_STEP = 2.0;    // world units per key press
// Scan codes of PgUp and PgDn as the key messages carry them (bits 16 and up).
constexpr intptr_t SCAN_PAGE_UP = 75, SCAN_PAGE_DOWN = 78;

struct VIEW_ARGS {
    std::string def, map;
    bool camera_set = false;
    double cam_x = 0, cam_y = 0, cam_z = 0;
    int width = 640, height = 480;
    int pitch = 0;                         // horizon shift in percent of the height
    std::string pack;
    std::string snapshot;
    int frames = 1;
};

bool parse_args(const std::vector<std::string> &args, VIEW_ARGS &a)
{
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &s = args[i];
        bool has_value = i + 1 < args.size();
        if (s == "--camera" && has_value) {
            if (std::sscanf(args[++i].c_str(), "%lf,%lf,%lf", &a.cam_x, &a.cam_y, &a.cam_z) != 3) return false;
            a.camera_set = true;
        } else if (s == "--size" && has_value) {
            if (std::sscanf(args[++i].c_str(), "%dx%d", &a.width, &a.height) != 2) return false;
            if (a.width < 16 || a.height < 16 || a.width > 4096 || a.height > 4096) return false;
        } else if (s == "--pitch" && has_value) {
            if (std::sscanf(args[++i].c_str(), "%d", &a.pitch) != 1 || a.pitch < -100 || a.pitch > 100) return false;
        } else if (s == "--pack" && has_value) {
            a.pack = args[++i];
        } else if (s == "--snapshot" && has_value) {
            a.snapshot = args[++i];
        } else if (s == "--frames" && has_value) {
            a.frames = std::atoi(args[++i].c_str());
            if (a.frames < 1) return false;
        } else if (!s.empty() && s[0] == '-') {
            return false;
        } else {
            files.push_back(s);
        }
    }
    if (files.empty() || files.size() > 2) return false;
    a.def = files[0];
    if (files.size() == 2) a.map = files[1];
    return true;
}

// The map beside the definition file (same base name), when there is one.
std::string map_beside(const std::string &def)
{
    size_t dot = def.find_last_of('.');
    std::string map = (dot == std::string::npos ? def : def.substr(0, dot)) + ".map";
    return kx_io_exists(map.c_str(), KX_IO_WHERE_KX) ? map : std::string();
}

// Without --camera the view looks over the cells that hold tiles, from five rows behind their
// nearest row, at the game's camera height.
void camera_default(VIEW_ARGS &a)
{
    int c = world_param.cell, first_col = world_param.width, last_col = -1, last_row = -1;
    for (int z = 0; z < world_param.depth; z++)
        for (int x = 0; x < world_param.width; x++) {
            const WORLD_CELL *cell = world_cell_at(z, x);
            if (!cell || !cell->tile) continue;
            first_col = std::min(first_col, x);
            last_col = std::max(last_col, x);
            last_row = z;
        }
    if (last_col < 0) first_col = 0, last_col = world_param.width - 1, last_row = world_param.depth / 4;
    a.cam_x = (first_col + last_col + 1) * c / 2.0;
    a.cam_y = 38.0;
    a.cam_z = (last_row + 6) * c;
}

void world_step()
{
    update_animated_bitmaps(STEP_TIME);
    update_moving_cells(STEP_TIME);
    update_animated_objects(STEP_TIME);
}

void frame_draw(const VIEW_ARGS &a, bool editor)
{
    gen_wrap_screen_clear();
    draw_background();
    render_world(a.cam_x, a.cam_y, a.cam_z, editor ? 1 : 0);
}

int write_snapshot(const VIEW_ARGS &a)
{
    KX_BITMAP picture{};
    KX_RECT size{0, 0, static_cast<int16_t>(a.width), static_cast<int16_t>(a.height)};
    if (!kx_bit_alloc(&picture, &size, KX_BIT_BPP24)) return 0;
    int ok = world_render_read(0, 0, a.width, a.height, picture.pixels) && kx_bit_save(&picture, a.snapshot.c_str(), nullptr, 0);
    kx_bit_free(&picture);
    return ok;
}

// Runs the window until it closes. Returns the exit status.
int interactive(VIEW_ARGS &a)
{
    bool editor = false, running = true;
    uint32_t last = plat_ticks_ms();
    plat_window_show(1);
    while (running) {
        PLAT_MSG msg;
        while (plat_message_peek(&msg, 1)) {
            if (msg.message == PLAT_WM_CLOSE || msg.message == PLAT_WM_QUIT || msg.message == PLAT_WM_DESTROY) running = false;
            if (msg.message != PLAT_WM_KEYDOWN) continue;
            intptr_t scan = msg.lparam >> 16;
            switch (msg.wparam) {
            case PLAT_VK_LEFT: a.cam_x -= CAMERA_STEP; break;
            case PLAT_VK_RIGHT: a.cam_x += CAMERA_STEP; break;
            case PLAT_VK_UP: a.cam_z -= CAMERA_STEP; break;
            case PLAT_VK_DOWN: a.cam_z += CAMERA_STEP; break;
            case 'E': editor = !editor; break;
            case PLAT_VK_ESCAPE: running = false; break;
            default:
                if (scan == SCAN_PAGE_UP) a.cam_y += CAMERA_STEP;
                if (scan == SCAN_PAGE_DOWN) a.cam_y -= CAMERA_STEP;
                break;
            }
        }
        uint32_t now = plat_ticks_ms();
        // At most 21 steps at once, as the game's frame loop does after a pause.
        for (int n = 0; now - last >= TICK_MS && n < 21; n++, last += TICK_MS) world_step();
        if (now - last >= TICK_MS) last = now;
        frame_draw(a, editor);
        gen_wrap_display_update();
        plat_sleep_ms(5);
    }
    return 0;
}

int view_run(const std::vector<std::string> &args)
{
    VIEW_ARGS a;
    if (!parse_args(args, a)) {
        std::fprintf(stderr, "usage: veltramondo-tool view [--pack FILE] DEF [MAP] [--camera X,Y,Z] [--pitch PERCENT] "
                             "[--size WxH] [--snapshot FILE.tga] [--frames N]\n");
        return 2;
    }
    bool headless = !a.snapshot.empty();
    // Like the game in its data folder: the pack beside it first, then the disk.
    if (a.pack.empty() && plat_files_exists("resource.dat")) a.pack = "resource.dat";
    if (!vtool_engine_start(a.pack.empty() ? nullptr : a.pack.c_str())) return 1;
    int status = 1;
    bool window = headless ? gen_wrap_headless_start(a.width, a.height, 0)
                           : (plat_init(0) && plat_window_create("veltramondo-tool view", a.width, a.height, 0, nullptr) &&
                              gen_wrap_headless_start(a.width, a.height, 0));
    if (!window) {
        std::fprintf(stderr, "veltramondo-tool: view: no OpenGL window\n");
    } else {
        gen_wrap_install();
        if (a.map.empty()) a.map = map_beside(a.def);
        uint8_t loaded = Load_Level(a.def.c_str(), a.map.empty() ? nullptr : a.map.c_str(), 1);
        if (loaded == WORLD_NO_FILE) {
            std::fprintf(stderr, "veltramondo-tool: view: cannot open %s\n", a.def.c_str());
        } else if (loaded != WORLD_LOADED) {
            std::fprintf(stderr, "veltramondo-tool: view: %s: %s\n", a.def.c_str(), world_error_message());
        } else {
            set_world_viewport(a.height - 1, a.width - 1);
            init_3d_engine();
            world_view.depth = 17;
            world_view.falloff_start = 50;
            world_view.cell_shading = world_view.object_shading = 1;
            world_view.horizon_shift = a.pitch;
            if (kx_io_exists("data\\font.dat", KX_IO_WHERE_KX)) load_editor_font("data\\font.dat");
            if (!a.camera_set) camera_default(a);
            if (headless) {
                for (int f = 0; f < a.frames; f++) {
                    world_step();
                    frame_draw(a, false);
                    if (f + 1 < a.frames) gen_wrap_display_update();
                }
                status = write_snapshot(a) ? 0 : 1;
                if (status) std::fprintf(stderr, "veltramondo-tool: view: cannot write %s\n", a.snapshot.c_str());
            } else {
                status = interactive(a);
            }
            free_editor_font();
            deinit_3d_engine();
            free_level();
        }
    }
    gen_wrap_headless_stop();
    plat_shutdown();
    vtool_engine_stop();
    return status;
}

} // namespace

VTOOL_COMMAND("view", "view [--pack FILE] DEF [MAP] [--camera X,Y,Z] [--pitch PERCENT] [--size WxH] "
                      "[--snapshot FILE.tga] [--frames N]: show a world as the game draws it (the game looks "
                      "with --pitch -40), or render it headless into a picture",
              view_run);
