// Snapshots: F9 (or a scripted F9) saves the screen as the next free numbered picture, and once
// the file is on the disk two short lines name it and its folder, in the current language, for
// two seconds (a snapshot taken meanwhile shows it too).
#include "app/app.h"

#include "game/game.h"
#include "game/game_text.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_io/kx_io.h"
#include "platform/plat_core.h"
#include "platform/plat_script.h"
#include "world/world_render.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t SNAPSHOT_SHOWN_MS = 2000;

struct APP_SNAPSHOT {
    char path[KX_IO_PATH_MAX];   // the picture asked for in this frame, "" when none
    char shown[KX_IO_PATH_MAX + 128];   // the confirmation on show
    char folder[KX_IO_PATH_MAX];   // the folder it went to, as the disk names it
    uint32_t shown_until;        // clock time it goes
};

APP_SNAPSHOT snapshot;

// The time the confirmation keeps to: on a fixed clock the passes' game time, so that a
// repeatable run shows the same pictures whatever the machine's speed; else the real clock.
uint32_t clock_ms()
{
    return app.fixed_ticks ? app.passes * (app.fixed_ticks + 1) * 10 : plat_ticks_ms();
}

// The confirmation on show ("" when none).
const char *shown_now()
{
    return snapshot.shown[0] && clock_ms() < snapshot.shown_until ? snapshot.shown : "";
}

} // namespace

void App_Snapshot_Frame()
{
    snapshot.path[0] = 0;
    if ((kx_dsp_snapshot_requested(1) | plat_script_snapshot_take()) && !kx_dsp_snapshot(snapshot.path, sizeof snapshot.path))
        snapshot.path[0] = 0;
    const char *shown = shown_now();
    if (!shown[0]) return;
    // Two small lines on a dark band along the bottom edge, below the menu's rows and the
    // paddle's line: the file, then its folder. Narrower when a line would not fit the width.
    Game_Panel_Draw(0.0, 110.5, 160.0, 9.5);
    const char *lines[2] = {shown, snapshot.folder};
    for (int i = 0; i < 2; i++) {
        const size_t n = std::strlen(lines[i]);
        const double z = n * 3.5 > 156.0 ? 156.0 / n + 0.5 : 4.0;
        draw_sprite_text(lines[i], 80.0 - (z - 0.5) * n / 2.0, 111.0 + 4.5 * i, 0, 15, 0, 4.0, z, z - 0.5);
    }
}

void App_Snapshot_Presented()
{
    // Before a language is chosen there are no words to say it with.
    if (!snapshot.path[0] || !kx_io_exists(snapshot.path, KX_IO_WHERE_DISK) || !Game_Message(MSG_SNAPSHOT_SAVED)[0])
        return;
    const char *slash = std::strrchr(snapshot.path, '\\');
    std::snprintf(snapshot.shown, sizeof snapshot.shown, "%s %s", Game_Message(MSG_SNAPSHOT_SAVED),
                  slash ? slash + 1 : snapshot.path);
    const size_t folder = slash ? static_cast<size_t>(slash - snapshot.path + 1) : 0;
    std::snprintf(snapshot.folder, sizeof snapshot.folder, "%.*s", static_cast<int>(folder), snapshot.path);
    for (char *c = snapshot.folder; *c; c++)
        if (*c == '\\') *c = '/';
    snapshot.shown_until = clock_ms() + SNAPSHOT_SHOWN_MS;
    snapshot.path[0] = 0;
}
