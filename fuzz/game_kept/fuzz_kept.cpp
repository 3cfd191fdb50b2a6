// Fuzz target: any bytes as a kept game. The reader never reads past the data, and what it takes
// is a game the program can resume and write back to the same bytes.
#include "game/game_difficulty.h"
#include "game/game_kept.h"

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
    KEPT_GAME k;
    if (!Kept_Decode(data, size, &k)) return 0;
    require(k.difficulty >= 0 && k.difficulty < DIFFICULTY_COUNT && k.level >= 1 && k.lives >= 1 && k.score >= 0);
    require(std::strlen(k.set) <= SETS_NAME_MAX);
    uint8_t out[KEPT_FILE_MAX];
    require(Kept_Encode(&k, out) == size && !std::memcmp(out, data, size));
    return 0;
}
