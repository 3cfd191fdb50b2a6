// The help screen, the language screen and the About box: the text screens over the game and the
// dialog of the window menu.
#pragma once

#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_font/kx_font.h"

#include <cstddef>
#include <cstdint>

constexpr int HELP_LINES_MAX = 200;
constexpr int HELP_LINE_SIZE = 255;        // characters of one line
constexpr int HELP_NAME_SIZE = 260;

// What a help file says. Lines are owned (named kx_mem blocks).
struct HELP_FILE {
    char background[HELP_NAME_SIZE + 1];
    char font[HELP_NAME_SIZE + 1];
    int x, y;
    int timeout;          // ms before a key may close the screen
    int declared;         // "NumberOfLines"
    int count;            // lines read
    char *lines[HELP_LINES_MAX];
};

// Reads a help file: the "Help" section, then "NumberOfLines" and that many "Text" lines of the
// "Text" section, in order. A file with fewer "Text" lines than it declares gives the lines it
// has (count < declared); more than HELP_LINES_MAX are not read. 0 when the file cannot be read.
int Help_File_Read(const char *file_name, HELP_FILE *help);
void Help_File_Free(HELP_FILE *help);

int Help_Screen_Shown();
// Opens the help screen from that file unless it is shown already; a file, background or font
// that cannot be read is reported and the screen stays closed.
void Help_Screen_Show(const char *file_name);
void Help_Screen_Draw();
void Help_Screen_Close();
// The earliest moment (system tick count, ms) at which a confirm key may close the screen.
uint32_t Help_Screen_Close_Time();

// Opens the About box with the texts of the current language.
void About_Box_Show();
// Writes `format` with its first conversion replaced by `value`; "%%" gives "%", any further
// conversion is copied as it stands. The result always fits `size`.
void About_Format(char *out, size_t size, const char *format, const char *value);

// The language screen shown until a language is picked: read_languages prepares it (1, or 0
// after a fatal error), Language_Screen runs one step of it per frame.
int read_languages();
void Language_Screen();
void Language_Screen_Free();
