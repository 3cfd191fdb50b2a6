// The loaded game messages and credit lines: owned copies in named kx_mem blocks, looked up by
// number with a bounds check so that a missing text draws as nothing.
#include "game/game_text.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstring>

int game_language;
const char *(*game_fire_key_fn)();

namespace {

struct GAME_TEXTS {
    char *lines[GAME_CREDITS_MAX];
    int count;
    int max;
    const char *name;
};

GAME_TEXTS game_texts[2] = {
    {{}, 0, GAME_MESSAGES_MAX, "game_messages"},
    {{}, 0, GAME_CREDITS_MAX, "game_credits"},
};

const char *text_get(const GAME_TEXTS &t, int n)
{
    if (n < 0 || n >= t.count || !t.lines[n]) return "";
    return t.lines[n];
}

} // namespace

const char *Game_Message(int n)
{
    return text_get(game_texts[GAME_TEXT_MESSAGES], n);
}

int Game_Messages_Count()
{
    return game_texts[GAME_TEXT_MESSAGES].count;
}

int Game_Credits_Count()
{
    return game_texts[GAME_TEXT_CREDITS].count;
}

const char *Game_Credit_Line(int i)
{
    return text_get(game_texts[GAME_TEXT_CREDITS], i);
}

int Game_Text_Add(GAME_TEXT_KIND kind, const char *text, size_t length)
{
    GAME_TEXTS &t = game_texts[kind];
    if (t.count >= t.max) return 0;
    char *copy = static_cast<char *>(kx_mem_malloc(length + 1));
    if (!copy) return -1;
    kx_mem_name(copy, t.name);
    std::memcpy(copy, text, length);
    copy[length] = 0;
    t.lines[t.count++] = copy;
    return 1;
}

void Game_Text_Free(GAME_TEXT_KIND kind)
{
    GAME_TEXTS &t = game_texts[kind];
    for (int i = 0; i < t.count; i++) {
        kx_mem_free(t.lines[i]);
        t.lines[i] = nullptr;
    }
    t.count = 0;
}
