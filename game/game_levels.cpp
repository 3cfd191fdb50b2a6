// The level table and level sets: reading and checking a levels file into a set (keeping its
// comment lines), filling the game's tables from a set with the copies after the last level, and
// the clean-up.
#include "game/game_levels.h"

#include "game/game_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "world/world_line.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

GAME_LEVELS game_levels;

namespace {

char levels_shared_row[] = "AAAAAAAAAAAAAA";
static_assert(sizeof levels_shared_row == LEVEL_ROW_LENGTH + 1);

// The editor's level, played as a set of one beside the set in use, and the table play reads.
GAME_LEVELS levels_preview;
const GAME_LEVELS *levels_played = &game_levels;

// The set that Levels_Read reads before it fills the tables.
LEVEL_SET levels_reading;

// Lines gathered into one block that grows by doubling.
struct LEVELS_TEXT {
    char *text;
    size_t used, room;
};

// The reading state of one load.
struct LEVELS_READ {
    LEVELS_FAIL_FN fail;
    LEVEL_SET *set;
    int line;
    int level;
    int row;
    int lf_only;         // the file's lines end in LF alone: every message says so
    LEVELS_TEXT note;     // the comment lines since the last "}"
    LEVELS_TEXT pending;  // every line since the last "}"
    int open_line;        // the first row or setting line since the last "}" (0: none)
};

void levels_fail(const LEVELS_READ *r, int with_line, const char *format, ...) __attribute__((format(printf, 3, 4)));

void levels_fail(const LEVELS_READ *r, int with_line, const char *format, ...)
{
    char message[600];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    size_t n = std::strlen(message);
    if (r->lf_only) std::snprintf(message + n, sizeof message - n, " (%s)", DEF_LINE_LF_HINT);
    Game_Fail(r->fail, with_line ? r->line : 0, "%s", message);
}

void levels_def_defaults(LEVEL_DEF *def, const char *row)
{
    for (const LEVEL_SETTING &s : level_settings) def->*s.field = s.initial;
    for (auto &r : def->rows) std::memcpy(r, row, LEVEL_ROW_LENGTH + 1);
    std::memset(def->row_short, 0, sizeof def->row_short);
    def->note = nullptr;
}

// The value of a line read as a decimal integer the way the C library does, held within int so
// that messages show what was written wherever it fits.
int levels_number(const char *text)
{
    long v = std::strtol(text, nullptr, 10);
    return static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX));
}

