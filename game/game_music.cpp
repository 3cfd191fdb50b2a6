// game_music: keeps the module number and file name of the game's piece so that asking for the
// same piece again leaves it playing where it is.
#include "game/game_music.h"

#include "kx/kx_snd/kx_snd.h"

#include <cctype>
#include <cstdio>

namespace {

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

struct GAME_MUSIC {
    int number;       // module number of the game's piece, 0 = none
    char name[128];
};
GAME_MUSIC game_music;

// File names compare without case, as the file layer finds them.
bool same_name(const char *a, const char *b)
{
    for (; *a && *b; a++, b++)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void Game_Music_Play(const char *name)
{
    if (!name || !*name) return;
    if (game_music.number && kx_snd_music_loaded(game_music.number) && same_name(game_music.name, name)) return;
    Game_Music_Stop();
    int number = kx_snd_load_music(name);
    if (!number) return;
    game_music.number = number;
    std::snprintf(game_music.name, sizeof game_music.name, "%s", name);
    kx_snd_play_music(number);
}

void Game_Music_Stop()
{
    if (game_music.number) {
        kx_snd_stop_music(game_music.number);
        kx_snd_unload_music(game_music.number);
    }
    game_music.number = 0;
    game_music.name[0] = '\0';
}
