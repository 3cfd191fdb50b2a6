// plat_files_keep in the page: the per-user folders live in the browser's IndexedDB (mounted by
// the page before the game starts); every durable write is saved there at once, in the
// background, and a snapshot is offered to the player as a download as well (the page's script
// does both: Module.veltramondoKept).
#include "platform/plat_files_local.h"

#include <emscripten/emscripten.h>

namespace {

EM_JS(void, kept_in_page, (const char *path), {
    if (Module.veltramondoKept) Module.veltramondoKept(UTF8ToString(path));
});

} // namespace

void plat_files_kept(const std::string &path)
{
    kept_in_page(path.c_str());
}
