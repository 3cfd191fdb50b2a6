// Fuzz target: any bytes as a high-score file. The reader never reads past the data and leaves
// a table the game can draw and edit: every name a string of at most three characters, and every
// entry either from one whole record or at its defaults.
#include "game/game_local.h"
#include "game/game_hiscore.h"

#include <cstdlib>
#include <cstring>

namespace {

void require(bool ok)
{
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!Hiscore_Defaults()) return 0;
    Hiscore_Read(data, size);
    for (int i = 0; i < HISCORE_ENTRIES; i++) {
        require(hiscore.name[i] != nullptr);
        size_t length = strnlen(hiscore.name[i], HISCORE_NAME_SIZE);
        require(length <= 3);
        bool whole = size >= size_t(i + 1) * HISCORE_RECORD_SIZE;
        if (!whole) require(hiscore.score[i] == HISCORE_DEFAULT_SCORE && std::strcmp(hiscore.name[i], "AAA") == 0);
    }
    uint8_t out[HISCORE_FILE_SIZE];
    Hiscore_Write(out);
    for (int i = 0; i < HISCORE_ENTRIES; i++) require(out[i * HISCORE_RECORD_SIZE + 7] == 0);
    Hiscore_Free();
    return 0;
}
