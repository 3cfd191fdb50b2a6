// The level editor: edits a user level set in the game's own window, with the level shown as the
// game shows it, a flat grid of its bricks, a palette and its settings, and test play of the
// level. The application opens it and hands it its passes of the frame loop while it edits.
#pragma once

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Opens the editor on the user set NAME, read from its file in the per-user folder or, when there
// is none, made of one empty level. A name or a file that cannot be used is said on standard
// error and in an alert, and the editor stays closed: 0.
int Editor_Open(const char *name);
// The name the window menu opens the editor on: the set edited last, or "custom".
const char *Editor_Last_Name();
// The editor is open, and it edits (its level is not being played).
int Editor_Open_Now();
int Editor_Editing();
// One pass while the editor edits and owns the keyboard: its keys and typed characters, the
// view of the level, the panels (drawn when the frame is presented).
void Editor_Pass();
// During test play, once a pass after the commands are built: Esc, the level won or the game
// lost go back to the editor (the commands that would leave the level otherwise are taken).
void Editor_Test_Pass();
// Closes the editor without saving (the program closes).
void Editor_Close();
