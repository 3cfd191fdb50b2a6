// veltramondo-tool levels render: draws one level of a levels file as the game shows it when the
// level starts (its bricks, floor, border and background in the brick world, from the game's
// camera, the paddle and the ball waiting on it), offscreen, into a PNG picture.
#include "tools/veltramondo-tool/vtool.h"

#include "game/game.h"
#include "game/game_levels.h"
#include "game/game_play.h"
#include "game/game_progress.h"
#include "gen/gen_wrap.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_files.h"
#include "world/world_render.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

constexpr int RENDER_WIDTH = 640, RENDER_HEIGHT = 480;

std::string render_message;
int render_line;

void render_capture(int line, const char *message)
{
    render_message = message;
    render_line = line;
}

void png_put32(std::vector<unsigned char> &out, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<unsigned char>(v >> s));
}

void png_chunk(std::vector<unsigned char> &out, const char *type, const std::vector<unsigned char> &data)
{
    png_put32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    png_put32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// An 8-bit RGB PNG of top-down rows; false with a message when it cannot be written.
bool png_write(const std::string &path, int w, int h, const std::vector<unsigned char> &rgb)
{
    std::vector<unsigned char> raw;
    for (int y = 0; y < h; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + size_t(y) * w * 3, rgb.begin() + size_t(y + 1) * w * 3);
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> z(size), header, png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (compress2(z.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return false;
    z.resize(size);
    png_put32(header, static_cast<uint32_t>(w));
    png_put32(header, static_cast<uint32_t>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    png_chunk(png, "IHDR", header);
    png_chunk(png, "IDAT", z);
    png_chunk(png, "IEND", {});
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out.flush());
}

// The folder of the data pack: the one --pack names, the current folder when it holds
// "resource.dat", else the game's data folder. Empty when there is none.
std::string pack_folder(const std::string &pack)
{
    if (!pack.empty()) return fs::absolute(pack).parent_path().string();
    if (plat_files_exists("resource.dat")) return fs::current_path().string();
    char folder[KX_IO_PATH_MAX];
    return plat_files_data_folder_find("resource.dat", folder, sizeof folder) ? folder : "";
}

// Builds level `n` of the set in the brick world and draws it; the picture's rows, top first.
bool render_level(const LEVEL_SET *set, int n, std::vector<unsigned char> &rgb)
{
    if (!Game_Tables_Init(RENDER_WIDTH - 1, RENDER_HEIGHT - 1) || !Levels_Use(set, render_capture)) return false;
    game.lives = 3;
    Level_Preview(n, RENDER_WIDTH - 1, RENDER_HEIGHT - 1);
    Game_Render();
    rgb.resize(size_t(RENDER_WIDTH) * RENDER_HEIGHT * 3);
    return world_render_read(0, 0, RENDER_WIDTH, RENDER_HEIGHT, rgb.data()) == 1;
}

} // namespace

int vtool_levels_render(const std::vector<std::string> &args)
{
    std::string pack;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] == "--pack" && i + 1 < args.size())
            pack = args[++i];
        else
            rest.push_back(args[i]);
    }
    char *end = nullptr;
    long n = rest.size() == 3 ? std::strtol(rest[1].c_str(), &end, 10) : 0;
    if (rest.size() != 3 || *end || n < 1) {
        std::fprintf(stderr, "usage: veltramondo-tool levels render FILE LEVEL OUT.png [--pack FILE]\n");
        return 2;
    }
    const std::string file_name = rest[0], out = fs::absolute(rest[2]).string();
    std::ifstream in(file_name, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), {}};
    if (!in) {
        std::fprintf(stderr, "veltramondo-tool: levels render: cannot read %s\n", file_name.c_str());
        return 1;
    }
    const std::string folder = pack_folder(pack);
    if (folder.empty() || plat_files_chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "veltramondo-tool: levels render: no data pack; name it with --pack FILE\n");
        return 1;
    }
    if (!vtool_engine_start(pack.empty() ? "resource.dat" : fs::path(pack).filename().c_str())) return 1;
    static LEVEL_SET set;
    int status = 1;
    void *copy = kx_mem_malloc(text.size() + 1);
    KX_IO *file = copy ? kx_io_mem_open(file_name.c_str(), std::memcpy(copy, text.data(), text.size()), static_cast<uint32_t>(text.size())) : nullptr;
    render_message.clear();
    int read = file && Level_Set_Read(&set, file, render_capture);
    if (file) kx_io_fclose(file);
    std::vector<unsigned char> rgb;
    if (!read) {
        std::fprintf(stderr, "%s:%d: Error: %s\n", file_name.c_str(), render_line, render_message.c_str());
    } else if (n > set.count) {
        std::fprintf(stderr, "veltramondo-tool: levels render: %s has %d levels\n", file_name.c_str(), set.count);
    } else if (!gen_wrap_headless_start(RENDER_WIDTH, RENDER_HEIGHT, 0)) {
        std::fprintf(stderr, "veltramondo-tool: levels render: no OpenGL context\n");
    } else {
        gen_wrap_install();
        if (!render_level(&set, static_cast<int>(n), rgb))
            std::fprintf(stderr, "veltramondo-tool: levels render: the level could not be drawn%s%s\n",
                         render_message.empty() ? "" : ": ", render_message.c_str());
        else if (!png_write(out, RENDER_WIDTH, RENDER_HEIGHT, rgb))
            std::fprintf(stderr, "veltramondo-tool: levels render: cannot write %s\n", out.c_str());
        else
            status = 0;
        Game_Cleanup();
        gen_wrap_headless_stop();
    }
    Level_Set_Free(&set);
    vtool_engine_stop();
    return status;
}
