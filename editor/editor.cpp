// The editor's life: opening a user set, each pass while it edits, saving, test play of the
// current level and leaving for the main menu.
#include "editor/editor.h"

#include "editor/editor_local.h"
#include "game/game.h"
#include "game/game_music.h"
#include "game/game_sets.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "platform/plat_core.h"
#include "platform/plat_owner.h"
#include "platform/plat_panel.h"
#include "platform/plat_text.h"

#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

EDITOR_STATE editor;

namespace {

char editor_last_name[SETS_NAME_MAX + 1] = "custom";

// The reader's and the writer's messages land here instead of ending the game.
char editor_failure[EDITOR_MESSAGE_SIZE];

void failure_keep(int line, const char *message)
{
    if (line > 0) std::snprintf(editor_failure, sizeof editor_failure, "line %d: %s", line, message);
    else std::snprintf(editor_failure, sizeof editor_failure, "%s", message);
}

void failure_ignore(int, const char *) {}

// The game plays the current level as the only level of a set of its own, and the view shows it.
void view_build()
{
    Levels_Preview_Use(&editor_model.set.levels[editor_model.level], failure_keep);
    Level_Preview(1, kx_dsp_width() - 1, kx_dsp_height() - 1);
    editor.view_stale = 0;
}

void editing_begin()
{
    editor.testing = 0;
    editor.key_count = 0;
    editor.ctrl = 0;
    Screen_Editor();
    Game_Music_Stop();
    plat_owner_keys_listen(PLAT_OWNER_EDITOR, editor_listen);
    plat_owner_take(PLAT_OWNER_EDITOR);
    plat_panel_set(editor_panels);
    // Characters typed before the editor had the keyboard are not bricks (a read drops the rest).
    uint32_t stale;
    plat_text_read(&stale, 1);
    editor.view_stale = 1;
}

void editing_end()
{
    plat_panel_set(nullptr);
    plat_owner_give_back(PLAT_OWNER_EDITOR);
    plat_owner_keys_listen(PLAT_OWNER_EDITOR, nullptr);
}

void refuse(const char *what)
{
    std::fprintf(stderr, "veltramondo: %s\n", what);
    kx_dsp_alert(what, "Level editor", 0);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int Editor_Open(const char *asked)
{
    char why[EDITOR_MESSAGE_SIZE + 64];
    editor_failure[0] = 0;
    if (const char *bad = Sets_Name_Check(asked)) {
        std::snprintf(why, sizeof why, "cannot edit the level set \"%.40s\": %s", asked ? asked : "", bad);
        refuse(why);
        return 0;
    }
    // The window menu passes Editor_Last_Name(), which this function writes: work on a copy.
    char name[SETS_NAME_MAX + 1];
    std::snprintf(name, sizeof name, "%s", asked);
    if (editor.open) Editor_Close();
    Level_Set_Free(&editor.file);
    if (Sets_Exists(name) && !Sets_Load(&editor.file, name, failure_keep)) {
        std::snprintf(why, sizeof why, "cannot edit the level set %s: %s", name, editor_failure);
        refuse(why);
        return 0;
    }
    std::snprintf(editor.name, sizeof editor.name, "%s", name);
    std::snprintf(editor_last_name, sizeof editor_last_name, "%s", name);
    std::snprintf(editor.file_name, sizeof editor.file_name, "levels/%s.txt", name);
    static EDITOR_SET set;
    set.count = editor.file.count;
    for (int n = 0; n < set.count; n++) set.levels[n] = editor.file.level[n + 1];
    // A new level starts as the shipped first level does: the reader's defaults alone make a
    // field full of enemies.
    static LEVEL_SET shipped;
    const int have = Level_Set_Load(&shipped, "data\\levels.txt", failure_ignore) && shipped.count >= 1;
    editor_model_start(set.count ? &set : nullptr, have ? &shipped.level[1] : nullptr);
    Level_Set_Free(&shipped);
    editor.open = 1;
    editor.asking = 0;
    editor.panels = 1;
    editor.brick = 'A';
    editor.message[0] = 0;
    editing_begin();
    return 1;
}

const char *Editor_Last_Name()
{
    return editor_last_name;
}

int Editor_Open_Now()
{
    return editor.open;
}

int Editor_Editing()
{
    return editor.open && !editor.testing;
}

void Editor_Pass()
{
    const int count = editor.key_count;
    editor.key_count = 0;
    for (int i = 0; i < count && editor.open && !editor.testing; i++) editor_key(editor.keys[i]);
    uint32_t typed[GAME_TYPED_MAX];
    const int n = plat_text_read(typed, GAME_TYPED_MAX);
    for (int i = 0; i < n && Editor_Editing() && !editor.asking; i++)
        if (typed[i] < 128 && editor_place(static_cast<int>(typed[i]))) editor.view_stale = 1;
    if (!Editor_Editing()) return;
    if (editor.view_stale) view_build();
    Game_Render();
}

int editor_save()
{
    static LEVEL_SET out;
    Level_Def_Empty(&out.level[0]);
    out.count = editor_model.set.count;
    for (int n = 0; n < out.count; n++) out.level[n + 1] = editor_model.set.levels[n];
    out.tail = editor.file.tail;
    editor_failure[0] = 0;
    const int ok = Sets_Save(&out, editor.name, failure_keep);
    if (ok) {
        editor_model.changed = 0;
        std::snprintf(editor.message, sizeof editor.message, editor_text(ET_SAVED), editor.file_name);
    } else {
        std::snprintf(editor.message, sizeof editor.message, editor_text(ET_NOT_SAVED),
                      editor_failure[0] ? editor_failure : editor.file_name);
    }
    return ok;
}

void editor_test_start()
{
    view_build();
    editing_end();
    editor.testing = 1;
    New_Game_Level(1);
}

void editor_test_end()
{
    Game_Music_Stop();
    editing_begin();
}

void Editor_Test_Pass()
{
    if (!editor.open || !editor.testing || !mapa_teclado) return;
    mapa_teclado[CMD_DEMO_RECORD] = 0;
    const bool esc = mapa_teclado[CMD_ESC] != 0;
    if (!esc && !game.won_move && game.lives > 0 && game_flags.game_over_timer == 0.0f) return;
    mapa_teclado[CMD_ESC] = 0;
    Screen_Test_Play_End();
    editor_test_end();
}

void editor_leave()
{
    Editor_Close();
    Screen_Attract_Menu();
}

void Editor_Close()
{
    if (!editor.open) return;
    if (!editor.testing) editing_end();
    editor.open = 0;
    editor.testing = 0;
    editor.asking = 0;
    Level_Set_Free(&editor.file);
    Levels_Preview_End();
}
