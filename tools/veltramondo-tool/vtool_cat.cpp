// veltramondo-tool cat: writes one file to stdout, opened by name exactly as the game opens it
// (the pack first, any case of the name, then the disk).
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_io/kx_io.h"

#include <cstdio>

namespace {

int cat_run(const std::vector<std::string> &args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: veltramondo-tool cat PACK NAME\n");
        return 2;
    }
    if (!vtool_engine_start(args[0].c_str())) return 1;
    int rc = 0;
    KX_IO *f = kx_io_fopen(args[1].c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "veltramondo-tool: %s: not found\n", args[1].c_str());
        rc = 1;
    } else {
        static char buffer[65536];
        size_t got;
        while ((got = kx_io_fread(buffer, 1, sizeof buffer, f)) > 0) {
            if (std::fwrite(buffer, 1, got, stdout) != got) {
                std::fprintf(stderr, "veltramondo-tool: cannot write to stdout\n");
                rc = 1;
                break;
            }
        }
        kx_io_fclose(f);
    }
    std::fflush(stdout);
    vtool_engine_stop();
    return rc;
}

} // namespace

VTOOL_COMMAND("cat", "cat PACK NAME: writes the file NAME to stdout as the game reads it", cat_run);
