// plat_about: the About dialog, drawn with Dear ImGui as a modal window over the picture. While
// it owns the keyboard and the mouse (plat_owner.h); OK, Enter or Esc close it.
#pragma once

// The dialog's texts, copied when it opens.
struct PLAT_ABOUT_TEXTS {
    const char *caption;
    const char *title;
    const char *version;
    const char *memory;
    const char *copyright1;
    const char *copyright2;
    const char *reserved;
    const char *license;
};

void plat_about_open(const PLAT_ABOUT_TEXTS *texts);
void plat_about_close();
int plat_about_shown();
// Draws the dialog inside the menu layer's ImGui frame (plat_menu_draw calls it).
void plat_about_draw();
