// Level sets by name: checking names, their files in the per-user folder, the list of user sets
// and putting a set into the game's level tables.
#include "game/game_sets.h"

#include "game/game_difficulty.h"
#include "game/game_text.h"
#include "kx/kx_io/kx_io.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

SETS sets;

namespace {

constexpr const char *SETS_SHIPPED = "data\\levels.txt";

// The set being read for Sets_Use.
LEVEL_SET sets_reading;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void sets_capture(int line, const char *message)
{
    std::snprintf(sets.reason, sizeof sets.reason, "%s", message);
    sets.line = line;
    if (line > 0)
        std::snprintf(sets.message, sizeof sets.message, "%s (line %d)", message, line);
    else
        std::snprintf(sets.message, sizeof sets.message, "%s", message);
}

// The disk path of "<folder>\NAME<ending>" in the per-user folder.
int sets_path(const char *folder, const char *name, const char *ending, char *out)
{
    if (Sets_Name_Check(name)) return 0;
    char relative[KX_IO_PATH_MAX];
    std::snprintf(relative, sizeof relative, "%s\\%s%s", folder, name, ending);
    return kx_io_private_path_get(relative, out);
}

// By name regardless of case, then capitals first.
int sets_order(const void *a, const void *b)
{
    const char *x = static_cast<const char *>(a), *y = static_cast<const char *>(b);
    for (size_t i = 0;; i++) {
        int p = std::tolower(static_cast<unsigned char>(x[i])), q = std::tolower(static_cast<unsigned char>(y[i]));
        if (p != q || !p) return p != q ? p - q : std::strcmp(x, y);
    }
}

void sets_list_add(const char *file_name, void *)
{
    size_t n = std::strlen(file_name);
    if (sets.count >= SETS_MAX || n < 5 || std::strcmp(file_name + n - 4, ".txt")) return;
    const size_t keep = std::min<size_t>(n - 4, SETS_LISTED_MAX);
    std::memcpy(sets.names[sets.count], file_name, keep);
    sets.names[sets.count++][keep] = 0;
}

} // namespace

const char *Sets_Name_Check(const char *name)
{
    if (!name || !name[0]) return "A level set needs a name";
    size_t n = std::strlen(name);
    if (n > SETS_NAME_MAX) return "A level set name holds at most 32 characters";
    for (const char *p = name; *p; p++) {
        bool fits = (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') || *p == '-' ||
                    *p == '_' || *p == '.';
        if (!fits) return "A level set name holds only letters, digits, '-', '_' and '.'";
    }
    if (name[0] == '.' || std::strstr(name, "..")) return "A level set name may not start with '.' or hold \"..\"";
    return nullptr;
}

int Sets_Levels_Path(const char *name, char *out)
{
    return sets_path("levels", name, ".txt", out);
}

int Sets_Scores_Path(const char *name, int difficulty, int make, char *out)
{
    char folder[KX_IO_PATH_MAX], path[KX_IO_PATH_MAX];
    std::snprintf(folder, sizeof folder, "highscores");
    if (make && kx_io_private_path_get(folder, path)) kx_io_folder_make(path);
    if (difficulty != DIFFICULTY_NORMAL) {
        std::snprintf(folder, sizeof folder, "highscores\\%s", Difficulty_Name(difficulty));
        if (make && kx_io_private_path_get(folder, path)) kx_io_folder_make(path);
    }
    return sets_path(folder, name, ".dat", out);
}

int Sets_Exists(const char *name)
{
    char path[KX_IO_PATH_MAX];
    return Sets_Levels_Path(name, path) && kx_io_exists(path, KX_IO_WHERE_DISK);
}

int Sets_List()
{
    sets.count = 0;
    char folder[KX_IO_PATH_MAX];
    if (kx_io_private_path_get("levels", folder)) kx_io_folder_list(folder, sets_list_add, nullptr);
    std::qsort(sets.names, static_cast<size_t>(sets.count), sizeof sets.names[0], sets_order);
    return sets.count;
}

int Sets_Use(const char *name)
{
    sets.message[0] = sets.reason[0] = 0;
    sets.line = 0;
    // The set is read whole before the tables change, so a set that cannot be read leaves them
    // as they were, the shipped levels as much as a player's.
    const int ok = (name[0] ? Sets_Load(&sets_reading, name, sets_capture)
                            : Level_Set_Load(&sets_reading, SETS_SHIPPED, sets_capture)) &&
                   Levels_Use(&sets_reading, sets_capture);
    Level_Set_Free(&sets_reading);
    if (ok) std::snprintf(sets.current, sizeof sets.current, "%s", name);
    return ok;
}

int Sets_Load(LEVEL_SET *set, const char *name, LEVELS_FAIL_FN fail)
{
    char path[KX_IO_PATH_MAX];
    if (const char *why = Sets_Name_Check(name)) {
        Game_Fail(fail, 0, "%s", why);
        return 0;
    }
    if (!Sets_Exists(name) || !Sets_Levels_Path(name, path)) {
        Game_Fail(fail, 0, "There is no level set %s", name);
        return 0;
    }
    return Level_Set_Load_User(set, path, fail);
}

int Sets_Save(const LEVEL_SET *set, const char *name, LEVELS_FAIL_FN fail)
{
    char path[KX_IO_PATH_MAX], folder[KX_IO_PATH_MAX];
    if (const char *why = Sets_Name_Check(name)) {
        Game_Fail(fail, 0, "%s", why);
        return 0;
    }
    if (!Sets_Levels_Path(name, path) || !kx_io_private_path_get("levels", folder)) {
        Game_Fail(fail, 0, "Cant write the level set %s: its path is too long", name);
        return 0;
    }
    kx_io_folder_make(folder);
    return Level_Set_Save(set, path, fail);
}

const char *Sets_Message_Shown(char *out, size_t size)
{
    int level = 0;
    char rest = 0;
    if (std::sscanf(sets.reason, "The maximum ball speed is below the initial speed in level %d%c", &level, &rest) == 1)
        std::snprintf(out, size, "%s %d", Game_Message(MSG_SET_MAX_SPEED), level);
    else
        std::snprintf(out, size, "%s", sets.reason);
    const size_t n = std::strlen(out);
    if (sets.line > 0 && n < size) std::snprintf(out + n, size - n, " (%s %d)", Game_Message(MSG_SET_LINE), sets.line);
    return out;
}