int16_t levels_short(int v)
{
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

// Adds a line and its CR LF to a text; 0 after the error.
int levels_text_add(const LEVELS_READ *r, LEVELS_TEXT *t, const char *line)
{
    size_t n = std::strlen(line);
    if (t->used + n + 3 > t->room) {
        size_t room = std::max<size_t>(2 * t->room, t->used + n + 3 + 256);
        char *grown = static_cast<char *>(kx_mem_realloc(t->text, room));
        if (!grown) {
            levels_fail(r, 1, "Not enough memory for comments");
            return 0;
        }
        if (!t->text) kx_mem_name(grown, "level note");
        t->text = grown;
        t->room = room;
    }
    std::memcpy(t->text + t->used, line, n);
    std::memcpy(t->text + t->used + n, "\r\n", 3);
    t->used += n + 2;
    return 1;
}

// Hands the text over (null when empty) and starts a new one.
char *levels_text_take(LEVELS_TEXT *t)
{
    char *text = t->text;
    *t = {};
    return text;
}

void levels_text_free(char *text)
{
    if (text) kx_mem_free(text);
}

// Stores a row of the block, padded; `given` says whether the file wrote it or "@" added it.
void levels_row_set(LEVELS_READ *r, const char *text, int given)
{
    LEVEL_DEF *def = &r->set->level[r->level];
    size_t n = std::strlen(text);
    std::memset(def->rows[r->row], ' ', LEVEL_ROW_LENGTH);
    std::memcpy(def->rows[r->row], text, n);
    def->row_short[r->row] = static_cast<uint8_t>(given ? LEVEL_ROW_LENGTH - n : 0);
    r->row++;
}

const char *levels_setting_name(char key)
{
    switch (key) {
    case '#': return "floor type";
    case '$': return "border type";
    case '%': return "background type";
    case '&': return "enemy type";
    case '*': return "enemy frecuency";
    case '{': return "enemy speed";
    case '^': return "bonus percentage";
    default: return "enemy maximum";
    }
}

// One line of the file; 0 after a fatal error.
int levels_line(LEVELS_READ *r, const char *line)
{
    const char *value = line + 1;
    int n = r->level;
    LEVEL_DEF *def = &r->set->level[n];
    const LEVEL_SETTING *end = level_settings + LEVEL_SETTINGS;
    const LEVEL_SETTING *s = std::find_if(level_settings, end, [&](const LEVEL_SETTING &x) { return x.key == line[0]; });
    if (line[0] != '!' && s == end) return levels_text_add(r, &r->note, line);
    if (!r->open_line) r->open_line = r->line;
    if (line[0] == '!') {
        if (r->row >= LEVEL_ROWS) {
            levels_fail(r, 1, "Too many rows in level %i", n);
            return 0;
        }
        if (std::strlen(value) > LEVEL_ROW_LENGTH) {
            levels_fail(r, 1, "Row %i is too long in level %i, maximun is %i", r->row, n, LEVEL_ROW_LENGTH);
            return 0;
        }
        levels_row_set(r, value, 1);
        return 1;
    }
    int v = levels_number(value);
    switch (line[0]) {
    case '@':
        if (r->row > LEVEL_ROWS) {
            levels_fail(r, 1, "Wrong ammount of rows in level %i", n);
            return 0;
        }
        while (r->row < LEVEL_ROWS) levels_row_set(r, "", 0);
        break;
    case '>':
        if (v < def->initial_speed) {
            levels_fail(r, 1, "The maximum ball speed is below the initial speed in level %i", n);
            return 0;
        }
        break;
    case '<':
        if (v < 0) {
            levels_fail(r, 1, "Wrong speed increase in level %i", n);
            return 0;
        }
        break;
    default:
        if (v < s->low || v > s->high) {
            levels_fail(r, 1, "Wrong %s %i in level %i", levels_setting_name(line[0]), v, n);
            return 0;
        }
    }
    def->*s->field = levels_short(v);
    if (line[0] != '}') return 1;
    def->note = levels_text_take(&r->note);
    levels_text_free(levels_text_take(&r->pending));
    r->level++;
    r->row = 0;
    r->open_line = 0;
    if (r->level >= LEVELS_MAX) {
        levels_fail(r, 1, "Too many levels");
        return 0;
    }
    return 1;
}

// Levels from the count on become copies of the last level read, each with a background of its
// own.
void levels_fill(GAME_LEVELS *table)
{
    const GAME_LEVEL &last = table->level[table->count - 1];
    for (int n = table->count; n < LEVELS_MAX; n++) {
        table->level[n] = last;
        table->level[n].background_type = static_cast<int16_t>(n % 4 + 1);
    }
}

// The settings of one level of the tables from a level of a set.
void levels_use_settings(GAME_LEVELS *table, int n, const LEVEL_DEF *def)
{
    GAME_LEVEL &level = table->level[n];
    level.floor_type = def->floor_type;
    level.border_type = def->border_type;
    level.background_type = def->background_type;
    level.enemy_type = def->enemy_type;
    level.enemy_frequency = def->enemy_frequency;
    level.speed_increase = def->speed_increase;
    level.max_speed = def->max_speed;
    level.initial_speed = def->initial_speed;
    level.bonus_percentage = def->bonus_percentage;
    level.enemy_speed = def->enemy_speed;
    level.enemy_max = def->enemy_max;
}

// The rows of one level of the tables as new blocks; 0 after the error.
int levels_use_rows(GAME_LEVELS *table, int n, const LEVEL_DEF *def, LEVELS_FAIL_FN fail)
{
    for (int r = 0; r < LEVEL_ROWS; r++) {
        char *row = static_cast<char *>(kx_mem_malloc(LEVEL_ROW_SIZE));
        if (!row) {
            LEVELS_READ report{fail, nullptr, 0, n, r, 0, {}, {}, 0};
            levels_fail(&report, 0, "Not enough memory for rows");
            return 0;
        }
        kx_mem_name(row, "level row");
        std::memset(row, 0, LEVEL_ROW_SIZE);
        std::memcpy(row, def->rows[r], LEVEL_ROW_LENGTH);
        table->level[n].rows[r] = row;
        table->row_owned[n][r] = 1;
    }
    return 1;
}

// Frees every row a set gave the table and points all its rows back at the shared row.
void levels_table_free(GAME_LEVELS *table)
{
    for (int n = 0; n < LEVELS_MAX; n++) {
        for (int r = 0; r < LEVEL_ROWS; r++) {
            if (table->row_owned[n][r]) kx_mem_free(table->level[n].rows[r]);
            table->row_owned[n][r] = 0;
            table->level[n].rows[r] = levels_shared_row;
        }
    }
}

// Fills a table from a set: level 0 and the levels after the set's count as Levels_Use says.
int levels_table_use(GAME_LEVELS *table, const LEVEL_SET *set, LEVELS_FAIL_FN fail)
{
    levels_table_free(table);
    for (int n = 0; n < LEVELS_MAX; n++) levels_use_settings(table, n, &set->level[0]);
    table->count = 1;
    for (int n = 1; n <= set->count; n++) {
        levels_use_settings(table, n, &set->level[n]);
        if (!levels_use_rows(table, n, &set->level[n], fail)) {
            levels_table_free(table);
            return 0;
        }
    }
    table->count = set->count + 1;
    levels_fill(table);
    return 1;
}

// The bytes of a player's set, before the reader sees them: the reader drops control bytes and
// ends a line at byte 255, so a file holding them would play (and save) other than written.
// Lines are counted as the reader counts them. 0 after the error.
int levels_bytes_check(const LEVELS_READ *r, KX_IO *file)
{
    const long at = kx_io_ftell(file);
    kx_io_fseek(file, 0, 0);
    int line = 1, column = 0, skip = 0, row = 0, ok = 1;
    uint8_t block[4096];
    size_t n;
    while (ok && (n = kx_io_fread(block, 1, sizeof block, file)) > 0) {
        for (size_t i = 0; i < n && ok; i++) {
            const uint8_t c = block[i];
            if (skip) {
                skip = 0;
                continue;
            }
            if (c == 13) {
                line++;
                column = 0;
                skip = 1;
                continue;
            }
            column++;
            if (column == 1) row = c == '!';
            char what[80] = "";
            if (c < 32 || c == 255)
                std::snprintf(what, sizeof what, "Byte %d at column %d is not text", c, column);
            else if (row && column > 1 && Level_Char(c) == LEVEL_CHAR_OTHER && c < 128)
                std::snprintf(what, sizeof what, "Column %d holds \"%c\", which is no brick (. 0-9 A-Z a-z)", column, c);
            else if (row && column > 1 && Level_Char(c) == LEVEL_CHAR_OTHER)
                std::snprintf(what, sizeof what, "Column %d holds byte %d, which is no brick (. 0-9 A-Z a-z)", column, c);
            if (what[0]) {
                LEVELS_READ at_line = *r;
                at_line.line = line;
                levels_fail(&at_line, 1, "%s", what);
                ok = 0;
            }
        }
    }
    kx_io_fseek(file, at, 0);
    return ok;
}

int levels_set_read(LEVEL_SET *set, KX_IO *file, LEVELS_FAIL_FN fail, int user)
{
    Level_Set_Free(set);
    LEVELS_READ r{fail, set, 0, 1, 0, def_line_ends_lf(file), {}, {}, 0};
    if (user && r.lf_only) {
        // Read as one long line, such a file would say nothing useful beyond this.
        r.lf_only = 0;
        levels_fail(&r, 0, "The file's lines end in LF alone; save it with CR LF line ends");
        return 0;
    }
    if (user && !levels_bytes_check(&r, file)) return 0;
    char *line = static_cast<char *>(kx_mem_malloc(LEVELS_LINE_SIZE));
    if (!line) {
        levels_fail(&r, 0, "Not enough memory for buffer in Levels_Init()");
        return 0;
    }
    kx_mem_name(line, "aux buffer for load levels information");
    int ok = 1;
    for (;;) {
        r.line++;
        int got = def_line_read(file, line, LEVELS_LINE_SIZE);
        if (got == 1) break;
        if (got == DEF_LINE_TOO_LONG) {
            levels_fail(&r, 1, "Line %i is too long, maximum is %i characters", r.line, LEVELS_LINE_SIZE - 1);
            ok = 0;
            break;
        }
        if (!levels_text_add(&r, &r.pending, line) || !levels_line(&r, line)) {
            ok = 0;
            break;
        }
    }
    kx_mem_free(line);
    levels_text_free(levels_text_take(&r.note));
    set->tail = levels_text_take(&r.pending);
    set->count = r.level - 1;
    // A last block without "}" lives on only in the tail's text; a player's set may not end so.
    if (ok && user && r.open_line) {
        r.line = r.open_line;
        levels_fail(&r, 1, "Level %i is cut off: its block has no \"}\" line", r.level);
        ok = 0;
    } else if (ok && user && set->count == 0) {
        levels_fail(&r, 0, "The file holds no level: a level ends with its \"}\" line");
        ok = 0;
    }
    if (set->count + 1 < LEVELS_MAX) levels_def_defaults(&set->level[set->count + 1], levels_shared_row);
    if (!ok) Level_Set_Free(set);
    return ok;
}

int levels_set_load(LEVEL_SET *set, const char *file_name, LEVELS_FAIL_FN fail, int user)
{
    KX_IO *file = kx_io_fopen(file_name, "rb");
    if (!file) {
        Level_Set_Free(set);
        LEVELS_READ r{fail, set, 0, 1, 0, 0, {}, {}, 0};
        levels_fail(&r, 0, "Cant open levels.txt file");
        return 0;
    }
    int ok = levels_set_read(set, file, fail, user);
    kx_io_fclose(file);
    return ok;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void Level_Def_Empty(LEVEL_DEF *def)
{
    levels_def_defaults(def, "              ");
}

void Level_Set_Free(LEVEL_SET *set)
{
    for (LEVEL_DEF &def : set->level) {
        if (def.note) kx_mem_free(def.note);
        levels_def_defaults(&def, levels_shared_row);
    }
    levels_text_free(set->tail);
    set->tail = nullptr;
    set->count = 0;
}

int Level_Set_Read(LEVEL_SET *set, KX_IO *file, LEVELS_FAIL_FN fail)
{
    return levels_set_read(set, file, fail, 0);
}

int Level_Set_Load(LEVEL_SET *set, const char *file_name, LEVELS_FAIL_FN fail)
{
    return levels_set_load(set, file_name, fail, 0);
}

int Level_Set_Read_User(LEVEL_SET *set, KX_IO *file, LEVELS_FAIL_FN fail)
{
    return levels_set_read(set, file, fail, 1);
}

int Level_Set_Load_User(LEVEL_SET *set, const char *file_name, LEVELS_FAIL_FN fail)
{
    return levels_set_load(set, file_name, fail, 1);
}

int Levels_Use(const LEVEL_SET *set, LEVELS_FAIL_FN fail)
{
    return levels_table_use(&game_levels, set, fail);
}

int Levels_Preview_Use(const LEVEL_DEF *def, LEVELS_FAIL_FN fail)
{
    static LEVEL_SET one;
    Level_Def_Empty(&one.level[0]);
    one.count = 1;
    one.level[1] = *def;
    one.level[1].note = nullptr;
    one.tail = nullptr;
    levels_played = &levels_preview;
    return levels_table_use(&levels_preview, &one, fail);
}

void Levels_Preview_End()
{
    levels_table_free(&levels_preview);
    levels_played = &game_levels;
}

const GAME_LEVELS &Levels_Played()
{
    return *levels_played;
}

int Levels_Read(KX_IO *file, LEVELS_FAIL_FN fail)
{
    int ok = Level_Set_Read(&levels_reading, file, fail) && Levels_Use(&levels_reading, fail);
    Level_Set_Free(&levels_reading);
    if (!ok) Levels_Use(&levels_reading, fail);   // the empty set needs no memory
    return ok;
}

int Levels_Load(const char *file_name, LEVELS_FAIL_FN fail)
{
    int ok = Level_Set_Load(&levels_reading, file_name, fail) && Levels_Use(&levels_reading, fail);
    Level_Set_Free(&levels_reading);
    if (!ok) Levels_Use(&levels_reading, fail);   // the empty set needs no memory
    return ok;
}

int Levels_Init()
{
    return Levels_Load("data\\levels.txt", nullptr);
}

void Levels_Free()
{
    levels_table_free(&game_levels);
}

LEVEL_CHAR Level_Char(int ch)
{
    if (ch == ' ' || ch == '.') return LEVEL_CHAR_EMPTY;
    if (ch >= '0' && ch <= '9') return LEVEL_CHAR_METAL;
    if (ch >= 'A' && ch <= 'Z') return LEVEL_CHAR_ONE_HIT;
    if (ch >= 'a' && ch <= 'z') return LEVEL_CHAR_TWO_HITS;
    return LEVEL_CHAR_OTHER;
}

int Level_Char_Brick(int ch)
{
    const LEVEL_CHAR kind = Level_Char(ch);
    return kind != LEVEL_CHAR_EMPTY && kind != LEVEL_CHAR_OTHER;
}
