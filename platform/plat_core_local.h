// plat_core_local: what plat_core shares with the files that wait for messages on each platform
// (plat_core_linux.cpp on the desktop, web/plat_core_web.cpp in the browser).
#pragma once

union SDL_Event;

// Turns one SDL event into window messages.
void plat_core_translate(const SDL_Event *e);
int plat_core_queue_empty();
int plat_core_initialised();
