// plat_files_keep in the page: the per-user folders live in the browser's IndexedDB (mounted by
// the page before the game starts); every durable write is saved there at once, in the
// background. Writes that follow before the save ends are saved by the next one.
#include "platform/plat_files_local.h"

#include <emscripten/emscripten.h>

void plat_files_folder_keep(const std::string &)
{
    EM_ASM({
        if (Module.veltramondoSave) Module.veltramondoSave();
    });
}
