// Recorded demos and the attract sequence: Demo_Init takes the next entry of the demo list (then
// the player's own recordings, newest first) and starts it: a demo replayed through the game
// step from the tape, or a scenery world shown for its ticks. Demo_Save writes a recording; the
// credits scroll runs over the replayed demos.
#include "game/game_demo.h"

#include "game/game_local.h"
#include "game/game_alloc.h"
#include "game/game_demo_file.h"
#include "game/game_difficulty.h"
#include "game/game_error.h"
#include "game/game_levels.h"
#include "game/game_music.h"
#include "game/game_play.h"
#include "game/game_random.h"
#include "game/game_sets.h"
#include "game/game_text.h"
#include "kx/kx_io/kx_io.h"
#include "world/world.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

DEMO_RECORD demo = {0, 1, 0, 0, DEMO_CREDITS_START, {}, 0, 0, 0.0f};
const char *demo_list_name = "data\\demos.txt";

namespace {

constexpr int PATH_SIZE = KX_IO_PATH_MAX;

// The entry Demo_Init starts, and whether it is one of the player's recordings.
struct DEMO_NEXT {
    DEMO_ENTRY entry;
    int recording;
};

// A player's recording that does not read is passed over quietly: the attract sequence must not
// stop on a file the player left behind.
void demo_quiet(int, const char *) {}

// Takes the entry at the list position, or past the list the player's recordings, and moves the
// position on. 0 after a fatal error.
int demo_next(DEMO_NEXT *next)
{
    KX_IO *file = kx_io_fopen(demo_list_name, "rb");
    if (!file) {
        Game_Error("Cant open demo file");
        return 0;
    }
    DEMO_LIST list;
    int ok = Demo_List_Read(file, demo.position, &list, nullptr);
    kx_io_fclose(file);
    if (!ok) return 0;
    next->recording = 0;
    if (!list.wrapped) {
        next->entry = list.entry;
        demo.position++;
        return 1;
    }
    const int k = demo.position - list.count;
    if (k == 0) demo.recording_count = Demo_Recordings_Find(demo.recordings, DEMO_RECORDINGS_MAX);
    if (k >= 0 && k < demo.recording_count) {
        next->entry.kind = DEMO_ENTRY_REPLAY;
        next->entry.show_time = 0;
        Demo_Recording_Path(demo.recordings[k], next->entry.name, sizeof next->entry.name);
        next->recording = 1;
        demo.position++;
        return 1;
    }
    next->entry = list.entry;
    demo.position = 1;
    return 1;
}

// Reads a demo file onto the tape. 1 when the tape holds it; 0 when a recording of the player's
// does not read (passed over), or after a fatal error.
int demo_load(const DEMO_NEXT *next)
{
    KX_IO *file = kx_io_fopen(next->entry.name, "rb");
    if (!file) {
        if (!next->recording) Game_Error("Cant open demo file");
        return 0;
    }
    DEMO_HEAD head;
    const int ok = Demo_File_Read(file, next->entry.name, LEVELS_MAX, &head, tape.movement, tape.rand,
                                  next->recording ? demo_quiet : nullptr);
    kx_io_fclose(file);
    if (!ok) return 0;
    game.level = head.level;
    difficulty.current = head.difficulty;
    tape.steps = head.steps;
    tape.rands = head.randoms;
    return 1;
}

// A scenery world leaves none of the game's objects in sight.
void demo_park_pools()
{
    for (int16_t n : {pools.paddle, pools.shadow, pools.follower})
        Game_Object_Park(n);
    for (int16_t n : pools.balls)
        Game_Object_Park(n);
}

void demo_world_names(const char *name, char *def, char *map, size_t size)
{
    const int base = static_cast<int>(std::strcspn(name, "."));
    std::snprintf(def, size, "%.*s.def", base, name);
    std::snprintf(map, size, "%.*s.map", base, name);
}

// A replay begins like a new game on its level, whatever the previous demo or game left.
void demo_replay_begin()
{
    Game_Carry_Reset();
    game.score = game.score_previous = 0;
    game.lives = Difficulty_Lives();
    game.cycle = 0;
    tape.rewind_pending = 1;
}

} // namespace

