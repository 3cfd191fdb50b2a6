// Help screen, About box and language screen state. The texts, their drawing and the language
// list arrive with the texts-and-languages work; the screen state is already real, so the loop
// treats an open help screen as it will then.
#include "app/app_help.h"

#include "game/game.h"
#include "platform/plat_core.h"

namespace {

struct APP_HELP {
    int shown;
    uint32_t close_time;
};

APP_HELP app_help;

constexpr uint32_t APP_HELP_MIN_SHOWN_MS = 500;

} // namespace

int Help_Screen_Shown()
{
    return app_help.shown;
}

void Help_Screen_Show(const char *)
{
    app_help.shown = 1;
    app_help.close_time = plat_ticks_ms() + APP_HELP_MIN_SHOWN_MS;
}

void Help_Screen_Draw()
{
}

void Help_Screen_Close()
{
    app_help.shown = 0;
}

uint32_t Help_Screen_Close_Time()
{
    return app_help.close_time;
}

void About_Box_Show()
{
}

void Language_Screen()
{
    language_chosen = 1;
}
