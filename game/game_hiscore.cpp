// The high-score table: load, durable save, draw, qualification and name entry.
#include "game/game_hiscore.h"

#include "game/game_local.h"
#include "game/game_difficulty.h"
#include "game/game_error.h"
#include "game/game_music.h"
#include "game/game_sets.h"
#include "game/game_text.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "world/world.h"
#include "world/world_render.h"

#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

HISCORE hiscore;

namespace {

constexpr const char *HISCORE_FILE = "highscor.dat";
constexpr const char *HISCORE_PRISTINE = "data\\highscor.ori";
constexpr const char *HISCORE_MUSIC = "snd\\hiscore.s3m";
// The shipped set's tables of each difficulty (DIFFICULTY_* order).
constexpr const char *HISCORE_FILES[DIFFICULTY_COUNT] = {HISCORE_FILE, "highscor_easy.dat", "highscor_hard.dat"};

enum : int { EFFECT_LETTER = 8, EFFECT_NAME = 9 };

constexpr float DELAY_LETTER = 25.0f, DELAY_CONFIRM = 75.0f, DELAY_MOVE = 50.0f;
constexpr float BLINK_TICKS = 10.0f;
constexpr int LIGHT = 15;
constexpr int TINT_BRIGHT = 0, TINT_DIM = 7, TINT_CURSOR = 4;   // 4: yellow

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int32_t read_le32(const uint8_t *p)
{
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

bool command(int c)
{
    return mapa_teclado && mapa_teclado[c] != 0;
}

void draw_text(const char *text, double x, double y, int tint, double height, double width, double advance)
{
    draw_sprite_text(text, x, y, tint, LIGHT, 0, height, width, advance);
}

const char *shipped_file(int d)
{
    return HISCORE_FILES[d >= 0 && d < DIFFICULTY_COUNT ? d : DIFFICULTY_NORMAL];
}

int row_y(int row)
{
    return 23 + 19 * row;
}

// A line of small text centred on the overlay, narrower when it would not fit its width.
void text_small(const char *text, double y)
{
    const int n = static_cast<int>(std::strlen(text));
    if (!n) return;
    int z = 7;
    if ((z - 2) * n > 152) z = 152 / n + 2;
    draw_text(text, 80 - (z - 2) * n / 2.0, y, TINT_BRIGHT, 9, z, z - 2);
}

// The highlight behind the cursor: the letter it stands on, or the end marker. The letter itself
// is drawn again over the row in yellow.
void cursor_draw(int cursor, int y)
{
    if (!world_sprites || !world_sprites[SPRITE_HIGHLIGHT].defined) return;
    const int16_t *p = world_sprites[SPRITE_HIGHLIGHT].param;
    const int marker = static_cast<int>(std::strlen(Game_Message(MSG_END_MARK)));
    const double x = cursor < HISCORE_CURSOR_END ? 38 + 9 * cursor : 66;
    const double width = cursor < HISCORE_CURSOR_END ? 11 : 3 * marker + 2;
    draw_screen_sprite(SPRITE_HIGHLIGHT, x - 2, y + p[0], 0, LIGHT, world_sprites[SPRITE_HIGHLIGHT].transparency,
                       15 + p[2], width + 4, 0, 0);
}

} // namespace

char Hiscore_Letter_Step(char c, int step)
{
    constexpr int n = sizeof HISCORE_ALPHABET - 1;
    const char *at = c ? std::strchr(HISCORE_ALPHABET, c) : nullptr;
    if (!at) return HISCORE_ALPHABET[0];
    int i = static_cast<int>(at - HISCORE_ALPHABET);
    return HISCORE_ALPHABET[(i + (step > 0 ? 1 : n - 1)) % n];
}

char Hiscore_Typed_Letter(char c)
{
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return c && c != ' ' && std::strchr(HISCORE_ALPHABET, c) ? c : 0;
}

void Hiscore_Read(const uint8_t *data, size_t size)
{
    if (!hiscore.loaded || !data) return;
    for (int i = 0; i < HISCORE_ENTRIES && size >= size_t(i + 1) * HISCORE_RECORD_SIZE; i++) {
        const uint8_t *record = data + i * HISCORE_RECORD_SIZE;
        const void *zero = std::memchr(record + 4, 0, 4);
        if (!zero) continue;
        hiscore.score[i] = read_le32(record);
        std::memcpy(hiscore.name[i], record + 4, static_cast<size_t>(static_cast<const uint8_t *>(zero) - record - 4) + 1);
    }
}

void Hiscore_Write(uint8_t out[HISCORE_FILE_SIZE])
{
    for (int i = 0; i < HISCORE_ENTRIES; i++) {
        uint8_t *record = out + i * HISCORE_RECORD_SIZE;
        uint32_t s = static_cast<uint32_t>(hiscore.score[i]);
        for (int k = 0; k < 4; k++) record[k] = static_cast<uint8_t>(s >> (8 * k));
        std::memcpy(record + 4, hiscore.loaded ? hiscore.name[i] : "AAA", 3);
        record[7] = 0;
    }
}

int Hiscore_Defaults()
{
    if (hiscore.loaded) Hiscore_Free();
    hiscore.loaded = 1;
    for (int i = 0; i < HISCORE_ENTRIES; i++) {
        hiscore.score[i] = HISCORE_DEFAULT_SCORE;
        hiscore.name[i] = static_cast<char *>(kx_mem_malloc(HISCORE_NAME_SIZE));
        if (!hiscore.name[i]) {
            Game_Error("Not enough memory for hi_score_name");
            Hiscore_Free();
            return 0;
        }
        kx_mem_name(hiscore.name[i], "hi score name");
        std::memset(hiscore.name[i], 0, HISCORE_NAME_SIZE);
        std::memcpy(hiscore.name[i], "AAA", 4);
    }
    return 1;
}

void Hiscore_Load()
{
    Hiscore_Load_For(Difficulty_For_Game());
}

void Hiscore_Load_For(int difficulty_of_table)
{
    if (!Hiscore_Defaults()) return;
    hiscore.difficulty = difficulty_of_table;
    if (sets.chosen[0]) {
        // A user set's table starts from the defaults: no pristine copy belongs to it.
        char path[KX_IO_PATH_MAX];
        uint32_t size = 0;
        uint8_t *data = Sets_Scores_Path(sets.chosen, hiscore.difficulty, 0, path) && kx_io_exists(path, KX_IO_WHERE_DISK)
                            ? static_cast<uint8_t *>(kx_io_load(path, &size))
                            : nullptr;
        if (!data) return;
        Hiscore_Read(data, size);
        kx_mem_free(data);
        return;
    }
    const char *file = shipped_file(hiscore.difficulty);
    if (file == HISCORE_FILE && !kx_io_exists(HISCORE_FILE, KX_IO_WHERE_KX))
        kx_io_copy(HISCORE_FILE, HISCORE_PRISTINE, KX_IO_WHERE_KX);
    const char *source = kx_io_exists(file, KX_IO_WHERE_KX) ? file : HISCORE_PRISTINE;
    if (!kx_io_exists(source, KX_IO_WHERE_KX)) return;
    uint32_t size = 0;
    uint8_t *data = static_cast<uint8_t *>(kx_io_load(source, &size));
    if (!data && source == file && kx_io_exists(HISCORE_PRISTINE, KX_IO_WHERE_KX))
        data = static_cast<uint8_t *>(kx_io_load(HISCORE_PRISTINE, &size));
    if (!data) return;
    Hiscore_Read(data, size);
    kx_mem_free(data);
}

void Hiscore_Save()
{
    if (!hiscore.loaded) return;
    uint8_t bytes[HISCORE_FILE_SIZE];
    Hiscore_Write(bytes);
    char path[KX_IO_PATH_MAX] = "";
    const char *file = shipped_file(hiscore.difficulty);
    if (sets.chosen[0]) {
        Sets_Scores_Path(sets.chosen, hiscore.difficulty, 1, path);
        file = path;
    }
    if (!kx_io_save(file, bytes, sizeof bytes)) Game_Error("Cant create hi_score file");
}

void Hiscore_Free()
{
    if (!hiscore.loaded) return;
    for (char *&name : hiscore.name) {
        if (name) kx_mem_free(name);
        name = nullptr;
    }
    hiscore.loaded = 0;
}

void Hiscore_Draw()
{
    Game_Panel_Draw(2, 0, 156, 120);
    const char *title = Game_Message(MSG_HALL_OF_FAME);
    int length = static_cast<int>(std::strlen(title));
    int z = length > 0 && 12 * length > 125 ? 125 / length + 2 : 14;
    draw_text(title, 81 - (z - 2) * length / 2, 2, TINT_BRIGHT, 14, z, z - 2);
    if (!hiscore.loaded) return;
    bool entering = game_flags.name_entry && hiscore.entry_row >= 0 && hiscore.entry_row < HISCORE_ENTRIES;
    int bright = entering ? hiscore.entry_row : 0;
    if (entering) cursor_draw(hiscore.cursor, row_y(bright));
    for (int i = 0; i < HISCORE_ENTRIES; i++) {
        int y = row_y(i), tint = i == bright ? TINT_BRIGHT : TINT_DIM;
        char text[16];
        std::snprintf(text, sizeof text, "%d", i + 1);
        draw_text(text, 10, y, tint, 15, 11, 9);
        int digits = std::snprintf(text, sizeof text, "%d", static_cast<int>(hiscore.score[i]));
        draw_text(text, 151 - 9 * digits, y, tint, 15, 11, 9);
        draw_text(hiscore.name[i], 38, y, tint, 15, 11, 9);
    }
    if (!entering) {
        // Under the table: whose it is, the set and the difficulty.
        char whose[SETS_LISTED_MAX + 64];
        std::snprintf(whose, sizeof whose, "%s - %s", sets.chosen[0] ? sets.chosen : Game_Message(MSG_SET_SHIPPED),
                      Game_Message(Difficulty_Message(hiscore.difficulty)));
        text_small(whose, 110.5);
        return;
    }
    int y = row_y(bright);
    if (hiscore.cursor < HISCORE_CURSOR_END) {
        const char letter[2] = {hiscore.name[bright][hiscore.cursor], 0};
        draw_text(letter, 38 + 9 * hiscore.cursor, y, TINT_CURSOR, 15, 11, 9);
    }
    // How entry works, under the title and under the table.
    // On the end marker the top line says what Enter does there.
    const bool at_end = hiscore.cursor == HISCORE_CURSOR_END;
    text_small(Game_Message(at_end ? MSG_NAME_DONE : MSG_NAME_LETTERS), 14.5);
    text_small(Game_Message(MSG_NAME_STORE), 110.5);
    if (!at_end)
        draw_text(Game_Message(MSG_END_MARK), 66, y + 4, TINT_DIM, 9, 8, 6);
    else if (hiscore.blink)
        draw_text(Game_Message(MSG_END_MARK), 66, y + 4, TINT_CURSOR, 9, 8, 6);
}

int Hiscore_Place(int32_t score)
{
    Hiscore_Load_For(difficulty.current);
    if (game_flags.attract_mode || !hiscore.loaded) return 0;
    int i = 0;
    while (i < HISCORE_ENTRIES && hiscore.score[i] >= score) i++;
    if (i == HISCORE_ENTRIES) return 0;
    char *dropped = hiscore.name[HISCORE_ENTRIES - 1];
    for (int k = HISCORE_ENTRIES - 1; k > i; k--) {
        hiscore.score[k] = hiscore.score[k - 1];
        hiscore.name[k] = hiscore.name[k - 1];
    }
    hiscore.score[i] = score;
    hiscore.name[i] = dropped;
    std::memset(dropped, 0, HISCORE_NAME_SIZE);
    std::memcpy(dropped, "AAA", 4);
    hiscore.entry_row = i;
    hiscore.cursor = 0;
    hiscore.blink = 0;
    hiscore.blink_timer = BLINK_TICKS;
    Game_Music_Play(HISCORE_MUSIC);
    Screen_Name_Entry();
    return 1;
}

int Hiscore_Qualify()
{
    return Hiscore_Place(game.score);
}

void Hiscore_Entry(float t)
{
    if (!game_flags.name_entry || !hiscore.loaded || hiscore.entry_row < 0 || hiscore.entry_row >= HISCORE_ENTRIES) {
        Screen_Name_Entry_End();
        return;
    }
    char *name = hiscore.name[hiscore.entry_row];
    int &cursor = hiscore.cursor;
    // Letters typed on the keyboard go in at the cursor, which moves on to the next place.
    for (const char *p = typed_text; *p && cursor < HISCORE_CURSOR_END; p++) {
        const char letter = Hiscore_Typed_Letter(*p);
        if (!letter) continue;
        Game_Effect(EFFECT_LETTER);
        name[cursor++] = letter;
    }
    // A fresh press acts at once; a held key repeats once the delay is over.
    if (Command_Ready(CMD_UP) && cursor < HISCORE_CURSOR_END) {
        Game_Effect(EFFECT_LETTER);
        name[cursor] = Hiscore_Letter_Step(name[cursor], 1);
        Key_Delay_Set(DELAY_LETTER);
    } else if (Command_Ready(CMD_DOWN) && cursor < HISCORE_CURSOR_END) {
        Game_Effect(EFFECT_LETTER);
        name[cursor] = Hiscore_Letter_Step(name[cursor], -1);
        Key_Delay_Set(DELAY_LETTER);
    } else if ((game_flags.key_delay == 0.0f && command(CMD_SPACE)) || Command_Ready(CMD_ENTER)) {
        Game_Effect(EFFECT_NAME);
        Key_Delay_Set(DELAY_CONFIRM);
        if (++cursor > HISCORE_CURSOR_END) {
            Hiscore_Save();
            Screen_Name_Entry_End();
            return;
        }
    } else if (Command_Ready(CMD_LEFT) && cursor > 0) {
        Game_Effect(EFFECT_NAME);
        cursor--;
        Key_Delay_Set(DELAY_MOVE);
    } else if (Command_Ready(CMD_RIGHT) && cursor < HISCORE_CURSOR_END) {
        Game_Effect(EFFECT_NAME);
        cursor++;
        Key_Delay_Set(DELAY_MOVE);
    }
    hiscore.blink_timer -= t;
    if (hiscore.blink_timer <= 0.0f || hiscore.blink_timer > BLINK_TICKS) {
        hiscore.blink = !hiscore.blink;
        hiscore.blink_timer = BLINK_TICKS;
    }
}

void Hiscore_Entry_Draw()
{
    if (!game_flags.name_entry || !hiscore.loaded || hiscore.entry_row < 0 || hiscore.entry_row >= HISCORE_ENTRIES) return;
    Hiscore_Draw();
    if (hiscore.blink) {
        int x = 38 + 9 * hiscore.cursor, y = row_y(hiscore.entry_row);
        // A mark under the letter only: above it lies the line that says how entry works.
        draw_text("-", x, y + 11, TINT_BRIGHT, 8, 11, 9);
    }
}
