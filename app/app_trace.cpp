// The command trace: for tests and for checking a key script, one line per frame with the
// steps of the previous pass and every command that is on ("pass 12 steps 3: 75=24 30=1"); and
// the game trace, one line of the game's state after each pass.
#include "app/app.h"
#include "app/app_help.h"

#include "editor/editor.h"
#include "game/game.h"
#include "platform/plat_files.h"

#include <cstdio>

int app_trace_open(const char *path)
{
    if (app.command_trace) std::fclose(static_cast<FILE *>(app.command_trace));
    app.command_trace = plat_files_fopen(path, "w");
    return app.command_trace != nullptr;
}

void app_trace_frame()
{
    FILE *f = static_cast<FILE *>(app.command_trace);
    if (!f || !mapa_teclado) return;
    std::fprintf(f, "pass %u steps %d:", app.passes, app.steps_last_pass);
    for (int c = 0; c < 256; c++)
        if (mapa_teclado[c]) std::fprintf(f, " %d=%d", c, mapa_teclado[c]);
    std::fputc('\n', f);
}

void app_trace_close()
{
    if (app.command_trace) std::fclose(static_cast<FILE *>(app.command_trace));
    app.command_trace = nullptr;
    if (app.game_trace) std::fclose(static_cast<FILE *>(app.game_trace));
    app.game_trace = nullptr;
}

int app_game_trace_open(const char *path)
{
    if (app.game_trace) std::fclose(static_cast<FILE *>(app.game_trace));
    app.game_trace = plat_files_fopen(path, "w");
    // Written line by line, so that a run can be followed while it goes.
    if (app.game_trace) std::setvbuf(static_cast<FILE *>(app.game_trace), nullptr, _IOLBF, 0);
    return app.game_trace != nullptr;
}

void app_game_trace_pass()
{
    FILE *f = static_cast<FILE *>(app.game_trace);
    if (!f) return;
    const char *state = Editor_Editing()      ? "editor"
                        : !game_flags.language_chosen    ? "language"
                        : Help_Screen_Shown() ? "help"
                                              : Game_State_Name();
    char line[320];
    Game_Trace_Line(line, sizeof line, app.passes, app.steps_last_pass, state);
    std::fputs(line, f);
}