void Demo_Init()
{
    // The attract sequence plays the shipped levels, whatever set the last game used.
    Sets_Use("");
    for (;;) {
        game.weapon = 0;
        tape.finished = 0;
        tape.recording = 0;
        tape.steps = 0;
        tape.rewind_pending = 0;
        Screen_Attract();
        DEMO_NEXT next;
        if (!demo_next(&next)) return;
        const DEMO_ENTRY &e = next.entry;
        if (e.kind == DEMO_ENTRY_REPLAY && !demo_load(&next)) {
            if (next.recording) continue;
            return;
        }
        if (demo.music_request) {
            Game_Music_Play("snd\\demos.s3m");
            demo.music_request = 0;
        }
        Game_Tape_Rewind();
        if (e.kind == DEMO_ENTRY_SKIP) {
            if (!game_flags.menu_shown) World_Unload();
            continue;
        }
        if (e.kind == DEMO_ENTRY_REPLAY) {
            if (game.scenery_loaded) World_Unload();
            demo_replay_begin();
        } else {
            char def[DEMO_LINE_SIZE], map[DEMO_LINE_SIZE];
            demo_world_names(e.name, def, map, sizeof def);
            World_Unload();
            World_Load(def, map);
            if (!game.world_loaded) return;
            game.scenery_loaded = 1;
        }
        Level_Start(game.field_width, game.field_height);
        if (e.kind == DEMO_ENTRY_SCENERY) {
            demo_park_pools();
            // A show of no ticks would let the game step run in the scenery world.
            demo.show_time = std::max(e.show_time, 1);
            demo.scenery_steps = 0;
            game_flags.world_show_timer = static_cast<float>(demo.show_time);
        } else {
            game_flags.world_show_timer = 0.0f;
            // A demo of no steps has nothing to replay.
            if (tape.steps == 0) tape.finished = 1;
        }
        Game_Ticks_Set(0);
        return;
    }
}

void Demo_Music_Request()
{
    demo.music_request = 1;
}

// ---------------------------------------------------------------------------------------------
// Recordings
// ---------------------------------------------------------------------------------------------

namespace {

// The per-user folder the game writes to, with its closing separator ("" for the current one).
void demo_user_folder(char *out, size_t size)
{
    const char *folder = kx_io_override_folder_get();
    if (!folder) folder = kx_io_user_folder_get();
    if (!folder) folder = "";
    const size_t n = std::strlen(folder);
    const bool closed = !n || folder[n - 1] == '\\' || folder[n - 1] == '/';
    std::snprintf(out, size, "%s%s", folder, closed ? "" : "\\");
}

} // namespace

void Demo_Recording_Path(int level, char *out, size_t size)
{
    char folder[PATH_SIZE], name[64];
    demo_user_folder(folder, sizeof folder);
    Demo_Save_Name(level, name, sizeof name);
    std::snprintf(out, size, "%s%s", folder, name);
}

int Demo_Recordings_Find(int *levels, int max)
{
    struct found {
        int level;
        long long time;
    } all[LEVELS_MAX];
    int count = 0;
    for (int level = 0; level < LEVELS_MAX; level++) {
        char path[PATH_SIZE];
        Demo_Recording_Path(level, path, sizeof path);
        const long long time = kx_io_file_time(path);
        if (time >= 0) all[count++] = {level, time};
    }
    std::stable_sort(all, all + count, [](const found &a, const found &b) { return a.time > b.time; });
    count = std::min(count, max);
    for (int i = 0; i < count; i++)
        levels[i] = all[i].level;
    return count;
}

int Demo_Save()
{
    char path[PATH_SIZE], folder[PATH_SIZE];
    // The file names the level the recording began on: a replay starts there.
    Demo_Recording_Path(tape.level, path, sizeof path);
    demo_user_folder(folder, sizeof folder);
    std::strncat(folder, "level", sizeof folder - std::strlen(folder) - 1);
    const DEMO_HEAD head{tape.level, tape.step_index, tape.rand_count, difficulty.current};
    const size_t size = 12 + static_cast<size_t>(DEMO_STEPS_MAX) + 4 * static_cast<size_t>(DEMO_RANDS_MAX);
    uint8_t *bytes = static_cast<uint8_t *>(Game_Alloc(size, "demo save buffer"));
    if (!bytes) return 0;
    const size_t length = Demo_File_Encode(&head, tape.movement, tape.rand, bytes, size);
    // kx_io_save writes beside the old recording and renames over it once on the disk, so that
    // a crash never leaves half a recording.
    const bool ok = length && kx_io_folder_make(folder) && kx_io_save(path, bytes, static_cast<uint32_t>(length));
    Game_Free(bytes);
    return ok;
}

int Demo_Record_Stop(int full)
{
    tape.recording = 0;
    const int saved = Demo_Save();
    // A recording that cannot be written is told on the screen: the game it belongs to goes on.
    demo.notice = !saved ? MSG_RECORDING_LOST : full ? MSG_RECORDING_FULL : 0;
    demo.notice_timer = demo.notice ? DEMO_NOTICE_TICKS : 0.0f;
    return saved;
}

void Demo_Record_Game(int level)
{
    New_Game_Level(level);
    Game_Tape_Record_Start();
}

int Demo_Record_Finish(int steps)
{
    if (!tape.recording) return 0;
    if (tape.step_index < steps && game.level == tape.level && game.lives > 1) return 0;
    return Demo_Record_Stop(0) ? 1 : -1;
}
