// The texts of the current language: game messages, credits and the help file's name, named per
// language in "data\\texts.txt".
#pragma once

#include "game/game_text.h"
#include "kx/kx_io/kx_io.h"

constexpr int TEXTS_LINE_SIZE = 1000;      // line buffer: texts hold at most 998 characters
constexpr int TEXTS_NAME_SIZE = 260;       // file names from "data\\texts.txt"

enum TEXTS_READ_RESULT { TEXTS_READ_OK, TEXTS_READ_TOO_MANY, TEXTS_READ_NO_MEMORY };

// Reads every "#" line of an open message or credits file as the next text of that kind (the
// kind is emptied first). A line longer than the buffer keeps its first part; the rest of it is
// skipped, so it never turns into texts of its own.
TEXTS_READ_RESULT Texts_Read(KX_IO *file, GAME_TEXT_KIND kind);

// Fatal on a missing file, too many texts or no memory (Game_Error); 1 loaded, 0 not.
int Load_Game_Messages(const char *file_name);
int Load_Credits(const char *file_name);
// Frees the old messages and credits and loads those of the current language, with the name of
// its help file. 1, or 0 after a fatal error.
int load_texts();
// Frees the messages and credits.
void Texts_Free();
// The help file of the current language ("HLPFile" of "Application" until a language loads).
const char *Texts_Help_File();
void Texts_Help_File_Set(const char *file_name);
