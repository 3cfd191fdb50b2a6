// The language list: the languages the game offers, the current one and its abbreviation (which
// names the splash section and the language's text files).
#pragma once

#include "kx/kx_dsp/kx_dsp.h"

// Loads the language list named by "LNGFile"; 1 when there is at least one language.
int Languages_Load(const char *file_name);
void Languages_Free();
void Language_Select(int number);
const char *Language_Abbreviation();
// The list as the display's Language submenu wants it.
void Language_Menu_List(const KX_DSP_LANGUAGE **languages, int *count, int *current);
