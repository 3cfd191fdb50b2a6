// The help screen and the About box: the text screen over the game and the dialog of the menu.
#pragma once

#include <cstdint>

int Help_Screen_Shown();
void Help_Screen_Show(const char *file_name);
void Help_Screen_Draw();
void Help_Screen_Close();
// The earliest moment (system tick count, ms) at which a confirm key may close the screen.
uint32_t Help_Screen_Close_Time();
void About_Box_Show();
// The language screen shown until a language is picked.
void Language_Screen();
