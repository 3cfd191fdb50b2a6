// The language list: the languages of the language file, the current one and its abbreviation
// (which names the splash section and the language's text files), and the window menu's
// Language submenu built from it.
#pragma once

#include "kx/kx_dsp/kx_dsp.h"

constexpr int KX_LANG_TEXT = 30;      // characters of a name, abbreviation or menu word
constexpr int KX_LANG_MAX = 99;       // entries numbered 01-99

// One language of the list.
struct KX_LANG {
    char name[KX_LANG_TEXT + 1];
    char abbreviation[KX_LANG_TEXT + 1];
    char fullscreen[KX_LANG_TEXT + 1];
    char window[KX_LANG_TEXT + 1];
    int number;        // "Number", 0 when missing
    int characters;    // "Characters", 1 when missing
};

struct KX_LANG_LIST {
    int count;
    int current;       // index into languages
    int multi;         // "MultiLanguages"
    KX_LANG **languages;   // count entries, null where a language is not included or not found
};

// Reads the list from the "Languages" section of `file_name`; null when the file gives no
// count. With "MultiLanguages" on, the settings file's "Language" number picks the current one.
KX_LANG_LIST *kx_lang_load(const char *file_name);
void kx_lang_free(KX_LANG_LIST *list);
// Makes the language with that "Number" current; 1 when there is one.
int kx_lang_select(KX_LANG_LIST *list, int number);

// ---------------------------------------------------------------------------------------------
// The game's list
// ---------------------------------------------------------------------------------------------

// Loads the list named by "LNGFile"; 1 when it holds at least one language. On failure the
// alert has been shown.
int Languages_Load(const char *file_name);
void Languages_Free();
// Makes the language with that number current; 1 when there is one.
int Language_Select(int number);
// The current language's abbreviation and number ("" and 0 without a list).
const char *Language_Abbreviation();
int Language_Number();
// The list as the display's Language submenu wants it: present languages only, in file order.
void Language_Menu_List(const KX_DSP_LANGUAGE **languages, int *count, int *current);
// Number of the language at that index of the submenu, or -1; the submenu index of the current
// language.
int Language_Menu_Number(int index);
int Language_Menu_Current();
// Makes the language with that number current and switches the texts and the help file to it at
// once, then stores it as "Language" in the settings file. The window menu follows through the
// display's Language command. 1, or 0 after a fatal error was shown.
int Language_Switch(int number);
