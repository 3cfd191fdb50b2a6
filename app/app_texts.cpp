// Loading the texts of the current language: the "Messages" and "Help" sections of
// "data\\texts.txt" name the files; message and credit files hold one text per "#" line.
#include "app/app_texts.h"

#include "app/app_language.h"
#include "game/game_error.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char *TEXTS_FILE = "data\\texts.txt";

char texts_help_file[TEXTS_NAME_SIZE + 1];

struct TEXTS_MESSAGES {
    const char *open, *too_many, *no_memory;
};

const TEXTS_MESSAGES texts_messages[] = {
    {"Cant open messages.txt file", "Too many game messages !!", "Cant allocate memory for game_messages"},
    {"Cant open credits.txt file", "Too many credits messages !!", "Cant allocate memory for game_credits"},
};

int texts_load(const char *file_name, GAME_TEXT_KIND kind)
{
    const TEXTS_MESSAGES &m = texts_messages[kind];
    KX_IO *file = file_name && file_name[0] ? kx_io_fopen(file_name, "rb") : nullptr;
    if (!file) {
        Game_Error("%s", m.open);
        return 0;
    }
    TEXTS_READ_RESULT r = Texts_Read(file, kind);
    kx_io_fclose(file);
    if (r == TEXTS_READ_OK) return 1;
    Game_Text_Free(kind);
    Game_Error("%s", r == TEXTS_READ_TOO_MANY ? m.too_many : m.no_memory);
    return 0;
}

} // namespace

TEXTS_READ_RESULT Texts_Read(KX_IO *file, GAME_TEXT_KIND kind)
{
    char line[TEXTS_LINE_SIZE];
    Game_Text_Free(kind);
    while (kx_io_fgets(line, sizeof line, file)) {
        size_t length = std::strlen(line);
        if (length == sizeof line - 1) {
            char rest[TEXTS_LINE_SIZE];
            while (kx_io_fgets(rest, sizeof rest, file) && std::strlen(rest) == sizeof rest - 1) {
            }
        }
        if (line[0] != '#') continue;
        int added = Game_Text_Add(kind, line + 1, length - 1);
        if (added == 0) return TEXTS_READ_TOO_MANY;
        if (added < 0) return TEXTS_READ_NO_MEMORY;
    }
    return TEXTS_READ_OK;
}

int Load_Game_Messages(const char *file_name)
{
    return texts_load(file_name, GAME_TEXT_MESSAGES);
}

int Load_Credits(const char *file_name)
{
    return texts_load(file_name, GAME_TEXT_CREDITS);
}

int load_texts()
{
    Texts_Free();
    const char *abbreviation = Language_Abbreviation();
    char key[64], name[TEXTS_NAME_SIZE + 1];
    std::snprintf(key, sizeof key, "Messages_%s", abbreviation);
    kx_io_ini_get_string("Messages", key, name, TEXTS_NAME_SIZE, TEXTS_FILE);
    if (!Load_Game_Messages(name)) return 0;
    std::snprintf(key, sizeof key, "Credits_%s", abbreviation);
    kx_io_ini_get_string("Messages", key, name, TEXTS_NAME_SIZE, TEXTS_FILE);
    if (!Load_Credits(name)) return 0;
    std::snprintf(key, sizeof key, "Help_%s", abbreviation);
    if (kx_io_ini_get_string("Help", key, name, TEXTS_NAME_SIZE, TEXTS_FILE)) Texts_Help_File_Set(name);
    game_language = Language_Number();
    return 1;
}

void Texts_Free()
{
    Game_Text_Free(GAME_TEXT_MESSAGES);
    Game_Text_Free(GAME_TEXT_CREDITS);
}

const char *Texts_Help_File()
{
    return texts_help_file;
}

void Texts_Help_File_Set(const char *file_name)
{
    std::snprintf(texts_help_file, sizeof texts_help_file, "%s", file_name ? file_name : "");
}
