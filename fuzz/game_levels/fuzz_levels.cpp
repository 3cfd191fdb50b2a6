// Fuzz target: any bytes as a levels file. A load either fails with a message or leaves a level
// table the game can trust: a count in range, every row 14 characters, every setting in range.
// A set read from the same bytes is written, and the writing reads back and writes again unchanged.
#include "game/game_levels.h"

#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

int fuzz_failed;
LEVEL_SET fuzz_set;

void fuzz_fail(int, const char *message)
{
    if (!message || !message[0]) std::abort();
    fuzz_failed = 1;
}

void require(bool ok)
{
    if (!ok) std::abort();
}

// Writes the set and reads the bytes back into it; the bytes, which the caller frees.
char *fuzz_write_read(uint32_t *size)
{
    char *bytes = Level_Set_Write(&fuzz_set, size, fuzz_fail);
    require(bytes != nullptr);
    void *copy = kx_mem_malloc(*size + 1);
    require(copy != nullptr);
    std::memcpy(copy, bytes, *size);
    KX_IO *file = kx_io_mem_open("written", copy, *size);
    require(file && Level_Set_Read(&fuzz_set, file, fuzz_fail));
    kx_io_fclose(file);
    return bytes;
}

// A fresh read-only handle over the input (null when memory runs out).
KX_IO *fuzz_open(const uint8_t *data, size_t size)
{
    void *copy = kx_mem_malloc(size + 1);
    if (!copy) return nullptr;
    if (size) std::memcpy(copy, data, size);
    return kx_io_mem_open("levels", copy, static_cast<uint32_t>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    KX_IO *file = fuzz_open(data, size);
    if (!file) return 0;
    fuzz_failed = 0;
    int ok = Levels_Read(file, fuzz_fail);
    kx_io_fclose(file);
    require(ok == !fuzz_failed);
    if (ok) {
        require(game_levels.count >= 1 && game_levels.count < LEVELS_MAX);
        for (int n = 0; n < LEVELS_MAX; n++) {
            for (int r = 0; r < LEVEL_ROWS; r++) require(std::strlen(game_levels.level[n].rows[r]) == LEVEL_ROW_LENGTH);
            require(game_levels.level[n].floor_type >= 1 && game_levels.level[n].floor_type <= 4);
            require(game_levels.level[n].border_type >= 1 && game_levels.level[n].border_type <= 4);
            require(game_levels.level[n].background_type >= 1 && game_levels.level[n].background_type <= 8);
            require(game_levels.level[n].enemy_type >= 1 && game_levels.level[n].enemy_type <= 4);
            require(game_levels.level[n].enemy_frequency >= 1);
            require(game_levels.level[n].speed_increase >= 0 && game_levels.level[n].enemy_speed >= 0);
            require(game_levels.level[n].bonus_percentage >= 0 && game_levels.level[n].bonus_percentage <= 100);
            require(game_levels.level[n].enemy_max >= 0 && game_levels.level[n].enemy_max <= 50);
        }
    }
    Levels_Free();

    file = fuzz_open(data, size);
    if (!file) return 0;
    int read = Level_Set_Read(&fuzz_set, file, fuzz_fail);
    kx_io_fclose(file);
    require(read == ok);
    if (read) {
        uint32_t once_size = 0, twice_size = 0;
        char *once = fuzz_write_read(&once_size);
        char *twice = fuzz_write_read(&twice_size);
        require(once_size == twice_size && std::memcmp(once, twice, once_size) == 0);
        kx_mem_free(once);
        kx_mem_free(twice);
    }
    Level_Set_Free(&fuzz_set);

    // As a player's set: accepted only where the game's own reading accepts too, with a level at
    // least and only bricks in its rows; what the writer then makes of it reads back the same way
    // (the editor saves what the game must play).
    file = fuzz_open(data, size);
    if (!file) return 0;
    int user = Level_Set_Read_User(&fuzz_set, file, fuzz_fail);
    kx_io_fclose(file);
    require(!user || ok);
    if (user) {
        require(fuzz_set.count >= 1);
        for (int n = 1; n <= fuzz_set.count; n++)
            for (const auto &row : fuzz_set.level[n].rows)
                for (int c = 0; c < LEVEL_ROW_LENGTH; c++) require(row[c] == ' ' || row[c] == '.' || std::isalnum(static_cast<unsigned char>(row[c])));
        uint32_t written = 0;
        char *bytes = Level_Set_Write(&fuzz_set, &written, fuzz_fail);
        require(bytes != nullptr);
        KX_IO *back = kx_io_mem_open("written", bytes, written);
        require(back && Level_Set_Read_User(&fuzz_set, back, fuzz_fail));
        kx_io_fclose(back);
    }
    Level_Set_Free(&fuzz_set);
    return 0;
}
