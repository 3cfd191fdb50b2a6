// Fuzz target: any bytes as a language file. A list, when there is one, has a count that its
// entry keys can name, a current entry inside it, and names that fit their buffers.
#include "fuzz_texts_common.h"

#include "app/app_language.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_texts_start();
    fuzz_texts_write(data, size);
    KX_LANG_LIST *list = kx_lang_load(fuzz_texts_file);
    if (list) {
        require(list->count >= 1 && list->count <= KX_LANG_MAX);
        require(list->current >= 0 && list->current < list->count);
        for (int i = 0; i < list->count; i++) {
            const KX_LANG *l = list->languages[i];
            if (!l) continue;
            require(std::strlen(l->name) <= KX_LANG_TEXT && std::strlen(l->abbreviation) <= KX_LANG_TEXT);
            require(std::strlen(l->fullscreen) <= KX_LANG_TEXT && std::strlen(l->window) <= KX_LANG_TEXT);
        }
        kx_lang_free(list);
    }
    require(kx_io_open_count() == 0);
    return 0;
}
