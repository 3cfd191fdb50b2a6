// The editor's keys and pad buttons: the arrows or the D-pad move the cursor over the grid,
// Space or Delete clear a cell, Ctrl with Z, Y, N, D, Delete and S undo, redo, add, duplicate,
// remove and save, Page Up / Page Down change level, F5 plays the level, Tab shows or hides the
// panels, Esc leaves (asking to save changes first). Brick characters come as typed text.
#include "editor/editor_local.h"

#include "platform/plat_input.h"
#include "platform/plat_keys.h"
#include "platform/plat_owner.h"

#include <cstdio>

namespace {

// The palette in its order: metal, one hit, two hits.
constexpr char palette[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

void palette_step(int delta)
{
    const int n = sizeof palette - 1;
    int at = 0;
    while (at < n && palette[at] != editor.brick) at++;
    editor.brick = palette[((at + delta) % n + n) % n];
}

void level_changed(int changed)
{
    if (changed) editor.view_stale = 1;
}

void ask_answer(int code)
{
    if (code == PLAT_KEY_RETURN || code == PLAT_KEY_PAD_ENTER) {
        if (editor_save()) editor_leave();
        else editor.asking = 0;
    } else if (code == PLAT_KEY_BACKSPACE) {
        editor_leave();
    } else if (code == PLAT_KEY_ESCAPE) {
        editor.asking = 0;
    }
}

void ctrl_key(int code)
{
    switch (code) {
    case PLAT_KEY_Z: level_changed(editor_undo()); break;
    case PLAT_KEY_Y: level_changed(editor_redo()); break;
    case PLAT_KEY_N:
    case PLAT_KEY_D:
        if ((code == PLAT_KEY_N ? editor_level_add() : editor_level_duplicate())) level_changed(1);
        else std::snprintf(editor.message, sizeof editor.message, "%s", editor_text(ET_FULL));
        break;
    case PLAT_KEY_DELETE: level_changed(editor_level_remove()); break;
    case PLAT_KEY_S: editor_save(); break;
    default: break;
    }
}

} // namespace

void editor_key(int code)
{
    if (editor.asking) {
        ask_answer(code & ~EDITOR_WITH_CTRL);
        return;
    }
    if (code & EDITOR_WITH_CTRL) {
        ctrl_key(code & ~EDITOR_WITH_CTRL);
        return;
    }
    switch (code) {
    case PLAT_KEY_UP:
    case PLAT_OWNER_PAD_UP: editor_cursor_move(-1, 0); break;
    case PLAT_KEY_DOWN:
    case PLAT_OWNER_PAD_DOWN: editor_cursor_move(1, 0); break;
    case PLAT_KEY_LEFT:
    case PLAT_OWNER_PAD_LEFT: editor_cursor_move(0, -1); break;
    case PLAT_KEY_RIGHT:
    case PLAT_OWNER_PAD_RIGHT: editor_cursor_move(0, 1); break;
    case PLAT_KEY_SPACE:
    case PLAT_KEY_DELETE:
    case PLAT_OWNER_PAD + PLAT_PAD_BUTTON_EAST: level_changed(editor_clear()); break;
    case PLAT_OWNER_PAD + PLAT_PAD_BUTTON_SOUTH: level_changed(editor_place(editor.brick)); break;
    case PLAT_OWNER_PAD + PLAT_PAD_BUTTON_LEFT_SHOULDER: palette_step(-1); break;
    case PLAT_OWNER_PAD + PLAT_PAD_BUTTON_RIGHT_SHOULDER: palette_step(1); break;
    case PLAT_KEY_PAGE_UP: level_changed(editor_level_step(-1)); break;
    case PLAT_KEY_PAGE_DOWN: level_changed(editor_level_step(1)); break;
    case PLAT_KEY_F5:
    case PLAT_OWNER_PAD + PLAT_PAD_BUTTON_START: editor_test_start(); break;
    case PLAT_KEY_TAB: editor.panels = !editor.panels; break;
    case PLAT_KEY_ESCAPE:
    case PLAT_OWNER_PAD + PLAT_PAD_BUTTON_BACK:
        if (editor_model.changed) editor.asking = 1;
        else editor_leave();
        break;
    default: break;
    }
}

void editor_listen(int code, int down)
{
    if (code == PLAT_KEY_LEFT_CTRL || code == PLAT_KEY_RIGHT_CTRL) editor.ctrl = down;
    else if (down && editor.key_count < EDITOR_KEYS_QUEUED)
        editor.keys[editor.key_count++] = code | (editor.ctrl ? EDITOR_WITH_CTRL : 0);
}
