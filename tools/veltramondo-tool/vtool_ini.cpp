// veltramondo-tool ini: reads or writes one key of a string file through the engine's own
// reader and writer, so modders see exactly what the game sees.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_io/kx_io.h"

#include <algorithm>
#include <cstdio>

namespace {

// The file exactly as named: game form, and never looked up in the per-user folders.
std::string game_name(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    if (path.find('\\') == std::string::npos) path = ".\\" + path;
    return path;
}

int ini_run(const std::vector<std::string> &args)
{
    bool get = args.size() == 4 && args[0] == "get";
    bool set = args.size() == 5 && args[0] == "set";
    if (!get && !set) {
        std::fprintf(stderr, "usage: veltramondo-tool ini get FILE SECTION KEY\n"
                             "       veltramondo-tool ini set FILE SECTION KEY VALUE\n");
        return 2;
    }
    std::string file = game_name(args[1]);
    const char *section = args[2].c_str(), *key = args[3].c_str();
    if (!vtool_engine_start(nullptr)) return 1;
    int rc = 0;
    if (get) {
        char value[1024];
        kx_io_ini_get_string(section, key, value, sizeof value - 1, file.c_str());
        if (kx_io_ini_failed(1)) {
            std::fprintf(stderr, "veltramondo-tool: %s: [%s] %s: %s\n", args[1].c_str(), section, key,
                         kx_io_error_text(kx_io_error_get()));
            rc = 1;
        } else {
            std::printf("%s\n", value);
        }
    } else if (!kx_io_ini_set_string(section, key, args[4].c_str(), file.c_str())) {
        std::fprintf(stderr, "veltramondo-tool: %s: cannot write\n", args[1].c_str());
        rc = 1;
    }
    vtool_engine_stop();
    return rc;
}

} // namespace

VTOOL_COMMAND("ini", "ini get FILE SECTION KEY | ini set FILE SECTION KEY VALUE: reads or writes a string-file key",
              ini_run);
