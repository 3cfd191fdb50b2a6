// The kept game: its file's bytes, writing it when the program closes during a game, offering
// and resuming it, and removing it once a new game begins or the continued one ends.
#include "game/game_kept.h"

#include "game/game_local.h"
#include "game/game_difficulty.h"
#include "game/game_levels.h"
#include "game/game_progress.h"
#include "kx/kx_io/kx_io.h"

#include <cstdio>
#include <cstring>

KEPT kept;

namespace {

constexpr const char *KEPT_FILE = "kept.dat";
constexpr char KEPT_MAGIC[4] = {'V', 'M', 'K', 'G'};

uint32_t get32(const uint8_t *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void put32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The kept game lives in the player's own folder only: a file of that name beside the program or
// in the folder it starts from belongs to nobody's game.
const char *kept_path()
{
    static char path[KX_IO_PATH_MAX];
    if (!kx_io_private_path_get(KEPT_FILE, path)) std::snprintf(path, sizeof path, "%s", KEPT_FILE);
    return path;
}

uint32_t check_word(const uint8_t *data, size_t size)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; i++) h = (h ^ data[i]) * 16777619u;
    return h;
}

} // namespace

size_t Kept_Encode(const KEPT_GAME *k, uint8_t *out)
{
    const size_t n = std::strlen(k->set);
    if (n > SETS_NAME_MAX || (n && Sets_Name_Check(k->set))) return 0;
    std::memcpy(out, KEPT_MAGIC, 4);
    const int32_t words[] = {static_cast<int32_t>(KEPT_VERSION), k->difficulty, k->level, k->cycle, k->score, k->lives,
                             static_cast<int32_t>(n)};
    uint8_t *p = out + 4;
    for (int32_t w : words) put32(p, static_cast<uint32_t>(w)), p += 4;
    std::memcpy(p, k->set, n);
    p += n;
    put32(p, check_word(out, static_cast<size_t>(p - out)));
    return static_cast<size_t>(p - out) + 4;
}

int Kept_Decode(const uint8_t *data, size_t size, KEPT_GAME *k)
{
    if (!data || size < KEPT_FIXED_BYTES || size > KEPT_FILE_MAX || std::memcmp(data, KEPT_MAGIC, 4)) return 0;
    const uint32_t n = get32(data + 28);
    if (n > SETS_NAME_MAX || size != KEPT_FIXED_BYTES + n) return 0;
    if (get32(data + size - 4) != check_word(data, size - 4) || get32(data + 4) != KEPT_VERSION) return 0;
    KEPT_GAME got{};
    got.difficulty = static_cast<int32_t>(get32(data + 8));
    got.level = static_cast<int32_t>(get32(data + 12));
    got.cycle = static_cast<int32_t>(get32(data + 16));
    got.score = static_cast<int32_t>(get32(data + 20));
    got.lives = static_cast<int32_t>(get32(data + 24));
    std::memcpy(got.set, data + 32, n);
    got.set[n] = 0;
    if (got.difficulty < 0 || got.difficulty >= DIFFICULTY_COUNT || got.level < 1 || got.level >= LEVELS_MAX ||
        got.cycle < 0 || got.score < 0 || got.lives < 1 || got.lives > KEPT_LIVES_MAX ||
        std::strlen(got.set) != n || (n && Sets_Name_Check(got.set)))
        return 0;
    *k = got;
    return 1;
}

void Kept_Find()
{
    kept.present = kx_io_exists(kept_path(), KX_IO_WHERE_DISK);
}

void Kept_Game_Begin(int playing)
{
    kept.playing = playing;
    kept.continued = 0;
}

void Kept_Level_Start()
{
    if (!kept.playing || game_flags.attract_mode) return;
    std::snprintf(kept.start.set, sizeof kept.start.set, "%s", sets.current);
    kept.start.difficulty = difficulty.current;
    kept.start.level = game.level;
    kept.start.cycle = game.cycle;
    kept.start.score = game.score;
    kept.start.lives = game.lives;
}

void Kept_Game_End()
{
    if (!kept.playing) return;
    kept.playing = 0;
    Kept_Remove();
}

int Kept_Close()
{
    if (!kept.playing || game_flags.attract_mode || game.lives < 1 || game_flags.game_over_timer > 0.0f || game_flags.name_entry) return 0;
    uint8_t bytes[KEPT_FILE_MAX];
    const size_t n = Kept_Encode(&kept.start, bytes);
    return n && kx_io_save(kept_path(), bytes, static_cast<uint32_t>(n));
}

void Kept_Remove()
{
    if (kx_io_exists(kept_path(), KX_IO_WHERE_DISK)) kx_io_remove(kept_path());
    kept.present = 0;
}

int Kept_Continue()
{
    if (!kx_io_exists(kept_path(), KX_IO_WHERE_DISK)) {
        kept.present = 0;
        return KEPT_MISSING;
    }
    // One byte more than the longest file: a longer one reads as damaged.
    uint8_t data[KEPT_FILE_MAX + 1];
    size_t size = 0;
    if (KX_IO *f = kx_io_fopen(kept_path(), "rb")) {
        size = kx_io_fread(data, 1, sizeof data, f);
        kx_io_fclose(f);
    }
    KEPT_GAME k;
    const int ok = Kept_Decode(data, size, &k);
    if (ok && !Sets_Use(k.set)) return KEPT_SET_REFUSED;
    if (!ok || k.level > game_levels.count) {
        std::fprintf(stderr, "veltramondo: the kept game could not be read and was removed\n");
        Kept_Remove();
        return KEPT_DAMAGED;
    }
    std::snprintf(sets.chosen, sizeof sets.chosen, "%s", k.set);
    difficulty.current = k.difficulty;
    Game_Begin(k.level, k.cycle, k.score, k.lives, 1);
    kept.continued = 1;
    return KEPT_RESUMED;
}
