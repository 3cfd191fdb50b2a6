// The levels writer: a level set as the bytes of a levels file (CR LF lines) that the reader gives
// back unchanged, and saving it whole.
#include "game/game_levels.h"

#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// What the reader said about the written bytes.
char levels_write_message[600];

void levels_write_capture(int, const char *message)
{
    std::snprintf(levels_write_message, sizeof levels_write_message, "%s", message);
}

size_t levels_text_size(const char *text)
{
    return text ? std::strlen(text) : 0;
}

// Appends formatted text; the buffer was sized for everything beforehand.
void levels_put(char *out, size_t room, size_t *used, const char *format, ...) __attribute__((format(printf, 4, 5)));

void levels_put(char *out, size_t room, size_t *used, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(out + *used, room - *used, format, args);
    va_end(args);
    if (n > 0) *used += static_cast<size_t>(n);
}

// How much of a row to write: all of it, less the trailing spaces the file it came from left off.
int levels_row_width(const LEVEL_DEF *def, int r)
{
    int width = LEVEL_ROW_LENGTH;
    while (width > LEVEL_ROW_LENGTH - def->row_short[r] && def->rows[r][width - 1] == ' ') width--;
    return width;
}

// The first difference between a set and the set its bytes read back as; 1 when there is none.
// Settings always read back (the reader checked their ranges); a row with a line end or another
// control character in it does not.
int levels_write_same(const LEVEL_SET *set, const LEVEL_SET *back, LEVELS_FAIL_FN fail)
{
    for (int n = 1; n <= set->count; n++) {
        const LEVEL_DEF *a = &set->level[n], *b = &back->level[n];
        for (int r = 0; r < LEVEL_ROWS; r++) {
            if (std::memcmp(a->rows[r], b->rows[r], LEVEL_ROW_LENGTH) != 0) {
                Game_Fail(fail, 0, "Row %i of level %i holds a character that a levels file cannot keep", r, n);
                return 0;
            }
        }
    }
    // Notes or a tail that hold lines with keys would change the blocks.
    if (back->count != set->count) {
        Game_Fail(fail, 0, "The set does not read back as written: %i levels instead of %i", back->count, set->count);
        return 0;
    }
    return 1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

char *Level_Set_Write(const LEVEL_SET *set, uint32_t *size, LEVELS_FAIL_FN fail)
{
    if (set->count < 0 || set->count > LEVEL_SET_MAX) {
        Game_Fail(fail, 0, "Too many levels");
        return nullptr;
    }
    // Each line of a block is at most 16 characters and its CR LF; a block has up to 21 lines.
    size_t room = levels_text_size(set->tail) + 1;
    for (int n = 1; n <= set->count; n++) room += levels_text_size(set->level[n].note) + 21 * 18;
    char *out = static_cast<char *>(kx_mem_malloc(room));
    if (!out) {
        Game_Fail(fail, 0, "Not enough memory to write the levels");
        return nullptr;
    }
    kx_mem_name(out, "levels file text");
    size_t used = 0;
    for (int n = 1; n <= set->count; n++) {
        const LEVEL_DEF *def = &set->level[n];
        if (def->note) levels_put(out, room, &used, "%s", def->note);
        for (int r = 0; r < LEVEL_ROWS; r++) levels_put(out, room, &used, "!%.*s\r\n", levels_row_width(def, r), def->rows[r]);
        // The maximum speed is checked against the initial speed of the moment: one below it (only
        // possible in a file that changed the initial speed afterwards) is set before the real one.
        int low_max = def->max_speed < def->initial_speed;
        if (low_max) levels_put(out, room, &used, "@%d\r\n>%d\r\n", def->max_speed, def->max_speed);
        for (const LEVEL_SETTING &s : level_settings)
            if (s.key != '>' || !low_max) levels_put(out, room, &used, "%c%d\r\n", s.key, def->*s.field);
    }
    if (set->tail) levels_put(out, room, &used, "%s", set->tail);

    LEVEL_SET *back = static_cast<LEVEL_SET *>(kx_mem_calloc(1, sizeof(LEVEL_SET)));
    int ok = back != nullptr;
    if (!ok) Game_Fail(fail, 0, "Not enough memory to write the levels");
    if (ok) {
        kx_mem_name(back, "levels read back");
        char *copy = static_cast<char *>(kx_mem_malloc(used + 1));
        KX_IO *file = copy ? kx_io_mem_open("levels", static_cast<char *>(std::memcpy(copy, out, used)), static_cast<uint32_t>(used)) : nullptr;
        levels_write_message[0] = 0;
        ok = file && Level_Set_Read(back, file, levels_write_capture);
        if (file) kx_io_fclose(file);
        else if (copy) kx_mem_free(copy);
        if (!ok) Game_Fail(fail, 0, "%s", levels_write_message[0] ? levels_write_message : "Not enough memory to write the levels");
        ok = ok && levels_write_same(set, back, fail);
        Level_Set_Free(back);
        kx_mem_free(back);
    }
    if (!ok) {
        kx_mem_free(out);
        return nullptr;
    }
    *size = static_cast<uint32_t>(used);
    return out;
}

int Level_Set_Save(const LEVEL_SET *set, const char *file_name, LEVELS_FAIL_FN fail)
{
    uint32_t size = 0;
    char *bytes = Level_Set_Write(set, &size, fail);
    if (!bytes) return 0;
    int ok = kx_io_save(file_name, bytes, size);
    kx_mem_free(bytes);
    if (!ok) {
        // The path as the player finds it on the disk: the game's backslashes are folders.
        char shown[KX_IO_PATH_MAX];
        std::snprintf(shown, sizeof shown, "%s", file_name);
        for (char *c = shown; *c; c++)
            if (*c == '\\') *c = '/';
        Game_Fail(fail, 0, "Cant write %s", shown);
    }
    return ok;
}
